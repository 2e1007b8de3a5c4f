// The built-in functions, called directly through the dispatcher with
// argument lists, and a few through the evaluator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "formula/builtins.h"
#include "formula/evaluator.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "formula/value.h"
#include "formula/variables.h"
#include "platform/log.h"
#include "runtime/program.h"
#include "sheet/calculation.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double MostNegative = -9223372036854775808.0;  // -2^63
constexpr Int CallPosition = 17;

parser_UniversalType R(double value) { return {ValueTypeReal, value, {}}; }
parser_UniversalType Tx(std::string_view bytes) { return {ValueTypeText, 0.0, Text::FromBytes(bytes)}; }
parser_UniversalType None() { return {}; }

std::string S(const Text& text) { return std::string(text.Elements.begin(), text.Elements.end()); }

Int TokenOf(std::string_view name) {
    for (const BuiltinFunction& row : BuiltinFunctions()) {
        if (row.Name == name) return row.Token;
    }
    ADD_FAILURE() << "no built-in named " << name;
    return 0;
}

parser_UniversalType Call(std::string_view name, std::vector<parser_UniversalType> arguments) {
    return parser_CallBuiltin(CallPosition, TokenOf(name), arguments);
}

// Equal as IEEE values, except that NaN equals NaN and the signs of zeros
// must agree.
bool SameReal(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

std::string Describe(std::string_view name, const std::vector<parser_UniversalType>& arguments) {
    std::string text(name);
    text += "(";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) text += ", ";
        const parser_UniversalType& a = arguments[i];
        if (a.ValueType == ValueTypeReal) text += std::to_string(a.ValueNumeric);
        else if (a.ValueType == ValueTypeText) text += "\"" + S(a.ValueText) + "\"";
        else text += "none";
    }
    return text + ")";
}

class BuiltinsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLogToStdout(false);
        initoxtools();
        ResetParser();
        parser_InitFunctions();
        ResetCalculation();
    }
    void TearDown() override {
        ResetParser();
        ResetCalculation();
        SetLogToStdout(true);
    }

    static void ClearErrors() {
        Parser().ParserErrorCode = 0;
        Parser().ParserErrorPosition = 0;
        Parser().ParserErrorCount = 0;
    }
    static void ExpectNoError(const std::string& what) {
        EXPECT_EQ(Parser().ParserErrorCode, 0) << what;
        EXPECT_EQ(Parser().ParserErrorCount, 0) << what;
    }
    static void ExpectError(Int code, const std::string& what) {
        EXPECT_EQ(Parser().ParserErrorCode, code) << what;
        EXPECT_EQ(Parser().ParserErrorPosition, CallPosition) << what;
        EXPECT_EQ(Parser().ParserErrorCount, 1) << what;
    }
    static void ExpectRealZero(const parser_UniversalType& value, const std::string& what) {
        EXPECT_EQ(value.ValueType, ValueTypeReal) << what;
        EXPECT_TRUE(SameReal(value.ValueNumeric, 0.0)) << what;
    }
    static void SetCell(Int index, std::string_view text, Int kind) {
        CalculationState& calculation = Calculation();
        calculation.CellText.at(static_cast<std::size_t>(index)) = Text::FromBytes(text);
        SetCellKind(calculation.CellAttributes.at(static_cast<std::size_t>(index)), kind);
    }
};

struct RealCase {
    std::string_view Name;
    std::vector<parser_UniversalType> Arguments;
    double Expected;
};

struct TextCase {
    std::string_view Name;
    std::vector<parser_UniversalType> Arguments;
    std::string Expected;
};

void ExpectReals(const std::vector<RealCase>& cases) {
    for (const RealCase& c : cases) {
        ResetParser();
        parser_InitFunctions();
        const std::string what = Describe(c.Name, c.Arguments);
        const parser_UniversalType value = Call(c.Name, c.Arguments);
        EXPECT_EQ(value.ValueType, ValueTypeReal) << what;
        EXPECT_TRUE(SameReal(value.ValueNumeric, c.Expected))
            << what << " gave " << value.ValueNumeric << ", expected " << c.Expected;
        EXPECT_EQ(Parser().ParserErrorCount, 0) << what;
    }
}

void ExpectTexts(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) {
        ResetParser();
        parser_InitFunctions();
        const std::string what = Describe(c.Name, c.Arguments);
        const parser_UniversalType value = Call(c.Name, c.Arguments);
        EXPECT_EQ(value.ValueType, ValueTypeText) << what;
        EXPECT_EQ(S(value.ValueText), c.Expected) << what;
        EXPECT_EQ(Parser().ParserErrorCount, 0) << what;
    }
}

// ---- Numeric functions ----

