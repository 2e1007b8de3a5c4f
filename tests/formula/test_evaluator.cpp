// The formula evaluator, seen through formulas and what they give: operators,
// types, numerals, literals, names, cells, errors and the nesting limit.
#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>

#include "formula/errors.h"
#include "formula/evaluation.h"
#include "formula/evaluator.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "formula/variables.h"
#include "formula_fixture.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/program.h"
#include "sheet/calculation.h"


void FormulaTest::SetUp() {
    SetLogToStdout(false);
    initoxtools();
    ResetProgramState();
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    // No numeral gives these two, and many edge cases need them.
    parser_StoreNumericVariable(Text::FromBytes("n"), std::numeric_limits<double>::quiet_NaN());
    parser_StoreNumericVariable(Text::FromBytes("inf"), std::numeric_limits<double>::infinity());
}

void FormulaTest::SetCell(Int index, std::string_view text, Int kind) {
    Calculation().CellText.Edit(static_cast<std::size_t>(index)) = Text::FromBytes(text);
    SetCellKind(Calculation().CellAttributes.Edit(static_cast<std::size_t>(index)), kind);
}

// Evaluates each row in turn, ' standing for the double quote. Expect is a real
// as strtod reads it ("nan", "inf", "-0": the sign of zero counts), "'" and a
// text, "none" for no value, or "E<code>@<position>" ("end": just after the
// formula) for the first error, then optionally a blank and the value it leaves.
void FormulaTest::Check(std::initializer_list<FormulaRow> rows) {
    for (const FormulaRow& row : rows) {
        std::string formula = row.Formula, expect = row.Expect;
        for (char& c : formula) c = c == '\'' ? '"' : c;
        SCOPED_TRACE("formula: " + formula.substr(0, 80));
        ExpectCompiledAgrees(formula, Calculation().ComputingCell);
        const parser_UniversalType value = parser_Evaluate(Text::FromBytes(formula));
        const ParserState& parser = Parser();
        if (expect[0] == 'E') {
            const std::size_t at = expect.find('@'), blank = expect.find(' ');
            const std::string position = expect.substr(at + 1, blank - at - 1);
            EXPECT_EQ(parser.ParserErrorCode, std::stoi(expect.substr(1, at - 1)));
            EXPECT_EQ(parser.ParserErrorPosition, position == "end" ? Int(formula.size()) + 1 : std::stoi(position));
            if (blank == std::string::npos) continue;
            expect.erase(0, blank + 1);
        } else {
            EXPECT_EQ(parser.ParserErrorCount, 0) << "E" << parser.ParserErrorCode << "@" << parser.ParserErrorPosition;
        }
        const std::string text(value.ValueText.Elements.begin(), value.ValueText.Elements.end());
        if (expect == "none" || expect[0] == '\'') {
            EXPECT_EQ(value.ValueType, expect == "none" ? ValueTypeNone : ValueTypeText);
            EXPECT_EQ(text, expect == "none" ? "" : expect.substr(1));
            EXPECT_EQ(value.ValueNumeric, 0);  // a text carries no number along
            continue;
        }
        const double want = std::stod(expect), got = value.ValueNumeric;
        EXPECT_EQ(value.ValueType, ValueTypeReal) << text;
        EXPECT_TRUE(std::isnan(want) ? std::isnan(got) : got == want && std::signbit(got) == std::signbit(want))
            << "gave " << ::testing::PrintToString(got);
    }
}

