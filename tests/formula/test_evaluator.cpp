// The formula evaluator: precedence, the type rule, operators, numerals,
// literals, names, cell references, errors with their positions and the
// nesting limit.
#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "formula/evaluator.h"
#include "formula/function_table.h"
#include "formula/lexical.h"
#include "formula/parser_state.h"
#include "formula/value.h"
#include "formula/variables.h"
#include "platform/log.h"
#include "sheet/calculation.h"

namespace {

Text T(std::string_view bytes) { return Text::FromBytes(bytes); }

std::string S(const Text& text) { return std::string(text.Elements.begin(), text.Elements.end()); }

std::string Repeat(std::string_view piece, int count) {
    std::string result;
    for (int i = 0; i < count; ++i) result += piece;
    return result;
}

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double MostNegative = -9223372036854775808.0;

struct RealCase {
    std::string Formula;
    double Expected;
};

struct TextCase {
    std::string Formula;
    std::string Expected;
};

struct ErrorCase {
    std::string Formula;
    Int Code;
    Int Position;
};

class EvaluatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLogToStdout(false);
        ResetParser();
        ResetCalculation();
        parser_InitFunctions();
        Parser().CellReferencesEnabled = true;
    }
    void TearDown() override {
        ResetParser();
        ResetCalculation();
        SetLogToStdout(true);
    }

    static void SetCell(Int row, Int column, std::string_view text, Int kind) {
        CalculationState& calc = Calculation();
        const auto index = static_cast<std::size_t>(CellIndex(row, column));
        calc.CellText[index] = T(text);
        SetCellKind(calc.CellAttributes[index], kind);
    }

    // Each real case must evaluate without error to exactly its value (NaN
    // to NaN, and the sign of zero counts).
    static void ExpectReals(const std::vector<RealCase>& cases) {
        for (const RealCase& c : cases) {
            SCOPED_TRACE("formula: " + c.Formula);
            const parser_UniversalType value = parser_Evaluate(T(c.Formula));
            EXPECT_EQ(Parser().ParserErrorCode, 0) << "at " << Parser().ParserErrorPosition;
            EXPECT_EQ(value.ValueType, ValueTypeReal);
            if (std::isnan(c.Expected)) {
                EXPECT_TRUE(std::isnan(value.ValueNumeric)) << value.ValueNumeric;
            } else {
                EXPECT_EQ(value.ValueNumeric, c.Expected);
                EXPECT_EQ(std::signbit(value.ValueNumeric), std::signbit(c.Expected));
            }
        }
    }

    static void ExpectTexts(const std::vector<TextCase>& cases) {
        for (const TextCase& c : cases) {
            SCOPED_TRACE("formula: " + c.Formula);
            const parser_UniversalType value = parser_Evaluate(T(c.Formula));
            EXPECT_EQ(Parser().ParserErrorCode, 0) << "at " << Parser().ParserErrorPosition;
            EXPECT_EQ(value.ValueType, ValueTypeText);
            EXPECT_EQ(S(value.ValueText), c.Expected);
        }
    }

    static void ExpectErrors(const std::vector<ErrorCase>& cases) {
        for (const ErrorCase& c : cases) {
            SCOPED_TRACE("formula: " + c.Formula);
            parser_Evaluate(T(c.Formula));
            EXPECT_EQ(Parser().ParserErrorCode, c.Code);
            EXPECT_EQ(Parser().ParserErrorPosition, c.Position);
            EXPECT_GE(Parser().ParserErrorCount, 1);
        }
    }
};

// ---- Precedence and associativity ----

TEST_F(EvaluatorTest, OperatorsBindByTheirLevel) {
    ExpectReals({
        {"1+2*3", 7},
        {"2*3+4*5", 26},
        {"(1+2)*3", 9},
        {"2*3^2", 18},
        {"2+3*4^2", 50},
        {"-2^2", 4},
        {"1+2<4", 1},
        {"1<2&&3<4", 1},
        {"1<<2+1", 5},
        {"2^-1", 0.5},
        {"2*-3", -6},
        {"1 - -1", 2},
        {"1+2=3", 1},
    });
}

TEST_F(EvaluatorTest, BinaryLevelsAssociateToTheLeft) {
    ExpectReals({
        {"2^3^2", 64},
        {"10-4-3", 3},
        {"100/10/5", 2},
        {"8/2*4", 16},
        {"6&3|8", 10},
        {"1<2<3", 1},
        {"3>2>1", 0},
        {"64>>2>>1", 8},
        {"7%4%2", 1},
    });
}