TEST_F(BuiltinsTest, MathematicalFunctionsGiveTheirListedResults) {
    ExpectReals({
        {"Abs", {R(-2.5)}, 2.5},
        {"Abs", {R(-0.0)}, 0.0},
        {"Abs", {R(-Inf)}, Inf},
        {"Sin", {R(0)}, 0.0},
        {"Sin", {R(1)}, std::sin(1.0)},
        {"Cos", {R(0)}, 1.0},
        {"Tan", {R(1)}, std::tan(1.0)},
        {"Sqr", {R(3)}, 9.0},
        {"Sqr", {R(-3)}, 9.0},
        {"ArcTan", {R(1)}, std::atan(1.0)},
        {"Ln", {R(1)}, 0.0},
        {"Ln", {R(0)}, -Inf},
        {"Ln", {R(-1)}, NaN},
        {"Log", {R(1000)}, 2.9999999999999996},
        {"Exp", {R(0)}, 1.0},
        {"Exp", {R(1)}, std::exp(1.0)},
        {"Exp10", {R(2)}, 100.0},
        {"Exp10", {R(-1)}, 0.1},
        {"ArcCos", {R(1)}, 0.0},
        {"ArcSin", {R(2)}, NaN},
        {"ArcSin", {R(1)}, std::asin(1.0)},
        {"Sqrt", {R(9)}, 3.0},
        {"Sqrt", {R(-1)}, NaN},
        {"e", {}, 2.718281828459045},
        {"Sum", {R(1), R(2), R(3), R(4)}, 10.0},
        {"Sum", {R(1e308), R(1e308), R(-1e308), R(-1e308)}, Inf},  // added in order
        {"Sum", {R(0.1), R(0.2), R(0.3), R(0)}, (0.1 + 0.2) + 0.3},
    });
}

TEST_F(BuiltinsTest, SignTruncIntAndFracFollowTheIntegerConversion) {
    ExpectReals({
        {"Sgn", {R(3)}, 1.0},
        {"Sgn", {R(-3)}, -1.0},
        {"Sgn", {R(0)}, 0.0},
        {"Sgn", {R(0.5)}, 0.0},
        {"Sgn", {R(-0.5)}, 0.0},
        {"Sgn", {R(NaN)}, -1.0},  // NaN converts to the most negative integer
        {"Sgn", {R(Inf)}, -1.0},
        {"Trunc", {R(-2.5)}, -2.0},
        {"Trunc", {R(2.9)}, 2.0},
        {"Int", {R(-2.5)}, -3.0},
        {"Int", {R(-2)}, -2.0},
        {"Int", {R(2.7)}, 2.0},
        {"Int", {R(-Inf)}, -Inf},
        {"Int", {R(NaN)}, NaN},
        {"Frac", {R(-2.5)}, -0.5},
        {"Frac", {R(2.25)}, 0.25},
        {"Frac", {R(Inf)}, NaN},
    });
}

TEST_F(BuiltinsTest, RoundGoesHalfUpAndTakesTheMagnitudeOfTheDecimals) {
    ExpectReals({
        {"Round", {R(2.345), R(2)}, 2.35},
        {"Round", {R(2.5), R(0)}, 3.0},
        {"Round", {R(-2.5), R(0)}, -2.0},
        {"Round", {R(-2.6), R(0)}, -2.0},  // trunc(-2.1): adding a half moves toward zero
        {"Round", {R(-3.6), R(0)}, -3.0},
        {"Round", {R(1234.5), R(-2)}, 1234.5},
        {"Round", {R(1234.5678), R(-2)}, 1234.57},
        {"Round", {R(1234.5678), R(2.9)}, 1234.57},  // the decimals are truncated
        {"Round", {R(1.5), R(0.9)}, 2.0},
    });
    const parser_UniversalType negative = Call("Round", {R(1234.5678), R(-2)});
    const parser_UniversalType positive = Call("Round", {R(1234.5678), R(2)});
    EXPECT_EQ(negative.ValueNumeric, positive.ValueNumeric);
}

TEST_F(BuiltinsTest, LenValCountsIntegerDigitsAndTheSign) {
    ExpectReals({
        {"LenVal", {R(0)}, 1.0},
        {"LenVal", {R(9.99)}, 1.0},
        {"LenVal", {R(10)}, 2.0},
        {"LenVal", {R(99999)}, 5.0},
        {"LenVal", {R(-1000)}, 5.0},
        {"LenVal", {R(-0.5)}, 2.0},
        {"LenVal", {R(NaN)}, 1.0},
        {"LenVal", {R(1e308)}, 309.0},
    });
}