namespace {

std::string Repeat(std::string_view piece, int count) {
    std::string result;
    while (count-- > 0) result += piece;
    return result;
}

using EvaluatorTest = FormulaTest;

TEST_F(EvaluatorTest, OperatorsTheirLevelsAndBlanks) {
    Check({
        {"1+2*3", "7"}, {"(1+2)*3", "9"}, {"2*3^2", "18"}, {"2+3*4^2", "50"}, {"-2^2", "4"}, {"1+2<4", "1"},
        {"1<2&&3<4", "1"}, {"1<<2+1", "5"}, {"2^-1", "0.5"}, {"2*-3", "-6"}, {"1 - -1", "2"}, {"1+2=3", "1"},
        {"2^3^2", "64"}, {"10-4-3", "3"}, {"100/10/5", "2"}, {"8/2*4", "16"}, {"6&3|8", "10"}, {"1<2<3", "1"},
        {"3>2>1", "0"}, {"64>>2>>1", "8"}, {"7%4%2", "1"}, {"  1 +  2 ", "3"}, {"1 < = 2", "1"}, {"1 = = 1", "1"},
        {"1 ! > 2", "1"}, {"1 < < 3", "8"}, {"16 > > 2", "4"}, {"3 & & 0", "0"}, {"0 | | 5", "1"}, {"6 ~ ~ 0", "1"},
        {"( 1 + 2 ) * 2", "6"}, {"7/2", "3.5"}, {"7%4", "3"}, {"-7%4", "-3"}, {"7%-4", "3"}, {"7.5%2", "1.5"},
        {"7\\2", "3"}, {"-7\\2", "-3"}, {"2^10", "1024"}, {"1e308*10", "inf"}, {"0^0", "1"}, {"7/n", "nan"},
        {"7%n", "nan"}, {"7\\n", "nan"},
        // Shifts and logical operators work on integer conversions.
        {"1 << 2", "4"}, {"1 << 64", "-1"}, {"1 >> 64", "0"}, {"-1 >> 64", "0"}, {"1 << -1", "0"}, {"-8 >> 1", "-4"},
        {"8 << -70", "0"}, {"-8 << -63", "-1"}, {"-8 << -64", "-1"}, {"1 >> -3", "8"}, {"1 >> -64", "0"},
        {"-1 >> -63", "-9223372036854775808"}, {"1 << 63", "-9223372036854775808"}, {"3 << 62", "-4611686018427387904"},
        {"0x4000000000000000 << 1", "-9223372036854775808"}, {"1 << n", "0"}, {"n << 1", "0"},
        {"n >> 1", "-4611686018427387904"}, {"2.9 << 1.9", "4"}, {"3 && -2", "1"}, {"3 && 0", "0"}, {"0 || 0", "0"},
        {"0 || 2", "1"}, {"6 & 3", "2"}, {"6 | 3", "7"}, {"6 ~ 3", "5"}, {"6 ~~ 3", "0"}, {"0 ~~ 3", "1"},
        {"0.5 && 1", "0"}, {"-1 & 255", "255"}, {"1 < 2 & 3", "1"}, {"!0", "1"}, {"!5", "0"}, {"!(-5)", "2"},
        {"!0.9", "1"}, {"! 3", "0"}, {"!n", "2"}, {"-0", "-0"}, {"-(0)", "-0"}, {"0", "0"}, {"-(-0)", "0"},
        {"- 2", "-2"}, {"-n", "nan"},
    });
    EXPECT_TRUE(std::signbit(parser_Evaluate(Text::FromBytes("-n")).ValueNumeric));
}

// Each form with what it gives for these operands, NaN unequal to everything
// and in no order, texts by unsigned bytes without folding, a prefix smaller.
TEST_F(EvaluatorTest, EveryComparisonForm) {
    const std::string operands[][2] = {{"1", "2"}, {"2", "1"}, {"1", "1"}, {"n", "n"}, {"1", "n"},
                                       {"'a'", "'b'"}, {"'b'", "'a'"}, {"'a'", "'a'"}, {"'ab'", "'a'"}};
    const std::pair<std::string, std::string> forms[] = {
        {"<", "100001000"}, {">", "010000101"}, {"=", "001000010"}, {"#", "110111101"}, {"<=", "101001010"},
        {"=<", "101001010"}, {"!>", "101001010"}, {">=", "011000111"}, {"=>", "011000111"}, {"!<", "011000111"},
        {"==", "001000010"}, {"!#", "001000010"}, {"<>", "110111101"}, {"><", "110111101"}, {"!=", "110111101"},
    };
    for (const auto& [form, results] : forms)
        for (std::size_t i = 0; i < std::size(operands); ++i)
            Check({{operands[i][0] + form + operands[i][1], results.substr(i, 1)}});
    Check({{"'B' < 'a'", "1"}, {"'\xE4' > 'z'", "1"}, {"'' < 'a'", "1"}, {"'' = ''", "1"}, {"'a' + 'b' = 'ab'", "1"}});
}

// A failed operator leaves the value of its left operand.
TEST_F(EvaluatorTest, OperatorErrorsAndTheTypeRule) {
    Check({
        {"7 / 0", "E1@6 7"}, {"7 % 0", "E1@6 7"}, {"7 \\ 0", "E1@6 7"}, {"7/-0", "E1@5 7"}, {"7/(1-1)", "E1@8 7"},
        {"'a' = 1", "E13@8 'a"}, {"1 = 'a'", "E13@8 1"}, {"1 < foo", "E21@5"},
        // An unknown comparison is reported at the operator; "!" alone is left over.
        {"1 =# 1", "E16@3"}, {"1 #= 1", "E16@3"}, {"1 <# 1", "E16@3"}, {"1## 1", "E16@2"}, {"5 =# 1", "E16@3 5"},
        {"1 >< 1 = # 2", "E16@8"}, {"'a' =# 'a'", "E16@5 0"}, {"1 ! 2", "E8@3"}, {"1 !! 2", "E8@3"},
        // Only the right operand's type is checked.
        {"'ab' + 'cd'", "'abcd"}, {"5 + 'x'", "'x"}, {"'a' + 'b' + 'c'", "'abc"}, {"'a' * 2", "0"}, {"'a' + 2", "2"},
        {"'a' ^ 2", "0"}, {"'a' << 1", "0"}, {"'a' & 1", "0"}, {"2 - 'cd'", "E13@9 2"}, {"2 * 'a'", "E13@8 2"},
        {"2 / 'a'", "E13@8 2"}, {"2 ^ 'a'", "E13@8 2"}, {"2 << 'a'", "E13@9 2"}, {"2 & 'a'", "E13@8 2"},
        {"2 && 'a'", "E13@9 2"}, {"-'a'", "E13@5"}, {"!'a'", "E13@5"}, {"'ab' - 'cd'", "E13@12 'ab"},
    });
}

// The first error is kept with its position and every one is counted; the
// next evaluation starts afresh, also on the parser's own text or a part of it.
// Joined texts stop at their limit, keeping the left text.
TEST_F(EvaluatorTest, EachEvaluationStartsAfreshAndJoinedTextsStopAtTheirLimit) {
    parser_Evaluate(Text::FromBytes("1 + foo"));
    EXPECT_EQ(Parser().ParserErrorCount, 2);  // the unknown name, then its type
    parser_Evaluate(Text::FromBytes("7/0 + 1/0 + foo"));
    EXPECT_EQ(std::pair(Parser().ParserErrorCode, Parser().ParserErrorPosition), std::pair(Int{1}, Int{5}));
    EXPECT_EQ(Parser().ParserErrorCount, 4);
    EXPECT_EQ(parser_Evaluate(Text::FromBytes("12 + 30")).ValueNumeric, 42);
    EXPECT_EQ(Parser().ParserErrorCode + Parser().ParserErrorPosition + Parser().ParserErrorCount, 0);
    EXPECT_EQ(parser_Evaluate(Parser().ParserText).ValueNumeric, 42);
    EXPECT_EQ(parser_Evaluate(TextView(Parser().ParserText).subspan(5)).ValueNumeric, 30);
    EXPECT_EQ(Parser().ParserText, Text::FromBytes("30"));
    EXPECT_EQ(Parser().ParserTextEnd, 2);
    SetCell(0, std::string(static_cast<std::size_t>(MaxTextLength) - 1, 'a'), CellKindText);
    Check({{"Len(Z1S1 + 'b')", std::to_string(MaxTextLength)}});
    const parser_UniversalType refused = parser_Evaluate(Text::FromBytes("Z1S1 + \"bc\" "));
    EXPECT_EQ(std::pair(Parser().ParserErrorCode, Parser().ParserErrorPosition), std::pair(BeyondLimitsError, Int{13}));
    EXPECT_EQ(refused.ValueText.Size() + 1, static_cast<std::size_t>(MaxTextLength));
}

TEST_F(EvaluatorTest, NumeralsAndLiterals) {
    const std::string ones(26, '1');
    Check({
        {"1.5", "1.5"}, {".5", "0.5"}, {"1e3", "1000"}, {"1E3", "1000"}, {"1e+2", "100"}, {"1e-2", "0.01"},
        {"2.5e1", "25"}, {"1.", "1"}, {"007", "7"}, {"1e", "1"}, {"0xff", "255"}, {"0xFF", "255"}, {"0x10", "16"},
        {"0x1E", "30"}, {"0xE+1", "15"}, {"0xffffffffffffffff", "-1"}, {"0x8000000000000000", "-9223372036854775808"},
        {"0x10000000000000000", "0"}, {"0x100000000000000ff", "255"}, {" 0x0f ", "15"},
        // Runs step over blanks, the numeral is converted whole, and 27 characters are the most.
        {"1 2", "1"}, {"12 34 + 1", "13"}, {"1 .5", "1"}, {"1e 2", "1"}, {"1" + std::string(26, '0'), "1e26"},
        {std::string(26, '0') + "1", "1"}, {"1" + std::string(25, ' ') + "2", "1"}, {"1" + std::string(26, ' '), "1"},
        {ones + "11", "E4@1 none"}, {"2 + " + ones + "11", "E4@5"}, {"1" + std::string(26, ' ') + "1", "E4@1"},
        {"1" + std::string(27, ' '), "E4@1"}, {ones + ".5.5", "E10@29"}, {"1.2.3", "E10@4 none"}, {".5.5", "E10@3"},
        {"1e5.3", "E10@4"}, {"0x", "E18@1 0"}, {"1 + 0x", "E18@5"}, {"0x1 2", "E18@1"}, {"0x 1", "E18@1"},
        {"1e+", "E7@4"}, {"1e-", "E7@4"}, {"1e+ ", "E7@4"}, {"1,5", "E8@2"}, {"0X1", "E8@2"}, {"'ab c'", "'ab c"},
        {"''", "'"}, {"'  '", "'  "}, {"'abc", "'abc"}, {"'abc  ", "'abc  "}, {"'a'   ", "'a"}, {"'a\xF0+'", "'a\xF0+"},
        {"'", "E15@1 none"}, {"1+'", "E15@3"}, {"'a' + '", "E15@7"}, {"\xF0", "3.141592653589793"},
        {"2*\xF0", "6.283185307179586"}, {"\xF0  + 1", "4.141592653589793"}, {"-\xF0", "-3.141592653589793"},
        {"(1", "E6@3"}, {"(1 2", "E6@5"}, {"((1)", "E6@5"}, {"(1 + 2 ]", "E6@8"}, {"(1,2)", "E8@4"}, {"1 )", "E8@3"},
        {"1 2 3 )", "E8@7"}, {"(1))", "E8@4"}, {"1 $", "E8@3"}, {"(4,", "4"}, {std::string("1\0" "2", 3), "E8@2"},
        {"", "E11@1"}, {"   ", "E11@4"}, {"1 +", "E11@4"}, {"--1", "E11@2"}, {"!", "E11@2"}, {"- -1", "E11@3"},
        {"$", "E11@1"}, {"()", "E11@2"}, {"2 * )", "E11@5"},
    });
}

TEST_F(EvaluatorTest, FunctionCalls) {
    Check({
        {"Abs(-3)", "3"}, {"ABS (-3)", "3"}, {"abs( -3 )", "3"}, {"Sum ( 1 ,2,3 , 4 ) * 2", "20"},
        {"Abs(Abs(-1) - 3)", "2"}, {"e()", "2.718281828459045"}, {"e ( ) + 1", "3.718281828459045"},
        {"Len(mid$('abcdef', 2, 3))", "3"}, {"MID$('abcdef',2,3)", "'bcd"}, {"mid$ ('abcdef',2,3)", "'bcd"},
        {"Mid$('ab' + 'cdef', 1 + 1, 3)", "'bcd"}, {"UniqueID = ''", "0"}, {"Round(1)", "E5@8"},
        {"Round(1 2)", "E5@10"}, {"Abs(1,2)", "E17@6"}, {"Abs(1", "E17@6"}, {"Abs 1", "E2@5"}, {"Abs", "E2@4"},
        {"Abs(", "E11@5"}, {"e(", "E17@3"}, {"e(1)", "E17@3"}, {"Mid (1)", "E21@1"}, {"Mid $('a',1,1)", "E21@1"},
        {"UniqueIDs", "E21@1"}, {"UniqueID$", "E21@1"}, {"n\xE4", "E8@2"}, {"n_1", "E21@1"}, {"21", "21"},
        {"Result * 2", "42"}, {"Result", "42"},
    });
}

TEST_F(EvaluatorTest, VariablesAndCellsByName) {
    SetCell(CellIndex(1, 1), "2,5", CellKindNumber);
    SetCell(CellIndex(2, 1), "abc", CellKindText);
    SetCell(CellIndex(2, 2), "12", CellKindText);
    SetCell(CellIndex(3, 1), "7", CellKindUncomputed);
    SetCell(CellIndex(SheetRowCount, SheetColumnCount), "-1e3", CellKindNumber);
    Check({
        {"Var('Price', 5) + Var('Name$', 'Otto')", "0"}, {"Price", "5"}, {"PRICE * 2", "10"}, {"price+1", "6"},
        {"Name$", "'Otto"}, {"name$ + '!'", "'Otto!"}, {"NAME$   ", "'Otto"}, {"foo", "E21@1 none"},
        {"1 + foo", "E21@5"}, {"foo$", "E21@1"}, {"Name", "E21@1"}, {"Price$", "E21@1"}, {"Name $", "E21@1"},
        {"Z1S1", "2.5"}, {"z1s1 * 2", "5"}, {"Z3S1", "7"}, {"Z4S4", "0"}, {"Z999S100", "-1000"}, {"Z2S2 + 1", "1"},
        {"Z2S1", "'abc"}, {"Z2S1 + '!'", "'abc!"}, {"Z2S2", "'12"}, {"Z1000S1", "E21@1"}, {"Z0S1", "E21@1"},
        {"Z1S101", "E21@1"}, {"Z01S1", "E21@1"}, {"Z2S1$", "E21@1"}, {"ZS1", "E21@1"},
        {"Var('Z1S1', 9)", "0"}, {"Z1S1", "9"},  // variables come before cells
    });
    Parser().CellReferencesEnabled = false;
    Check({{"Z3S1", "E21@1"}});
}

// A formula reads each cell once, so what it read must be forgotten before
// the next one, and cells sharing a remembered slot must not mix.
TEST_F(EvaluatorTest, CellsAreReadAfreshForEveryFormula) {
    SetCell(0, "2", CellKindNumber);
    SetCell(4, "30", CellKindNumber);
    SetCell(8, "400", CellKindNumber);
    Check({{"Z1S1 + Z1S5 + Z1S1 + Z1S9 + Z1S5", "464"}, {"Z1S1", "2"}});
    SetCell(0, "5", CellKindNumber);
    Check({{"Z1S1 * Z1S1", "25"}});
    SetCell(0, "x", CellKindText);
    Check({{"Z1S1 + Z1S1", "'xx"}});
}

// Past the limit the error stands at the "(" one level too deep; huge formulas finish quickly.
TEST_F(EvaluatorTest, NestingUpToTheLimitAndBeyond) {
    const int limit = static_cast<int>(MaxNestingDepth), over = limit + 1;
    const auto tooDeep = [](int at) { return "E" + std::to_string(NestingTooDeepError) + "@" + std::to_string(at); };
    const auto start = std::chrono::steady_clock::now();
    Check({
        {Repeat("(", limit) + "1" + Repeat(")", limit), "1"}, {Repeat("-(", limit) + "1" + Repeat(")", limit), "1"},
        {Repeat("Abs(", limit) + "-1" + Repeat(")", limit), "1"},
        {Repeat("(1+", limit) + "1" + Repeat(")", limit), std::to_string(limit + 1)},
        {Repeat("Sum(1,", limit) + "1" + Repeat(",1,1)", limit), std::to_string(3 * limit + 1)},
        {Repeat("(", over) + "1" + Repeat(")", over), tooDeep(over)},
        {Repeat("-(", over) + "1" + Repeat(")", over), tooDeep(2 * over)},
        {Repeat("Abs(", over) + "1" + Repeat(")", over), tooDeep(4 * over)},
        {Repeat("( ", over) + "1", tooDeep(2 * over - 1)}, {"1 + " + Repeat("(", over), tooDeep(4 + over)},
        {Repeat("(", 1000000), tooDeep(over)}, {Repeat("Sum(", 200000), tooDeep(4 * over)},
        {"0" + Repeat("+1", 500000), "500000"}, {Repeat("a", 1000000), "E21@1"}, {Repeat("1 ", 500000), "E4@1"},
        {Repeat("-", 1000000), "E11@2"}, {"Len(''" + Repeat("+'ab'", 100000) + ")", "200000"},
    });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// Runs the evaluation on a thread with half the usual 8 MiB stack, so that a
// limit set too high for the frames of a level shows here as a crash.
TEST_F(EvaluatorTest, TheDeepestNestingFitsInHalfATestThreadsStack) {
    const int limit = static_cast<int>(MaxNestingDepth);
    static std::string formula;
    static parser_UniversalType value;
    formula = "Len(" + Repeat("Mid$(", limit - 1) + "\"ab\"" + Repeat(", 1, 1)", limit - 1) + ") + " +
              Repeat("Abs(-(", limit / 2) + "1" + Repeat("))", limit / 2);
    pthread_attr_t attributes;
    pthread_t thread;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, std::size_t{4} << 20), 0);
    const auto run = [](void*) -> void* { return (value = parser_Evaluate(Text::FromBytes(formula)), nullptr); };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, nullptr), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(Parser().ParserErrorCode, 0);
    EXPECT_EQ(value.ValueNumeric, 2);
}

}  // namespace