TEST_F(EvaluatorTest, BlanksAreSkippedAroundTokensAndInsideTwoCharacterOperators) {
    ExpectReals({
        {"  1 +  2 ", 3},
        {"1 < = 2", 1},
        {"1 = = 1", 1},
        {"1 ! > 2", 1},
        {"1 < < 3", 8},
        {"16 > > 2", 4},
        {"3 & & 0", 0},
        {"0 | | 5", 1},
        {"6 ~ ~ 0", 1},
        {"( 1 + 2 ) * 2", 6},
    });
}

// ---- Arithmetic ----

TEST_F(EvaluatorTest, ArithmeticOperators) {
    ExpectReals({
        {"7/2", 3.5},
        {"7%4", 3},
        {"-7%4", -3},
        {"7%-4", 3},
        {"7.5%2", 1.5},
        {"7\\2", 3},
        {"-7\\2", -3},
        {"2^10", 1024},
        {"1e308*10", Infinity},
        {"0^0", 1},
    });
}

TEST_F(EvaluatorTest, DivisionByZeroRaisesErrorOneAndKeepsTheLeftValue) {
    for (const std::string formula : {"7 / 0", "7 % 0", "7 \\ 0", "7/-0", "7/(1-1)"}) {
        SCOPED_TRACE(formula);
        const parser_UniversalType value = parser_Evaluate(T(formula));
        EXPECT_EQ(Parser().ParserErrorCode, 1);
        EXPECT_EQ(Parser().ParserErrorPosition, static_cast<Int>(formula.size()) + 1);
        EXPECT_EQ(value.ValueType, ValueTypeReal);
        EXPECT_EQ(value.ValueNumeric, 7);
    }
}

TEST_F(EvaluatorTest, ANaNDivisorCountsAsNotZero) {
    parser_StoreNumericVariable(T("n"), NaN);
    ExpectReals({{"7/n", NaN}, {"7%n", NaN}, {"7\\n", NaN}});
}

// ---- Integer conversion, shifts and logical operators ----

TEST(EvaluatorIntegerConversion, TruncatesTowardZeroAndMapsTheRestToTheMostNegative) {
    constexpr Int Min = std::numeric_limits<Int>::min();
    const struct {
        double Real;
        Int Expected;
    } cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {-0.0, 0},
        {9223372036854774784.0, 9223372036854774784},
        {-9223372036854774784.0, -9223372036854774784},
        {9223372036854775808.0, Min},
        {-9223372036854775808.0, Min},
        {1e300, Min},
        {-1e300, Min},
        {Infinity, Min},
        {-Infinity, Min},
        {NaN, Min},
    };
    for (const auto& c : cases) EXPECT_EQ(parser_ToInteger(c.Real), c.Expected) << c.Real;
}

TEST_F(EvaluatorTest, ShiftsIncludingCountsBeyondSixtyThreeAndNegativeCounts) {
    parser_StoreNumericVariable(T("n"), NaN);
    ExpectReals({
        {"1 << 2", 4},
        {"1 << 64", -1},
        {"1 << 1000", -1},
        {"1 >> 64", 0},
        {"-1 >> 64", 0},
        {"1 << -1", 0},
        {"-8 >> 1", -4},
        {"-8 << -70", -1},
        {"8 << -70", 0},
        {"-8 << -63", -1},
        {"-8 << -64", -1},
        {"1 >> -3", 8},
        {"1 >> -64", 0},
        {"-1 >> -63", MostNegative},
        {"1 << 63", MostNegative},
        {"3 << 62", -4611686018427387904.0},
        {"0x4000000000000000 << 1", MostNegative},
        {"1 << n", 0},
        {"n << 1", 0},
        {"n >> 1", -4611686018427387904.0},
        {"2.9 << 1.9", 4},
    });
}

TEST_F(EvaluatorTest, LogicalOperatorsWorkOnIntegerConversions) {
    ExpectReals({
        {"3 && -2", 1},
        {"3 && 0", 0},
        {"0 || 0", 0},
        {"0 || 2", 1},
        {"6 & 3", 2},
        {"6 | 3", 7},
        {"6 ~ 3", 5},
        {"6 ~~ 3", 0},
        {"0 ~~ 3", 1},
        {"0.5 && 1", 0},
        {"-1 & 255", 255},
        {"1 < 2 & 3", 1},
    });
}