TEST_F(BuiltinsTest, GgtIsEuclidWithoutSignNormalisation) {
    ExpectReals({
        {"GGT", {R(12), R(18)}, 6.0},
        {"GGT", {R(-4), R(6)}, 2.0},   // (-4, 6) -> (6, -4) -> (-4, 2) -> (2, 0)
        {"GGT", {R(4), R(-6)}, -2.0},  // (4, -6) -> (-6, 4) -> (4, -2) -> (-2, 0)
        {"GGT", {R(-4), R(0)}, -4.0},
        {"GGT", {R(5), R(0)}, 5.0},
        {"GGT", {R(0), R(7)}, 7.0},
        {"GGT", {R(12.9), R(18.9)}, 6.0},
    });
}

TEST_F(BuiltinsTest, FactorialsAndBinomials) {
    ExpectReals({
        {"Fact", {R(0)}, 1.0},
        {"Fact", {R(1)}, 1.0},
        {"Fact", {R(5)}, 120.0},
        {"Fact", {R(-4)}, 24.0},
        {"Fact", {R(5.9)}, 120.0},
        {"Fact", {R(20)}, 2432902008176640000.0},
        {"Fact", {R(171)}, Inf},
        {"BinCoef", {R(5), R(2)}, 10.0},
        {"BinCoef", {R(10), R(3)}, 120.0},
        {"BinCoef", {R(5), R(0)}, 1.0},
        {"BinDist", {R(2), R(0.5), R(1)}, 0.5},
        {"BinDist", {R(3), R(0.5), R(0)}, 0.125},
        {"BinDist", {R(4), R(0.25), R(2)}, 6.0 * 0.0625 * 0.5625},
    });
    // The product is built up in order, so it matches the same loop exactly.
    double product = 1.0;
    for (int i = 2; i <= 170; ++i) product *= i;
    EXPECT_EQ(Call("Fact", {R(170)}).ValueNumeric, product);
}

TEST_F(BuiltinsTest, MinAndMaxFollowTheirComparisonsWithNaN) {
    ExpectReals({
        {"Min", {R(1), R(2)}, 1.0},
        {"Min", {R(2), R(1)}, 1.0},
        {"Min", {R(1), R(NaN)}, 1.0},
        {"Min", {R(NaN), R(1)}, NaN},
        {"Max", {R(1), R(2)}, 2.0},
        {"Max", {R(2), R(1)}, 2.0},
        {"Max", {R(1), R(NaN)}, NaN},
        {"Max", {R(NaN), R(1)}, 1.0},
    });
}

TEST_F(BuiltinsTest, ByteAndWordPartsOfTheInteger) {
    ExpectReals({
        {"LoWord", {R(70000)}, 4464.0},
        {"HiWord", {R(70000)}, 1.0},
        {"HiByte", {R(258)}, 1.0},
        {"LoByte", {R(258)}, 2.0},
        {"LoByte", {R(-1)}, 255.0},
        {"HiByte", {R(-1)}, 255.0},
        {"HiWord", {R(-1)}, 65535.0},
        {"LoWord", {R(-2)}, 65534.0},
        {"HiWord", {R(NaN)}, 0.0},
    });
}

TEST_F(BuiltinsTest, Crc16StepsAndTheStandardCrcOfAMessage) {
    ExpectReals({
        {"CRC16", {R(0), R(65)}, 65.0},
        {"CRC16", {R(65535), R(0)}, 57840.0},
        {"CRC16", {R(0), R(321)}, 65.0},       // low 8 bits of the byte
        {"CRC16", {R(65536), R(0)}, 0.0},      // low 16 bits of the start
        {"CRC16", {R(NaN), R(NaN)}, 0.0},
    });
    // CRC-16 with polynomial 0x1021 and start 0 (XMODEM) of "123456789".
    double crc = 0;
    for (const char byte : std::string("123456789")) crc = Call("CRC16", {R(crc), R(static_cast<UInt8>(byte))}).ValueNumeric;
    crc = Call("CRC16", {R(crc), R(0)}).ValueNumeric;
    crc = Call("CRC16", {R(crc), R(0)}).ValueNumeric;
    EXPECT_EQ(crc, 0x31C3);
}

// ---- Text functions ----

TEST_F(BuiltinsTest, MidLeftAndRightCutBytes) {
    ExpectTexts({
        {"Mid$", {Tx("abcdef"), R(2), R(3)}, "bcd"},
        {"Mid$", {Tx("abcdef"), R(5), R(10)}, "ef"},
        {"Mid$", {Tx("abcdef"), R(6), R(1)}, "f"},
        {"Mid$", {Tx("abc"), R(0), R(2)}, "ab"},
        {"Mid$", {Tx("abc"), R(-5), R(9)}, "abc"},
        {"Mid$", {Tx("abc"), R(4), R(1)}, ""},
        {"Mid$", {Tx("abc"), R(1), R(0)}, ""},
        {"Mid$", {Tx("abc"), R(2), R(-1)}, ""},
        {"Mid$", {Tx(""), R(1), R(1)}, ""},
        {"Left$", {Tx("abc"), R(5)}, "abc"},
        {"Left$", {Tx("abc"), R(2)}, "ab"},
        {"Left$", {Tx("abc"), R(0)}, ""},
        {"Left$", {Tx("abc"), R(-1)}, ""},
        {"Right$", {Tx("abc"), R(0)}, ""},
        {"Right$", {Tx("abc"), R(2)}, "bc"},
        {"Right$", {Tx("abc"), R(3)}, "abc"},
        {"Right$", {Tx("abc"), R(7)}, "abc"},
        {"Right$", {Tx(""), R(-1)}, ""},
    });
}

