// The built-in functions, called in formulas (rows as in test_evaluator.cpp)
// and, for what a formula cannot pass, through the dispatcher.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "formula/builtins.h"
#include "formula/evaluator.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "formula_fixture.h"
#include "platform/log.h"
#include "sheet/calculation.h"


namespace {

using BuiltinsTest = FormulaTest;

TEST_F(BuiltinsTest, NumericFunctions) {
    Check({
        {"Abs(-2.5)", "2.5"}, {"Abs(-0)", "0"}, {"Abs(-inf)", "inf"}, {"Sin(1)", "0.8414709848078965"},
        {"Cos(1)", "0.5403023058681398"}, {"Tan(1)", "1.5574077246549023"}, {"Sqr(-3)", "9"},
        {"ArcTan(1)", "0.7853981633974483"}, {"Ln(1)", "0"}, {"Ln(0)", "-inf"}, {"Log(1000)", "2.9999999999999996"},
        {"Exp(1)", "2.718281828459045"}, {"Exp10(2)", "100"}, {"Exp10(-1)", "0.1"}, {"ArcCos(1)", "0"},
        {"ArcSin(2)", "nan"}, {"ArcSin(1)", "1.5707963267948966"}, {"Sqrt(9)", "3"}, {"Sqrt(-1)", "nan"},
        {"Sum(1, 2, 3, 4)", "10"}, {"Sum(1e308, 1e308, -1e308, -1e308)", "inf"},
        {"Sum(0.1, 0.2, 0.3, 0)", "0.6000000000000001"},
        // Sgn goes by the integer conversion, where NaN is the most negative.
        {"Sgn(3)", "1"}, {"Sgn(-3)", "-1"}, {"Sgn(0)", "0"}, {"Sgn(0.5)", "0"}, {"Sgn(-0.5)", "0"}, {"Sgn(n)", "-1"},
        {"Trunc(-2.5)", "-2"}, {"Trunc(2.9)", "2"}, {"Int(-2.5)", "-3"}, {"Int(-2)", "-2"}, {"Int(2.7)", "2"},
        {"Int(-inf)", "-inf"}, {"Int(n)", "nan"}, {"Frac(-2.5)", "-0.5"}, {"Frac(2.25)", "0.25"}, {"Frac(inf)", "nan"},
        // Half up; the decimals count by their truncated magnitude.
        {"Round(2.345, 2)", "2.35"}, {"Round(2.5, 0)", "3"}, {"Round(-2.5, 0)", "-2"}, {"Round(-2.6, 0)", "-2"},
        {"Round(-3.6, 0)", "-3"}, {"Round(1234.5, -2)", "1234.5"}, {"Round(1234.5678, -2)", "1234.57"},
        {"Round(1234.5678, 2.9)", "1234.57"}, {"Round(1.5, 0.9)", "2"}, {"LenVal(0)", "1"}, {"LenVal(9.99)", "1"},
        {"LenVal(10)", "2"}, {"LenVal(99999)", "5"}, {"LenVal(-1000)", "5"}, {"LenVal(-0.5)", "2"}, {"LenVal(n)", "1"},
        {"LenVal(1e308)", "309"},
        // Euclid without normalising the sign.
        {"GGT(12, 18)", "6"}, {"GGT(-4, 6)", "2"}, {"GGT(4, -6)", "-2"}, {"GGT(-4, 0)", "-4"}, {"GGT(5, 0)", "5"},
        {"GGT(0, 7)", "7"}, {"GGT(12.9, 18.9)", "6"}, {"Fact(0)", "1"}, {"Fact(5)", "120"}, {"Fact(-4)", "24"},
        {"Fact(5.9)", "120"}, {"Fact(20)", "2432902008176640000"}, {"Fact(171)", "inf"}, {"BinCoef(5, 2)", "10"},
        {"BinCoef(10, 3)", "120"}, {"BinCoef(5, 0)", "1"}, {"BinDist(2, 0.5, 1)", "0.5"},
        {"BinDist(3, 0.5, 0)", "0.125"}, {"BinDist(4, 0.25, 2)", "0.2109375"},
        // Plain comparisons: a NaN wins or loses by its place.
        {"Min(1, 2)", "1"}, {"Min(2, 1)", "1"}, {"Min(1, n)", "1"}, {"Min(n, 1)", "nan"}, {"Max(1, 2)", "2"},
        {"Max(2, 1)", "2"}, {"Max(1, n)", "nan"}, {"Max(n, 1)", "1"}, {"LoWord(70000)", "4464"}, {"HiWord(70000)", "1"},
        {"HiByte(258)", "1"}, {"LoByte(258)", "2"}, {"LoByte(-1)", "255"}, {"HiByte(-1)", "255"},
        {"HiWord(-1)", "65535"}, {"LoWord(-2)", "65534"}, {"HiWord(n)", "0"}, {"CRC16(0, 65)", "65"},
        {"CRC16(65535, 0)", "57840"}, {"CRC16(0, 321)", "65"}, {"CRC16(65536, 0)", "0"}, {"CRC16(n, n)", "0"},
    });
    // The XMODEM CRC of "123456789": two zero bytes push the last bits through.
    parser_Evaluate(Text::FromBytes("0"));
    for (const char byte : std::string("123456789\0\0", 11))
        parser_Evaluate(Text::FromBytes("CRC16(Result, " + std::to_string(byte) + ")"));
    EXPECT_EQ(Parser().ParserResult.ValueNumeric, 0x31C3);
}

TEST_F(BuiltinsTest, TextFunctions) {
    Check({
        {"Mid$('abcdef', 2, 3)", "'bcd"}, {"Mid$('abcdef', 5, 10)", "'ef"}, {"Mid$('abcdef', 6, 1)", "'f"},
        {"Mid$('abc', 0, 2)", "'ab"}, {"Mid$('abc', -5, 9)", "'abc"}, {"Mid$('abc', 4, 1)", "'"},
        {"Mid$('abc', 1, 0)", "'"}, {"Mid$('abc', 2, -1)", "'"}, {"Mid$('', 1, 1)", "'"}, {"Left$('abc', 5)", "'abc"},
        {"Left$('abc', 2)", "'ab"}, {"Left$('abc', 0)", "'"}, {"Right$('abc', 0)", "'"}, {"Right$('abc', 2)", "'bc"},
        {"Right$('abc', 3)", "'abc"}, {"Right$('abc', 7)", "'abc"}, {"Right$('', -1)", "'"}, {"Str$(2.5)", "'2,5"},
        {"Str$(-3)", "'-3"}, {"Hex$(255)", "'FF"}, {"Hex$(0)", "'0"}, {"Hex$(4096.9)", "'1000"},
        {"Hex$(-1)", "'FFFFFFFFFFFFFFFF"}, {"Hex$(n)", "'8000000000000000"},
        {"Hex$(9223372036854774784)", "'7FFFFFFFFFFFFC00"}, {"Hex$(9223372036854775808)", "'8000000000000000"},
        {"Chr$(65)", "'A"}, {"Chr$(321)", "'A"}, {"Chr$(-191)", "'A"}, {"Chr$(255)", "'\xFF"},
        {"Chr$(256)", std::string("'\0", 2)}, {"Void$('x')", "'"}, {"Repeat$('ab', 3)", "'ababab"},
        {"Repeat$('ab', 1.9)", "'ab"}, {"Repeat$('ab', 0)", "'"}, {"Repeat$('ab', -4)", "'"}, {"Repeat$('', 5)", "'"},
        {"Repeat$('ab', n)", "'"}, {"Len(Repeat$('ab', 524288))", "1048576"}, {"Repeat$('ab', 524289)", "E4@end 0"},
        {"Repeat$('ab', 1e18)", "E4@end 0"}, {"Len(Repeat$('ab', 524288) + 'x')", "E4@32 1048576"}, {"Repeat$('ab', 9.2e18)", "E4@end 0"}, {"Asc('A')", "65"},
        {"Asc('\xE4x')", "228"}, {"Asc('')", "E4@end 0"}, {"Val('2,5')", "2.5"}, {"Val('2.5e2abc')", "250"},
        {"Val('abc')", "0"}, {"Len('')", "0"}, {"Len('abc')", "3"}, {"Dec('ff')", "255"}, {"Dec('FF')", "255"},
        {"Dec('1G')", "1"}, {"Dec('G1')", "0"}, {"Dec('')", "0"}, {"Dec('7fffffffffffffff')", "9223372036854775807"},
        {"Dec('8000000000000000')", "-9223372036854775808"}, {"Dec('FFFFFFFFFFFFFFFF')", "-1"},
        {"Dec('1FFFFFFFFFFFFFFFF')", "-1"}, {"Index('Z1S1')", "0"}, {"Index('z2s3')", "102"},
        {"Index('Z999S100')", "99899"}, {"Index('S1')", "-2"}, {"Index('Z1000S1')", "-1"}, {"Void('x')", "0"},
    });
}

// The limits of the integer conversion and of the number range must give
// their results without endless loops or traps.
TEST_F(BuiltinsTest, ArgumentsAtTheEdgesOfTheNumberRange) {
    Check({
        {"Fact(1e18)", "inf"}, {"Fact(-1e18)", "inf"}, {"Fact(n)", "inf"}, {"Fact(-9223372036854775808)", "inf"},
        {"BinCoef(1e18, 5)", "nan"}, {"BinCoef(n, -1)", "nan"}, {"BinCoef(9.2e18, -9.2e18)", "nan"},
        {"BinDist(1e18, 0.5, 3)", "nan"}, {"BinDist(n, 0.5, n)", "nan"}, {"LenVal(inf)", "inf"},
        {"LenVal(-inf)", "inf"}, {"LenVal(-1.7976931348623157e308)", "310"}, {"Round(1, 1e18)", "nan"},
        {"Round(1, n)", "nan"}, {"Round(1, -1e300)", "nan"}, {"Round(0.5, 400)", "nan"}, {"Round(1, 308)", "1"},
        {"GGT(-9223372036854775808, -1)", "-1"}, {"GGT(n, -1)", "-1"}, {"GGT(-1, -9223372036854775808)", "-1"},
        {"GGT(-9223372036854775808, 0)", "-9223372036854775808"},
        {"GGT(n, -9223372036854775808)", "-9223372036854775808"}, {"GGT(1e300, -1e300)", "-9223372036854775808"},
        {"Mid$('abc', 2, 9e18)", "'bc"}, {"Mid$('abc', 2, 1e300)", "'"}, {"Mid$('abc', -1e300, 2)", "'ab"},
        {"Mid$('abc', n, 2)", "'ab"}, {"Mid$('abc', 9.2e18, 9.2e18)", "'"}, {"Mid$('abc', 3, 9.2e18)", "'c"},
        {"Left$('abc', n)", "'"}, {"Left$('abc', inf)", "'"}, {"Right$('abc', 1e18)", "'abc"},
        {"Right$('abc', -inf)", "'"}, {"Chr$(1e300)", std::string("'\0", 2)}, {"Hex$(1e300)", "'8000000000000000"},
        {"Str$(n)", "'nan"},
    });
}

// An argument of the wrong type, or without value, raises error 13 once and
// gives 0, for every argument that must be real or text; missing ones have no value.
TEST_F(BuiltinsTest, EveryTypedArgumentIsCheckedAndUnknownTokensAreLogged) {
    const parser_UniversalType real{ValueTypeReal, 1, {}}, text{ValueTypeText, 0, Text::FromBytes("Z1S1")}, none{};
    for (const BuiltinFunction& row : BuiltinFunctions()) {
        std::vector<parser_UniversalType> fitting(static_cast<std::size_t>(row.ParamCount), real);
        for (unsigned i = 0; i < fitting.size(); ++i) fitting[i] = row.Arguments[i] == ArgumentKind::Text ? text : real;
        // The fitting list first, then lists with one argument wrong or all missing.
        std::vector<std::vector<parser_UniversalType>> calls = {fitting};
        if (row.ParamCount > 0 && row.Arguments[0] != ArgumentKind::Any) calls.push_back({});
        for (std::size_t i = 0; i < 2 * fitting.size(); ++i) {
            if (row.Arguments[i / 2] == ArgumentKind::Any) continue;
            calls.push_back(fitting);  // argument i / 2 of the other type, then without value
            calls.back()[i / 2] = i % 2 == 1 ? none : row.Arguments[i / 2] == ArgumentKind::Real ? text : real;
        }
        for (std::size_t k = 0; k < calls.size(); ++k) {
            Parser() = ParserState{};
            const parser_UniversalType value = parser_CallBuiltin(17, row.Token, calls[k]);
            EXPECT_EQ(Parser().ParserErrorCount, k == 0 ? 0 : 1) << row.Name << " case " << k;
            if (k == 0) continue;
            EXPECT_EQ(std::pair(Parser().ParserErrorCode, Parser().ParserErrorPosition), std::pair(Int{13}, Int{17}))
                << row.Name << " case " << k;
            EXPECT_TRUE(value.ValueType == ValueTypeReal && value.ValueNumeric == 0 &&
                        Parser().NumericVariableCount + Parser().TextVariableCount == 0)
                << row.Name << " case " << k;
        }
    }
    // A token without a row gives 0 and a log line.
    LogCapture log;
    for (const Int token : {0, 53, -1}) EXPECT_EQ(parser_CallBuiltin(17, token, {}).ValueType, ValueTypeReal) << token;
    EXPECT_EQ(Parser().ParserErrorCount, 0);
    EXPECT_TRUE(log.Contains("parser_CallBuiltin: Unknown token 53."));
    parser_InitFunctions();
    Check({{"Void(foo)", "E21@6 0"}, {"Void$(foo)", "E21@7 '"}, {"Mid$(1, 'a', 'b')", "E13@end 0"}});
    EXPECT_EQ(Parser().ParserErrorCount, 1);
}

TEST_F(BuiltinsTest, VarDefinesVariablesForLaterFormulas) {
    Check({
        {"Var('Price', 5) + Var('Name$', 'Meier')", "0"}, {"price * 2", "10"}, {"NAME$", "'Meier"},
        {"Var('PRICE', 7)", "0"}, {"Price", "7"}, {"Var('Nothing', foo)", "E21@16"}, {"Nothing$", "'"},
        // The two tables are apart; "$" is dropped only with a text value.
        {"Var('A', 1) + Var('A', 'text') + Var('A$', 'other')", "0"}, {"a", "1"}, {"a$", "'other"},
        {"Var('abz_1', 1)", "0"}, {"Var('x9', 't')", "0"}, {"Var('', 1)", "0"}, {"Var('$', 't')", "0"},
        {"Var('1abc', 1)", "E20@end 0"}, {"Var('_a', 1)", "E20@end"}, {"Var('a b', 1)", "E20@end"},
        {"Var('a-b', 't')", "E20@end"}, {"Var('\xE4rger', 1)", "E20@end"}, {"Var('Price$', 1)", "E20@end"},
        {"Var('a$$', 't')", "E20@end"}, {"abz_1 + Len(x9$)", "2"},
    });
    // n, inf, Price, A, abz_1; Name, A, Nothing, x9. A variable keeps the
    // name it was first written with, and the tables stay in name order.
    ASSERT_EQ(Parser().TextVariableCount, 4);
    std::string names;
    for (const parser_VariableNumeric& v : Parser().NumericVariables)
        names += std::string(v.Name.Elements.begin(), v.Name.Elements.end()) + " ";
    EXPECT_EQ(names, " A abz_1 inf n Price ");
    // A full table still changes what it holds, and the other table is free;
    // an unknown name is then reported as the table being full.
    Check({
        {"Var('v1', 1) + Var('v2', 2) + Var('v3', 3) + Var('v4', 4) + Var('v5', 5)", "0"},
        {"Var('eleventh', 11)", "E3@end 0"}, {"eleventh", "E3@1"}, {"Var('V3', 33)", "0"}, {"v3", "33"},
        {"foo$", "E21@1"}, {"2 * bar", "E3@5"},
        {"Var('eleventh', 'text') + Var('t1$', '') + Var('t2$', '') + Var('t3$', '')", "0"}, {"eleventh$", "'text"},
        {"Var('t4$', '') + Var('t5$', '')", "0"}, {"Var('more$', 'x')", "E3@end 0"}, {"foo$", "E3@1"},
    });
    EXPECT_EQ(Parser().NumericVariableCount + Parser().TextVariableCount, 2 * VariableLimit);
}

TEST_F(BuiltinsTest, IndCellSelfAndResult) {
    SetCell(5, "2,5", CellKindNumber);
    SetCell(6, "hello", CellKindText);
    SetCell(7, "12abc", CellKindUncomputed);
    SetCell(99899, "-7", CellKindNumber);
    Check({
        {"Result", "none"}, {"IndCell(5)", "2.5"}, {"IndCell(6.7)", "'hello"}, {"IndCell(7)", "12"},
        {"IndCell(0)", "0"}, {"IndCell(99899)", "-7"}, {"IndCell(-1)", "E22@end 0"}, {"IndCell(99900)", "E22@end 0"},
        {"IndCell(1e300)", "E22@end"}, {"IndCell(-inf)", "E22@end"}, {"IndCell(inf)", "E22@end"},
        {"IndCell(n)", "E22@end"}, {"Self", "0"}, {"'abc'", "'abc"}, {"Result", "'abc"}, {"Result + 'd'", "'abcd"},
        {"7.5", "7.5"}, {"Result", "7.5"},
    });
    Calculation().ComputingCell = 1234;
    Check({{"Self", "1234"}});
}

TEST_F(BuiltinsTest, RndAndUniqueIdAreRandomWithinTheirRange) {
    std::set<double> seen;
    std::set<std::string> ids;
    for (int i = 0; i < 2000; ++i) {
        seen.insert(parser_Evaluate(Text::FromBytes("Rnd(10)")).ValueNumeric);
        ASSERT_EQ(parser_Evaluate(Text::FromBytes("Rnd(-3) <= 0 && Rnd(-3) >= -3")).ValueNumeric, 1);
        const Text id = parser_Evaluate(Text::FromBytes("UniqueID")).ValueText;
        ids.insert(std::string(id.Elements.begin(), id.Elements.end()));
    }
    EXPECT_GT(seen.size(), 1900u);
    // The whole range comes up, and nothing beyond it.
    EXPECT_TRUE(*seen.begin() >= 0 && *seen.begin() < 1 && *seen.rbegin() > 9 && *seen.rbegin() <= 10);
    EXPECT_EQ(ids.size(), 2000u);
    for (const std::string& id : {*ids.begin(), *ids.rbegin()})
        EXPECT_TRUE(id.size() == 32 && id.find_first_not_of("0123456789ABCDEF") == std::string::npos) << id;
    Check({{"Rnd(0)", "0"}, {"Rnd(n)", "nan"}});
}

}  // namespace