// ---- Unary operators ----

TEST_F(EvaluatorTest, NotGivesOneForZeroZeroForPositiveAndTwoForNegative) {
    parser_StoreNumericVariable(T("n"), NaN);
    ExpectReals({
        {"!0", 1},
        {"!5", 0},
        {"!(-5)", 2},
        {"!0.9", 1},
        {"! 3", 0},
        {"!n", 2},
    });
}

TEST_F(EvaluatorTest, MinusFlipsTheSignBit) {
    parser_StoreNumericVariable(T("n"), NaN);
    ExpectReals({
        {"-0", -0.0},
        {"-(0)", -0.0},
        {"0", 0.0},
        {"-(-0)", 0.0},
        {"- 2", -2},
        {"-n", NaN},
    });
    EXPECT_TRUE(std::signbit(parser_Evaluate(T("-n")).ValueNumeric));
}

// ---- Comparisons ----

TEST_F(EvaluatorTest, EveryComparisonForm) {
    ExpectReals({
        {"1<2", 1},  {"2<1", 0},   {"2>1", 1},   {"1>1", 0},   {"1<=1", 1}, {"2<=1", 0},  {"1=<1", 1},
        {"2=<1", 0}, {"2!>1", 0},  {"1!>1", 1},  {"1>=1", 1},  {"1>=2", 0}, {"1=>1", 1},  {"1=>2", 0},
        {"1!<2", 0}, {"2!<1", 1},  {"1=1", 1},   {"1=2", 0},   {"1==1", 1}, {"1==2", 0},  {"1!#1", 1},
        {"1!#2", 0}, {"1#1", 0},   {"1#2", 1},   {"1<>1", 0},  {"1<>2", 1}, {"1><1", 0},  {"1><2", 1},
        {"1!=1", 0}, {"1!=2", 1},
    });
}

TEST_F(EvaluatorTest, NaNIsUnequalToEverythingAndInNoOrder) {
    parser_StoreNumericVariable(T("n"), NaN);
    ExpectReals({
        {"n=n", 0},  {"n==1", 0}, {"n!#n", 0}, {"n#n", 1},  {"n<>n", 1}, {"n><1", 1}, {"n!=n", 1},
        {"n<1", 0},  {"n>1", 0},  {"n<=n", 0}, {"n>=n", 0}, {"1=<n", 0}, {"1=>n", 0}, {"n!>1", 0},
        {"n!<1", 0},
    });
}

TEST_F(EvaluatorTest, TextsCompareByUnsignedBytesWithoutFolding) {
    ExpectReals({
        {"\"abc\" < \"abd\"", 1},
        {"\"ab\" < \"abc\"", 1},
        {"\"abc\" > \"ab\"", 1},
        {"\"B\" < \"a\"", 1},
        {"\"a\" = \"A\"", 0},
        {"\"a\" # \"A\"", 1},
        {"\"\xE4\" > \"z\"", 1},
        {"\"\" < \"a\"", 1},
        {"\"\" = \"\"", 1},
        {"\"ab\" <= \"ab\"", 1},
        {"\"ab\" !> \"ab\"", 1},
        {"\"ab\" >= \"ac\"", 0},
        {"\"ab\" !< \"aa\"", 1},
        {"\"ab\" == \"ab\"", 1},
        {"\"ab\" <> \"ab\"", 0},
        {"\"a\" + \"b\" = \"ab\"", 1},
    });
}

TEST_F(EvaluatorTest, ComparisonOfMixedTypesRaisesErrorThirteenAndKeepsTheLeftValue) {
    ExpectErrors({
        {"\"a\" = 1", 13, 8},
        {"1 = \"a\"", 13, 8},
        {"1 < foo", 21, 5},
    });
    const parser_UniversalType value = parser_Evaluate(T("\"a\"=1"));
    EXPECT_EQ(value.ValueType, ValueTypeText);
    EXPECT_EQ(S(value.ValueText), "a");
}