TEST_F(BuiltinsTest, NumbersAsTexts) {
    ExpectTexts({
        {"Str$", {R(2.5)}, "2,5"},
        {"Str$", {R(-3)}, "-3"},
        {"Hex$", {R(255)}, "FF"},
        {"Hex$", {R(0)}, "0"},
        {"Hex$", {R(4096.9)}, "1000"},
        {"Hex$", {R(-1)}, "FFFFFFFFFFFFFFFF"},
        {"Hex$", {R(NaN)}, "8000000000000000"},
        {"Chr$", {R(65)}, "A"},
        {"Chr$", {R(321)}, "A"},
        {"Chr$", {R(-191)}, "A"},  // the low byte, so -191 is 65 modulo 256
        {"Void$", {R(5)}, ""},
        {"Void$", {Tx("x")}, ""},
        {"Void$", {None()}, ""},
        {"Repeat$", {Tx("ab"), R(3)}, "ababab"},
        {"Repeat$", {Tx("ab"), R(1.9)}, "ab"},
        {"Repeat$", {Tx("ab"), R(0)}, ""},
        {"Repeat$", {Tx("ab"), R(-4)}, ""},
        {"Repeat$", {Tx(""), R(5)}, ""},
    });
    const parser_UniversalType highByte = Call("Chr$", {R(255)});
    ASSERT_EQ(highByte.ValueText.Size(), 1u);
    EXPECT_EQ(highByte.ValueText[0], 255);
    const parser_UniversalType zero = Call("Chr$", {R(256)});
    ASSERT_EQ(zero.ValueText.Size(), 1u);
    EXPECT_EQ(zero.ValueText[0], 0);
}

TEST_F(BuiltinsTest, TextsAsNumbers) {
    ExpectReals({
        {"Asc", {Tx("A")}, 65.0},
        {"Asc", {Tx("\xE4x")}, 228.0},
        {"Val", {Tx("2,5")}, 2.5},
        {"Val", {Tx("2.5e2abc")}, 250.0},
        {"Val", {Tx("abc")}, 0.0},
        {"Len", {Tx("")}, 0.0},
        {"Len", {Tx("abc")}, 3.0},
        {"Dec", {Tx("ff")}, 255.0},
        {"Dec", {Tx("FF")}, 255.0},
        {"Dec", {Tx("1G")}, 1.0},
        {"Dec", {Tx("G1")}, 0.0},
        {"Dec", {Tx("")}, 0.0},
        {"Dec", {Tx("7fffffffffffffff")}, 9223372036854775807.0},
        {"Dec", {Tx("8000000000000000")}, MostNegative},
        {"Dec", {Tx("FFFFFFFFFFFFFFFF")}, -1.0},
        {"Dec", {Tx("1FFFFFFFFFFFFFFFF")}, -1.0},  // wraps: the top digit is lost
        {"Index", {Tx("Z1S1")}, 0.0},
        {"Index", {Tx("z2s3")}, 102.0},
        {"Index", {Tx("Z999S100")}, 99899.0},
        {"Index", {Tx("S1")}, -2.0},
        {"Index", {Tx("Z1000S1")}, -1.0},
        {"Void", {R(5)}, 0.0},
        {"Void", {Tx("x")}, 0.0},
        {"Void", {None()}, 0.0},
    });
}

TEST_F(BuiltinsTest, AscOfAnEmptyTextRaisesErrorFour) {
    const parser_UniversalType value = Call("Asc", {Tx("")});
    ExpectRealZero(value, "Asc(\"\")");
    ExpectError(4, "Asc(\"\")");
}

// ---- Type checks ----

// For every argument that must be real or text, a call with that one
// argument of the wrong type (and with no value) raises error 13 once.
TEST_F(BuiltinsTest, EveryTypedArgumentIsChecked) {
    for (const BuiltinFunction& row : BuiltinFunctions()) {
        std::vector<parser_UniversalType> fitting;
        for (Int i = 0; i < row.ParamCount; ++i) {
            fitting.push_back(row.Arguments[static_cast<std::size_t>(i)] == ArgumentKind::Text ? Tx("Z1S1") : R(1));
        }
        for (Int i = 0; i < row.ParamCount; ++i) {
            const ArgumentKind kind = row.Arguments[static_cast<std::size_t>(i)];
            if (kind == ArgumentKind::Any) continue;
            for (const parser_UniversalType& wrong : {kind == ArgumentKind::Real ? Tx("1") : R(1), None()}) {
                ResetParser();
                parser_InitFunctions();
                std::vector<parser_UniversalType> arguments = fitting;
                arguments[static_cast<std::size_t>(i)] = wrong;
                const std::string what = Describe(row.Name, arguments);
                const parser_UniversalType value = parser_CallBuiltin(CallPosition, row.Token, arguments);
                ExpectRealZero(value, what);
                ExpectError(13, what);
                EXPECT_EQ(Parser().NumericVariableCount + Parser().TextVariableCount, 0) << what;
            }
        }
    }
}

TEST_F(BuiltinsTest, FittingArgumentsRaiseNoTypeError) {
    for (const BuiltinFunction& row : BuiltinFunctions()) {
        std::vector<parser_UniversalType> arguments;
        for (Int i = 0; i < row.ParamCount; ++i) {
            arguments.push_back(row.Arguments[static_cast<std::size_t>(i)] == ArgumentKind::Text ? Tx("Z1S1") : R(1));
        }
        ResetParser();
        parser_InitFunctions();
        parser_CallBuiltin(CallPosition, row.Token, arguments);
        ExpectNoError(Describe(row.Name, arguments));
    }
}

TEST_F(BuiltinsTest, SeveralWrongArgumentsRaiseOneError) {
    const parser_UniversalType value = Call("Mid$", {R(1), Tx("a"), Tx("b")});
    ExpectRealZero(value, "Mid$(1, \"a\", \"b\")");
    ExpectError(13, "Mid$(1, \"a\", \"b\")");
}

TEST_F(BuiltinsTest, AShortArgumentListFailsTheTypeCheck) {
    const std::vector<parser_UniversalType> one = {Tx("abc")};
    const parser_UniversalType value = parser_CallBuiltin(CallPosition, TokenOf("Mid$"), one);
    ExpectRealZero(value, "Mid$ with one argument");
    ExpectError(13, "Mid$ with one argument");
}

TEST_F(BuiltinsTest, UnknownTokensGiveZeroAndALogLine) {
    LogCapture log;
    for (const Int token : {Int{0}, Int{53}, Int{-1}}) {
        const parser_UniversalType value = parser_CallBuiltin(CallPosition, token, {});
        ExpectRealZero(value, "token " + std::to_string(token));
    }
    ExpectNoError("unknown tokens");
    EXPECT_TRUE(log.Contains("parser_CallBuiltin: Unknown token 53."));
}

// ---- Var ----

TEST_F(BuiltinsTest, VarDefinesRealAndTextVariables) {
    ExpectRealZero(Call("Var", {Tx("Price"), R(5)}), "Var Price");
    ExpectRealZero(Call("Var", {Tx("Name$"), Tx("Meier")}), "Var Name$");
    ExpectNoError("Var");
    const ParserState& parser = Parser();
    ASSERT_EQ(parser.NumericVariableCount, 1);
    ASSERT_EQ(parser.TextVariableCount, 1);
    const Int price = parser_FindNumericVariable(Text::FromBytes("PRICE"));
    ASSERT_GT(price, 0);
    EXPECT_EQ(S(parser.NumericVariables[static_cast<std::size_t>(price)].Name), "Price");
    EXPECT_EQ(parser.NumericVariables[static_cast<std::size_t>(price)].Value, 5.0);
    const Int name = parser_FindTextVariable(Text::FromBytes("name"));
    ASSERT_GT(name, 0);
    EXPECT_EQ(S(parser.TextVariables[static_cast<std::size_t>(name)].Name), "Name");
    EXPECT_EQ(S(parser.TextVariables[static_cast<std::size_t>(name)].Value), "Meier");
}

TEST_F(BuiltinsTest, VarChangesAnExistingVariableAndKeepsItsFirstName) {
    Call("Var", {Tx("total"), R(1)});
    Call("Var", {Tx("TOTAL"), R(2)});
    ExpectNoError("Var twice");
    ASSERT_EQ(Parser().NumericVariableCount, 1);
    EXPECT_EQ(S(Parser().NumericVariables[1].Name), "total");
    EXPECT_EQ(Parser().NumericVariables[1].Value, 2.0);
}

TEST_F(BuiltinsTest, VarKeepsTheTwoTablesApart) {
    Call("Var", {Tx("A"), R(1)});
    Call("Var", {Tx("A"), Tx("text")});
    Call("Var", {Tx("A$"), Tx("other")});
    ExpectNoError("same name in both tables");
    EXPECT_EQ(Parser().NumericVariableCount, 1);
    ASSERT_EQ(Parser().TextVariableCount, 1);
    EXPECT_EQ(S(Parser().TextVariables[1].Value), "other");
}