TEST_F(EvaluatorTest, UnknownComparisonOperatorsRaiseErrorSixteenAtTheOperator) {
    ExpectErrors({
        {"1 =# 1", 16, 3},
        {"1 #= 1", 16, 3},
        {"1 <# 1", 16, 3},
        {"1## 1", 16, 2},
        {"1 >< 1 = # 2", 16, 8},
    });
    const parser_UniversalType value = parser_Evaluate(T("5 =# 1"));
    EXPECT_EQ(value.ValueType, ValueTypeReal);
    EXPECT_EQ(value.ValueNumeric, 5);
    const parser_UniversalType fromText = parser_Evaluate(T("\"a\" =# \"a\""));
    EXPECT_EQ(fromText.ValueType, ValueTypeReal);
    EXPECT_EQ(fromText.ValueNumeric, 0);
}

TEST_F(EvaluatorTest, ALoneExclamationMarkAfterAnOperandIsLeftOver) {
    ExpectErrors({
        {"1 ! 2", 8, 3},
        {"1 !! 2", 8, 3},
    });
}

// ---- The type rule of the binary levels ----

TEST_F(EvaluatorTest, OnlyTheRightOperandsTypeIsChecked) {
    ExpectTexts({
        {"\"ab\" + \"cd\"", "abcd"},
        {"5 + \"x\"", "x"},
        {"\"a\" + \"b\" + \"c\"", "abc"},
    });
    ExpectReals({
        {"\"a\" * 2", 0},
        {"\"a\" + 2", 2},
        {"\"a\" ^ 2", 0},
        {"\"a\" << 1", 0},
        {"\"a\" & 1", 0},
    });
}

TEST_F(EvaluatorTest, AWrongRightOperandRaisesErrorThirteenAfterItAndKeepsTheLeftValue) {
    const std::vector<ErrorCase> cases = {
        {"2 - \"cd\"", 13, 9},
        {"2 * \"a\"", 13, 8},
        {"2 / \"a\"", 13, 8},
        {"2 ^ \"a\"", 13, 8},
        {"2 << \"a\"", 13, 9},
        {"2 & \"a\"", 13, 8},
        {"2 && \"a\"", 13, 9},
        {"-\"a\"", 13, 5},
        {"!\"a\"", 13, 5},
    };
    ExpectErrors(cases);
    for (const ErrorCase& c : cases) {
        if (c.Formula[0] != '2') continue;
        const parser_UniversalType value = parser_Evaluate(T(c.Formula));
        EXPECT_EQ(value.ValueType, ValueTypeReal) << c.Formula;
        EXPECT_EQ(value.ValueNumeric, 2) << c.Formula;
    }
    ExpectErrors({{"\"ab\" - \"cd\"", 13, 12}});
    EXPECT_EQ(S(parser_Evaluate(T("\"ab\" - \"cd\"")).ValueText), "ab");
}

TEST_F(EvaluatorTest, AnOperandWithoutValueFailsTheTypeCheckToo) {
    parser_Evaluate(T("1 + foo"));
    EXPECT_EQ(Parser().ParserErrorCode, 21);
    EXPECT_EQ(Parser().ParserErrorCount, 2);  // the unknown name, then the type
}

TEST_F(EvaluatorTest, JoinedTextsStopAtTheirLimit) {
    const auto limit = static_cast<int>(MaxTextLength);
    SetCell(1, 1, std::string(static_cast<std::size_t>(limit - 1), 'a'), CellKindText);
    const parser_UniversalType longest = parser_Evaluate(T("Z1S1 + \"b\""));
    EXPECT_EQ(Parser().ParserErrorCode, 0);
    EXPECT_EQ(longest.ValueText.Size(), static_cast<std::size_t>(limit));

    const parser_UniversalType refused = parser_Evaluate(T("Z1S1 + \"bc\" "));
    EXPECT_EQ(Parser().ParserErrorCode, TextTooLongError);
    EXPECT_EQ(Parser().ParserErrorPosition, 13);
    EXPECT_EQ(refused.ValueText.Size(), static_cast<std::size_t>(limit - 1));
}

// ---- Numerals ----

TEST_F(EvaluatorTest, DecimalNumerals) {
    ExpectReals({
        {"1.5", 1.5},
        {".5", 0.5},
        {"1e3", 1000},
        {"1E3", 1000},
        {"1e+2", 100},
        {"1e-2", 0.01},
        {"2.5e1", 25},
        {"1.", 1},
        {"007", 7},
        {"1e", 1},
    });
}