TEST_F(BuiltinsTest, VarWithNoValueStoresAnEmptyText) {
    Call("Var", {Tx("Nothing"), None()});
    ExpectNoError("Var with no value");
    ASSERT_EQ(Parser().TextVariableCount, 1);
    EXPECT_EQ(S(Parser().TextVariables[1].Name), "Nothing");
    EXPECT_TRUE(Parser().TextVariables[1].Value.Empty());
}

TEST_F(BuiltinsTest, VarSortsTheTablesAfterCreating) {
    for (const char* name : {"delta", "Alpha", "charlie", "Bravo"}) Call("Var", {Tx(name), R(1)});
    const std::vector<std::string> expected = {"Alpha", "Bravo", "charlie", "delta"};
    ASSERT_EQ(Parser().NumericVariableCount, 4);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(S(Parser().NumericVariables[i + 1].Name), expected[i]);
}

TEST_F(BuiltinsTest, VarNameRules) {
    struct NameCase {
        std::string_view Name;
        parser_UniversalType Value;
        Int Error;      // 0 = none
        bool Stored;
    };
    const std::vector<NameCase> cases = {
        {"abc_1", R(1), 0, true},
        {"x9", Tx("t"), 0, true},
        {"Name$", Tx("t"), 0, true},
        {"1abc", R(1), 20, false},
        {"_a", R(1), 20, false},
        {"a b", R(1), 20, false},
        {"a-b", Tx("t"), 20, false},
        {"\xE4rger", R(1), 20, false},  // only the letters A to Z count
        {"Price$", R(1), 20, false},    // "$" goes only with a text value
        {"a$$", Tx("t"), 20, false},
        {"", R(1), 0, false},
        {"$", Tx("t"), 0, false},       // empty once the "$" is removed
    };
    for (const NameCase& c : cases) {
        ResetParser();
        parser_InitFunctions();
        const std::string what = "Var(\"" + std::string(c.Name) + "\")";
        ExpectRealZero(Call("Var", {Tx(c.Name), c.Value}), what);
        if (c.Error == 0) ExpectNoError(what);
        else ExpectError(c.Error, what);
        EXPECT_EQ(Parser().NumericVariableCount + Parser().TextVariableCount, c.Stored ? 1 : 0) << what;
    }
}

TEST_F(BuiltinsTest, TheEleventhVariableOfATableRaisesErrorThree) {
    for (int i = 0; i < 10; ++i) Call("Var", {Tx("v" + std::to_string(i)), R(i)});
    ExpectNoError("ten variables");
    ASSERT_EQ(Parser().NumericVariableCount, 10);

    ExpectRealZero(Call("Var", {Tx("eleventh"), R(11)}), "eleventh");
    ExpectError(3, "eleventh");
    EXPECT_EQ(Parser().NumericVariableCount, 10);
    EXPECT_EQ(parser_FindNumericVariable(Text::FromBytes("eleventh")), 0);

    // A full table still changes its variables, and the other table is free.
    ClearErrors();
    Call("Var", {Tx("V3"), R(33)});
    Call("Var", {Tx("eleventh"), Tx("text")});
    ExpectNoError("change and text");
    EXPECT_EQ(Parser().NumericVariables[static_cast<std::size_t>(parser_FindNumericVariable(Text::FromBytes("v3")))].Value,
              33.0);
    EXPECT_EQ(Parser().TextVariableCount, 1);
}

TEST_F(BuiltinsTest, TheEleventhTextVariableRaisesErrorThree) {
    for (int i = 0; i < 10; ++i) Call("Var", {Tx("t" + std::to_string(i) + "$"), Tx("x")});
    ASSERT_EQ(Parser().TextVariableCount, 10);
    Call("Var", {Tx("more$"), Tx("x")});
    ExpectError(3, "eleventh text variable");
    EXPECT_EQ(Parser().TextVariableCount, 10);
}

// ---- Cells, Self and Result ----

TEST_F(BuiltinsTest, IndCellReadsWhatTheCellShows) {
    SetCell(5, "2,5", CellKindNumber);
    SetCell(6, "hello", CellKindText);
    SetCell(7, "12abc", CellKindUncomputed);
    SetCell(99899, "-7", CellKindNumber);

    const parser_UniversalType number = Call("IndCell", {R(5)});
    EXPECT_EQ(number.ValueType, ValueTypeReal);
    EXPECT_EQ(number.ValueNumeric, 2.5);
    const parser_UniversalType text = Call("IndCell", {R(6.7)});
    EXPECT_EQ(text.ValueType, ValueTypeText);
    EXPECT_EQ(S(text.ValueText), "hello");
    EXPECT_EQ(Call("IndCell", {R(7)}).ValueNumeric, 12.0);
    ExpectRealZero(Call("IndCell", {R(0)}), "empty cell");
    EXPECT_EQ(Call("IndCell", {R(99899)}).ValueNumeric, -7.0);
    ExpectNoError("cells in range");
}

TEST_F(BuiltinsTest, IndCellOutsideTheSheetRaisesErrorTwentyTwo) {
    for (const double index : {-1.0, 99900.0, 1e300, -Inf, Inf, NaN}) {
        ClearErrors();
        const std::string what = "IndCell(" + std::to_string(index) + ")";
        ExpectRealZero(Call("IndCell", {R(index)}), what);
        ExpectError(22, what);
    }
}

TEST_F(BuiltinsTest, SelfIsTheComputingCell) {
    ExpectRealZero(Call("Self", {}), "Self in the first cell");
    Calculation().ComputingCell = 1234;
    EXPECT_EQ(Call("Self", {}).ValueNumeric, 1234.0);
}

TEST_F(BuiltinsTest, ResultIsThePreviousResultUnchanged) {
    Parser().ParserResult = {ValueTypeText, 4.0, Text::FromBytes("abc")};
    const parser_UniversalType text = Call("Result", {});
    EXPECT_EQ(text.ValueType, ValueTypeText);
    EXPECT_EQ(text.ValueNumeric, 4.0);
    EXPECT_EQ(S(text.ValueText), "abc");

    Parser().ParserResult = {};
    EXPECT_EQ(Call("Result", {}).ValueType, ValueTypeNone);

    Parser().ParserResult = {ValueTypeReal, 7.5, {}};
    EXPECT_EQ(Call("Result", {}).ValueNumeric, 7.5);
}

// ---- Random numbers ----

TEST_F(BuiltinsTest, RndStaysWithinZeroAndItsArgument) {
    std::set<double> seen;
    for (int i = 0; i < 2000; ++i) {
        const double value = Call("Rnd", {R(10)}).ValueNumeric;
        ASSERT_GE(value, 0.0);
        ASSERT_LE(value, 10.0);
        seen.insert(value);
        const double negative = Call("Rnd", {R(-3)}).ValueNumeric;
        ASSERT_GE(negative, -3.0);
        ASSERT_LE(negative, 0.0);
    }
    EXPECT_GT(seen.size(), 1900u);
    // Both halves of the range come up.
    EXPECT_LT(*seen.begin(), 1.0);
    EXPECT_GT(*seen.rbegin(), 9.0);
    ExpectRealZero(Call("Rnd", {R(0)}), "Rnd(0)");
    EXPECT_TRUE(std::isnan(Call("Rnd", {R(NaN)}).ValueNumeric));
}

TEST_F(BuiltinsTest, UniqueIdIsThirtyTwoUpperCaseHexadecimalDigits) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const parser_UniversalType id = Call("UniqueID", {});
        ASSERT_EQ(id.ValueType, ValueTypeText);
        const std::string text = S(id.ValueText);
        ASSERT_EQ(text.size(), 32u);
        EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 50u);
}

// ---- Arguments at the edges of the number range ----

TEST_F(BuiltinsTest, HugeArgumentsGiveTheirLimitsWithoutEndlessLoops) {
    ExpectReals({
        {"Fact", {R(1e18)}, Inf},
        {"Fact", {R(-1e18)}, Inf},
        {"Fact", {R(NaN)}, Inf},       // the most negative integer, magnitude 2^63
        {"Fact", {R(MostNegative)}, Inf},
        {"BinCoef", {R(1e18), R(5)}, NaN},   // infinity over infinity
        {"BinCoef", {R(NaN), R(-1)}, NaN},   // n - m wraps
        {"BinCoef", {R(9.2e18), R(-9.2e18)}, NaN},
        {"BinDist", {R(1e18), R(0.5), R(3)}, NaN},
        {"BinDist", {R(NaN), R(0.5), R(NaN)}, NaN},
        {"LenVal", {R(Inf)}, Inf},
        {"LenVal", {R(-Inf)}, Inf},
        {"LenVal", {R(-1.7976931348623157e308)}, 310.0},
        {"Round", {R(1), R(1e18)}, NaN},     // infinite scale: inf / inf
        {"Round", {R(1), R(NaN)}, NaN},
        {"Round", {R(1), R(-1e300)}, NaN},
        {"Round", {R(0.5), R(400)}, NaN},
        {"Round", {R(1), R(308)}, 1.0},  // the last finite scale
        {"GGT", {R(MostNegative), R(-1)}, -1.0},
        {"GGT", {R(NaN), R(-1)}, -1.0},
        {"GGT", {R(-1), R(MostNegative)}, -1.0},
        {"GGT", {R(MostNegative), R(0)}, MostNegative},
        {"GGT", {R(MostNegative), R(MostNegative)}, MostNegative},
        {"GGT", {R(1e300), R(-1e300)}, MostNegative},
    });
    ExpectTexts({
        {"Mid$", {Tx("abc"), R(2), R(9e18)}, "bc"},
        {"Mid$", {Tx("abc"), R(2), R(1e300)}, ""},  // 1e300 converts to the most negative integer
        {"Mid$", {Tx("abc"), R(-1e300), R(2)}, "ab"},
        {"Mid$", {Tx("abc"), R(NaN), R(2)}, "ab"},
        {"Mid$", {Tx("abc"), R(9.2e18), R(9.2e18)}, ""},
        {"Mid$", {Tx("abc"), R(3), R(9.2e18)}, "c"},
        {"Left$", {Tx("abc"), R(NaN)}, ""},
        {"Left$", {Tx("abc"), R(Inf)}, ""},  // infinity converts to the most negative integer
        {"Right$", {Tx("abc"), R(1e18)}, "abc"},
        {"Right$", {Tx("abc"), R(-Inf)}, ""},
        {"Chr$", {R(1e300)}, std::string(1, '\0')},
        {"Hex$", {R(1e300)}, "8000000000000000"},
        {"Str$", {R(NaN)}, "nan"},
    });
}