TEST_F(EvaluatorTest, NumeralsStepOverBlanksAndAreConvertedWhole) {
    ExpectReals({
        {"1 2", 1},
        {"12 34 + 1", 13},
        {"1 .5", 1},
        {"1e 2", 1},
    });
}

TEST_F(EvaluatorTest, HexadecimalNumeralsWrapOnSixtyFourBits) {
    ExpectReals({
        {"0xff", 255},
        {"0xFF", 255},
        {"0x10", 16},
        {"0x1E", 30},
        {"0xE+1", 15},
        {"0xffffffffffffffff", -1},
        {"0x8000000000000000", MostNegative},
        {"0x10000000000000000", 0},
        {"0x100000000000000ff", 255},
        {" 0x0f ", 15},
    });
}

TEST_F(EvaluatorTest, NumeralErrors) {
    ExpectErrors({
        {"1.2.3", 10, 4},
        {".5.5", 10, 3},
        {"1e5.3", 10, 4},
        {std::string(28, '1'), 4, 1},
        {"2 + " + std::string(28, '1'), 4, 5},
        {"1" + std::string(26, ' ') + "1", 4, 1},
        {"1" + std::string(27, ' '), 4, 1},
        {std::string(26, '1') + ".5.5", 10, 29},
        {"0x", 18, 1},
        {"1 + 0x", 18, 5},
        {"0x1 2", 18, 1},
        {"0x 1", 18, 1},
        {"1e+", 7, 4},
        {"1e-", 7, 4},
        {"1e+ ", 7, 4},
        {"1,5", 8, 2},
        {"0X1", 8, 2},
    });
}

TEST_F(EvaluatorTest, TwentySevenCharactersAreTheLongestNumeral) {
    ExpectReals({
        {"1" + std::string(26, '0'), 1e26},
        {std::string(26, '0') + "1", 1},
        {"1" + std::string(25, ' ') + "2", 1},
        {"1" + std::string(26, ' '), 1},
    });
}

TEST_F(EvaluatorTest, AFailedNumeralHasNoValue) {
    EXPECT_EQ(parser_Evaluate(T("1.2.3")).ValueType, ValueTypeNone);
    EXPECT_EQ(parser_Evaluate(T(std::string(30, '9'))).ValueType, ValueTypeNone);
    const parser_UniversalType hex = parser_Evaluate(T("0x"));
    EXPECT_EQ(hex.ValueType, ValueTypeReal);
    EXPECT_EQ(hex.ValueNumeric, 0);
}

// ---- String literals and pi ----

TEST_F(EvaluatorTest, StringLiterals) {
    ExpectTexts({
        {"\"ab c\"", "ab c"},
        {"\"\"", ""},
        {"\"  \"", "  "},
        {"\"abc", "abc"},
        {"\"abc  ", "abc  "},
        {"\"a\" + \"b\"", "ab"},
        {"\"a\"   ", "a"},
        {"\"a\xF0+\"", "a\xF0+"},
    });
}

TEST_F(EvaluatorTest, AQuoteAtTheEndRaisesErrorFifteen) {
    ExpectErrors({
        {"\"", 15, 1},
        {"1+\"", 15, 3},
        {"\"a\" + \"", 15, 7},
    });
    EXPECT_EQ(parser_Evaluate(T("\"")).ValueType, ValueTypeNone);
    EXPECT_EQ(Parser().ParserErrorCount, 1);
}

TEST_F(EvaluatorTest, TheCharacter240IsPi) {
    ExpectReals({
        {"\xF0", PiValue},
        {"2*\xF0", 2 * PiValue},
        {"\xF0  + 1", PiValue + 1},
        {"-\xF0", -PiValue},
    });
}

// ---- Parentheses and left-over characters ----

TEST_F(EvaluatorTest, ParenthesisErrors) {
    ExpectErrors({
        {"(1", 6, 3},
        {"(1 2", 6, 5},
        {"((1)", 6, 5},
        {"(1 + 2 ]", 6, 8},
        {"(1,2)", 8, 4},
        {"1 )", 8, 3},
        {"1 2 3 )", 8, 7},
        {"(1))", 8, 4},
        {"1 $", 8, 3},
    });
    EXPECT_EQ(parser_Evaluate(T("(4,")).ValueNumeric, 4);
    EXPECT_EQ(Parser().ParserErrorCode, 0);
}

TEST_F(EvaluatorTest, AZeroByteInsideTheFormulaIsLeftOver) {
    std::string formula = "1";
    formula += '\0';
    formula += "2";
    parser_Evaluate(T(formula));
    EXPECT_EQ(Parser().ParserErrorCode, 8);
    EXPECT_EQ(Parser().ParserErrorPosition, 2);
}

TEST_F(EvaluatorTest, MissingOperandsRaiseErrorEleven) {
    ExpectErrors({
        {"", 11, 1},
        {"   ", 11, 4},
        {"1 +", 11, 4},
        {"--1", 11, 2},
        {"!", 11, 2},
        {"- -1", 11, 3},
        {"$", 11, 1},
        {"()", 11, 2},
        {"2 * )", 11, 5},
    });
}

// ---- Function calls ----

TEST_F(EvaluatorTest, FunctionCalls) {
    ExpectReals({
        {"Abs(-3)", 3},
        {"ABS (-3)", 3},
        {"abs( -3 )", 3},
        {"Round(2.5, 0)", 3},
        {"Sum(1, 2, 3, 4)", 10},
        {"Sum ( 1 ,2,3 , 4 ) * 2", 20},
        {"Abs(Abs(-1) - 3)", 2},
        {"e", 2.718281828459045},
        {"e()", 2.718281828459045},
        {"e ( ) + 1", 2.718281828459045 + 1},
        {"Len(\"abc\")", 3},
        {"Len(mid$(\"abcdef\", 2, 3))", 3},
    });
    ExpectTexts({
        {"Mid$(\"abcdef\", 2, 3)", "bcd"},
        {"MID$(\"abcdef\",2,3)", "bcd"},
        {"mid$ (\"abcdef\",2,3)", "bcd"},
        {"Mid$(\"ab\" + \"cdef\", 1 + 1, 3)", "bcd"},
    });
}

TEST_F(EvaluatorTest, FunctionCallErrors) {
    ExpectErrors({
        {"Round(1)", 5, 8},
        {"Round(1 2)", 5, 10},
        {"Abs(1,2)", 17, 6},
        {"Abs(1", 17, 6},
        {"Abs 1", 2, 5},
        {"Abs", 2, 4},
        {"Abs(", 11, 5},
        {"e(", 17, 3},
        {"e(1)", 17, 3},
        {"Mid (1)", 21, 1},
        {"Mid $(\"a\",1,1)", 21, 1},
        {"Abs(\"a\")", 13, 9},
    });
}

TEST_F(EvaluatorTest, ResultSeesThePreviousEvaluation) {
    parser_Evaluate(T("21"));
    EXPECT_EQ(Parser().ParserResult.ValueNumeric, 21);
    EXPECT_EQ(parser_Evaluate(T("Result * 2")).ValueNumeric, 42);
    EXPECT_EQ(Parser().ParserResult.ValueNumeric, 42);
}

TEST_F(EvaluatorTest, VarDefinesAVariableALaterFormulaReads) {
    parser_Evaluate(T("Var(\"Price\", 5)"));
    ASSERT_EQ(Parser().ParserErrorCode, 0);
    ExpectReals({{"price * 2", 10}});
}

// ---- Variables and names ----

TEST_F(EvaluatorTest, VariablesAreFoundByFoldedName) {
    parser_StoreNumericVariable(T("Price"), 5);
    parser_StoreTextVariable(T("Name"), T("Otto"));
    ExpectReals({
        {"Price", 5},
        {"PRICE * 2", 10},
        {"price+1", 6},
    });
    ExpectTexts({
        {"Name$", "Otto"},
        {"name$ + \"!\"", "Otto!"},
        {"NAME$   ", "Otto"},
    });
}

TEST_F(EvaluatorTest, UnknownNamesRaiseErrorTwentyOneOrThreeWhenTheTableIsFull) {
    parser_StoreNumericVariable(T("Price"), 5);
    parser_StoreTextVariable(T("Name"), T("Otto"));
    ExpectErrors({
        {"foo", 21, 1},
        {"1 + foo", 21, 5},
        {"foo$", 21, 1},
        {"Name", 21, 1},
        {"Price$", 21, 1},
        {"Name $", 21, 1},
    });
    for (int i = 0; i < 9; ++i) parser_StoreNumericVariable(T("v" + std::to_string(i)), i);
    ASSERT_EQ(Parser().NumericVariableCount, VariableLimit);
    ExpectErrors({
        {"foo", 3, 1},
        {"foo$", 21, 1},
    });
    for (int i = 0; i < 9; ++i) parser_StoreTextVariable(T("t" + std::to_string(i)), T("x"));
    ASSERT_EQ(Parser().TextVariableCount, VariableLimit);
    ExpectErrors({
        {"foo$", 3, 1},
        {"2 * bar", 3, 5},
    });
    ExpectReals({{"v8 + Price", 13}});
    EXPECT_EQ(parser_Evaluate(T("foo")).ValueType, ValueTypeNone);
}