TEST_F(BuiltinsTest, RepeatBuildsAtMostOneMebibyte) {
    const parser_UniversalType largest = Call("Repeat$", {Tx("ab"), R(524288)});
    ExpectNoError("Repeat$ of 1 MiB");
    EXPECT_EQ(largest.ValueType, ValueTypeText);
    EXPECT_EQ(largest.ValueText.Size(), std::size_t{1} << 20);

    for (const double count : {524289.0, 1e18, 9.2e18}) {
        ClearErrors();
        const std::string what = "Repeat$(\"ab\", " + std::to_string(count) + ")";
        ExpectRealZero(Call("Repeat$", {Tx("ab"), R(count)}), what);
        ExpectError(4, what);
    }
    ClearErrors();
    EXPECT_TRUE(Call("Repeat$", {Tx("ab"), R(NaN)}).ValueText.Empty());
    ExpectNoError("Repeat$ with NaN");
}

// ---- Through the evaluator ----

struct FormulaCase {
    std::string_view Formula;
    parser_UniversalType Expected;
    Int ErrorCode;
    Int ErrorPosition;
};

TEST_F(BuiltinsTest, CallsThroughTheEvaluator) {
    const std::vector<FormulaCase> cases = {
        {"Mid$(\"abcdef\", 2, 3)", Tx("bcd"), 0, 0},
        {"Round(2.345, 2)", R(2.35), 0, 0},
        {"GGT(12, 18) + Fact(-4)", R(30), 0, 0},
        {"Hex$(255) + Chr$(321)", Tx("FFA"), 0, 0},
        {"Abs(\"x\")", R(0), 13, 9},
        {"Asc(\"\") ", R(0), 4, 9},
        {"IndCell(-1)", R(0), 22, 12},
        {"Void(Var(\"Price\", 5))", R(0), 0, 0},
    };
    for (const FormulaCase& c : cases) {
        const parser_UniversalType value = parser_Evaluate(Text::FromBytes(c.Formula));
        const std::string what(c.Formula);
        EXPECT_EQ(Parser().ParserErrorCode, c.ErrorCode) << what;
        if (c.ErrorCode != 0) {
            EXPECT_EQ(Parser().ParserErrorPosition, c.ErrorPosition) << what;
        }
        EXPECT_EQ(value.ValueType, c.Expected.ValueType) << what;
        EXPECT_TRUE(SameReal(value.ValueNumeric, c.Expected.ValueNumeric)) << what;
        EXPECT_EQ(S(value.ValueText), S(c.Expected.ValueText)) << what;
    }
}

TEST_F(BuiltinsTest, VariablesDefinedByVarAreReadInLaterFormulas) {
    parser_Evaluate(Text::FromBytes("Var(\"Price\", 5) + Var(\"Name$\", \"Meier\")"));
    ASSERT_EQ(Parser().ParserErrorCode, 0);
    EXPECT_EQ(parser_Evaluate(Text::FromBytes("Price * 2")).ValueNumeric, 10.0);
    EXPECT_EQ(S(parser_Evaluate(Text::FromBytes("Name$")).ValueText), "Meier");
    EXPECT_EQ(Parser().ParserErrorCode, 0);
}

TEST_F(BuiltinsTest, ResultInsideAFormulaSeesThePreviousEvaluation) {
    parser_Evaluate(Text::FromBytes("\"abc\""));
    const parser_UniversalType value = parser_Evaluate(Text::FromBytes("Result + \"d\""));
    EXPECT_EQ(Parser().ParserErrorCode, 0);
    EXPECT_EQ(S(value.ValueText), "abcd");
}

}  // namespace