// ---- Cell references ----

TEST_F(EvaluatorTest, CellReferencesReadWhatTheCellShows) {
    SetCell(1, 1, "2,5", CellKindNumber);
    SetCell(2, 1, "abc", CellKindText);
    SetCell(2, 2, "12", CellKindText);
    SetCell(3, 1, "7", CellKindUncomputed);
    SetCell(SheetRowCount, SheetColumnCount, "-1e3", CellKindNumber);
    ExpectReals({
        {"Z1S1", 2.5},
        {"z1s1 * 2", 5},
        {"Z3S1", 7},
        {"Z4S4", 0},
        {"Z999S100", -1000},
        {"Z2S2 + 1", 1},
    });
    ExpectTexts({
        {"Z2S1", "abc"},
        {"Z2S1 + \"!\"", "abc!"},
        {"Z2S2", "12"},
    });
}

// A formula reads each cell once, so what it read must be forgotten before
// the next one, and cells sharing a remembered slot must not mix.
TEST_F(EvaluatorTest, CellsAreReadAfreshForEveryFormula) {
    SetCell(1, 1, "2", CellKindNumber);
    SetCell(1, 5, "30", CellKindNumber);
    SetCell(1, 9, "400", CellKindNumber);
    ExpectReals({{"Z1S1 + Z1S5 + Z1S1 + Z1S9 + Z1S5", 464}, {"Z1S1", 2}});
    SetCell(1, 1, "5", CellKindNumber);
    ExpectReals({{"Z1S1 * Z1S1", 25}});
    SetCell(1, 1, "x", CellKindText);
    ExpectTexts({{"Z1S1 + Z1S1", "xx"}});
}

// The text to evaluate may be the parser's own, or a part of it.
TEST_F(EvaluatorTest, TheParsersOwnTextCanBeEvaluatedAgain) {
    EXPECT_EQ(parser_Evaluate(T("12 + 30")).ValueNumeric, 42);
    EXPECT_EQ(parser_Evaluate(Parser().ParserText).ValueNumeric, 42);
    EXPECT_EQ(parser_Evaluate(TextView(Parser().ParserText).subspan(5)).ValueNumeric, 30);
    EXPECT_EQ(S(Parser().ParserText), "30");
    EXPECT_EQ(Parser().ParserTextEnd, 2);
}

TEST_F(EvaluatorTest, VariablesComeBeforeCellsAndNonAddressesAreUnknown) {
    SetCell(1, 1, "2", CellKindNumber);
    parser_StoreNumericVariable(T("Z1S1"), 9);
    ExpectReals({{"Z1S1", 9}});
    ExpectErrors({
        {"Z1000S1", 21, 1},
        {"Z0S1", 21, 1},
        {"Z1S101", 21, 1},
        {"Z01S1", 21, 1},
        {"Z2S1$", 21, 1},
        {"ZS1", 21, 1},
    });
}

TEST_F(EvaluatorTest, CellReferencesNeedToBeEnabled) {
    SetCell(1, 1, "2", CellKindNumber);
    Parser().CellReferencesEnabled = false;
    ExpectErrors({{"Z1S1", 21, 1}});
}

// ---- Errors: first kept, all counted ----

TEST(EvaluatorRaiseError, KeepsTheFirstAndCountsEvery) {
    ResetParser();
    parser_RaiseError(5, 7);
    parser_RaiseError(6, 9);
    EXPECT_EQ(Parser().ParserErrorCode, 5);
    EXPECT_EQ(Parser().ParserErrorPosition, 7);
    EXPECT_EQ(Parser().ParserErrorCount, 2);
    ResetParser();
}

TEST_F(EvaluatorTest, EachEvaluationStartsWithoutErrors) {
    parser_Evaluate(T("7/0 + 1/0 + foo"));
    EXPECT_EQ(Parser().ParserErrorCode, 1);
    EXPECT_EQ(Parser().ParserErrorPosition, 5);  // after the divisor and its blanks
    EXPECT_EQ(Parser().ParserErrorCount, 4);  // two divisions, the name, its type
    parser_Evaluate(T("1"));
    EXPECT_EQ(Parser().ParserErrorCode, 0);
    EXPECT_EQ(Parser().ParserErrorPosition, 0);
    EXPECT_EQ(Parser().ParserErrorCount, 0);
}

TEST_F(EvaluatorTest, TheFormulaAndItsLengthAreKept) {
    parser_Evaluate(T(" 1 + 2"));
    EXPECT_EQ(S(Parser().ParserText), " 1 + 2");
    EXPECT_EQ(Parser().ParserTextEnd, 6);
}

// ---- Nesting limit ----

TEST_F(EvaluatorTest, NestingUpToTheLimitIsEvaluated) {
    const int limit = static_cast<int>(MaxNestingDepth);
    ExpectReals({
        {Repeat("(", limit) + "1" + Repeat(")", limit), 1},
        {Repeat("-(", limit) + "1" + Repeat(")", limit), 1},
        {Repeat("Abs(", limit) + "-1" + Repeat(")", limit), 1},
        {Repeat("(1+", limit) + "1" + Repeat(")", limit), limit + 1.0},
        {Repeat("Sum(1,", limit) + "1" + Repeat(",1,1)", limit), 3.0 * limit + 1},
    });
}

TEST_F(EvaluatorTest, NestingBeyondTheLimitRaisesItsErrorAtTheOpeningParenthesis) {
    const int over = static_cast<int>(MaxNestingDepth) + 1;
    ExpectErrors({
        {Repeat("(", over) + "1" + Repeat(")", over), NestingTooDeepError, over},
        {Repeat("-(", over) + "1" + Repeat(")", over), NestingTooDeepError, 2 * over},
        {Repeat("Abs(", over) + "1" + Repeat(")", over), NestingTooDeepError, 4 * over},
        {Repeat("( ", over) + "1", NestingTooDeepError, 2 * over - 1},
        {"1 + " + Repeat("(", over), NestingTooDeepError, 4 + over},
    });
}

// Runs the evaluation on a thread with half the usual 8 MiB stack, so that a
// limit set too high for the frames of a level shows here as a crash.
TEST_F(EvaluatorTest, TheDeepestNestingFitsInHalfATestThreadsStack) {
    const int limit = static_cast<int>(MaxNestingDepth);
    static std::string formula;
    formula = "Len(" + Repeat("Mid$(", limit - 1) + "\"ab\"" + Repeat(", 1, 1)", limit - 1) + ") + " +
              Repeat("Abs(-(", limit / 2) + "1" + Repeat("))", limit / 2);
    static parser_UniversalType value;
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, std::size_t{4} << 20), 0);
    pthread_t thread;
    const auto run = [](void*) -> void* {
        value = parser_Evaluate(T(formula));
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, nullptr), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(Parser().ParserErrorCode, 0);
    EXPECT_EQ(value.ValueType, ValueTypeReal);
    EXPECT_EQ(value.ValueNumeric, 2);
}

TEST_F(EvaluatorTest, HugeFormulasFinishQuickly) {
    const auto start = std::chrono::steady_clock::now();
    parser_Evaluate(T(Repeat("(", 1000000)));
    EXPECT_EQ(Parser().ParserErrorCode, NestingTooDeepError);
    parser_Evaluate(T(Repeat("Sum(", 200000)));
    EXPECT_EQ(Parser().ParserErrorCode, NestingTooDeepError);
    const parser_UniversalType sum = parser_Evaluate(T("0" + Repeat("+1", 500000)));
    EXPECT_EQ(sum.ValueNumeric, 500000);
    const parser_UniversalType text = parser_Evaluate(T("\"\"" + Repeat("+\"ab\"", 100000)));
    EXPECT_EQ(text.ValueText.Size(), 200000u);
    parser_Evaluate(T(Repeat("a", 1000000)));
    EXPECT_EQ(Parser().ParserErrorCode, 21);
    parser_Evaluate(T(Repeat("1 ", 500000)));
    EXPECT_EQ(Parser().ParserErrorCode, 4);
    parser_Evaluate(T(Repeat("-", 1000000)));
    EXPECT_EQ(Parser().ParserErrorCode, 11);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
