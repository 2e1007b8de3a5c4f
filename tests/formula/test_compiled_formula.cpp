// Compiled formulas against the evaluator that reads as it computes: the
// same value, error, error position and count, variables and result, for
// every formula the evaluator's own tests check (through Check) and for
// random ones; and formulas of one shape sharing a program.
#include "formula/compiled_formula.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "formula/builtins.h"
#include "formula/evaluator.h"
#include "formula/parser_state.h"
#include "formula/variables.h"
#include "formula_fixture.h"
#include "sheet/calculation.h"

namespace {

struct Outcome {
    parser_UniversalType Value;
    Int Code = 0, Position = 0, Count = 0;
    std::vector<parser_VariableNumeric> Numeric;
    std::vector<parser_VariableText> Texts;
    parser_UniversalType Result;
};

std::string Show(const parser_UniversalType& v) {
    std::string number(sizeof v.ValueNumeric, '\0');
    std::memcpy(number.data(), &v.ValueNumeric, sizeof v.ValueNumeric);  // the bits, NaN and -0 included
    return std::to_string(v.ValueType) + "|" + number + "|" +
           std::string(v.ValueText.Elements.begin(), v.ValueText.Elements.end());
}

std::string Show(const Outcome& o) {
    std::string all = Show(o.Value) + " E" + std::to_string(o.Code) + "@" + std::to_string(o.Position) + "x" +
                      std::to_string(o.Count) + " R" + Show(o.Result);
    for (const auto& v : o.Numeric) all += " " + std::string(v.Name.Elements.begin(), v.Name.Elements.end()) + "=" + std::to_string(v.Value);
    for (const auto& v : o.Texts)
        all += " " + std::string(v.Name.Elements.begin(), v.Name.Elements.end()) + "=" +
               std::string(v.Value.Elements.begin(), v.Value.Elements.end());
    return all;
}

Outcome Taken(const parser_UniversalType& value) {
    const ParserState& p = Parser();
    return {value, p.ParserErrorCode, p.ParserErrorPosition, p.ParserErrorCount,
            p.NumericVariables, p.TextVariables, p.ParserResult};
}

}  // namespace

void ExpectCompiledAgrees(const std::string& body, Int self) {
    ParserState& p = Parser();
    const auto numeric = p.NumericVariables;
    const auto texts = p.TextVariables;
    const Int numericCount = p.NumericVariableCount, textCount = p.TextVariableCount;
    const parser_UniversalType result = p.ParserResult;
    const Int computing = Calculation().ComputingCell;
    const auto restore = [&] {
        p.NumericVariables = numeric, p.TextVariables = texts;
        p.NumericVariableCount = numericCount, p.TextVariableCount = textCount;
        p.ParserResult = result;
        parser_SeedRandom(7);
        Calculation().ComputingCell = self;
    };
    restore();
    const Outcome read = Taken(parser_Evaluate(Text::FromBytes(body)));
    restore();
    const Text formula = Text::FromBytes("=" + body);
    const Outcome compiled = Taken(parser_Run(parser_Compile(formula, self), formula, self));
    EXPECT_EQ(Show(compiled), Show(read)) << "compiled differently: " << body;
    restore();
    Calculation().ComputingCell = computing;
}

namespace {

class CompiledFormulaTest : public FormulaTest {};

// Random formulas of every kind of piece, well-formed or not.
TEST_F(CompiledFormulaTest, RandomFormulasComputeAsTheEvaluatorReadsThem) {
    SetCell(0, "2,5", CellKindNumber);
    SetCell(1, "abc", CellKindText);
    SetCell(CellIndex(999, 100), "0x10", CellKindNumber);
    std::vector<std::string> pieces = {"1", "2,5", ".5", "1e3", "1e-", "0x1F", "0x", "1.2.3", "\"ab\"", "\"", "Z1S1",
                                       "z1s2", "Z999S100", "Z1000S1", "Z1S1x", "Z01S1", "n", "inf", "x", "y$", "Name$",
                                       "+", "-", "*", "/", "%", "\\", "^", "<<", ">>", "<", ">", "=", "#", "<=", "=>",
                                       "!=", "<>", "!#", "&&", "||", "~", "&", "|", "!", "(", ")", ",", " ", "  ", "?",
                                       ";", "\xE4", std::string(1, '\0'), "\xF0", "Var(\"x\",", "Var(\"y$\",\"t\")"};
    for (const BuiltinFunction& f : BuiltinFunctions()) pieces.emplace_back(f.Name);
    std::mt19937 random(26);
    for (int i = 0; i < 4000; ++i) {
        std::string body;
        for (int k = 1 + static_cast<int>(random() % 12); k > 0; --k) body += pieces[random() % pieces.size()];
        ExpectCompiledAgrees(body, static_cast<Int>(random() % 99'900));
    }
    // Plain arithmetic: a text cell or a division by zero ends in the full
    // run's error, and a variable named like a cell comes before the cell.
    for (const char* body : {"Z1S1/0", "Z1S2*2", "-Z1S1^2-Z999S100/Z1S1", "(Z1S1+1)*(Z1S1-1)"})
        ExpectCompiledAgrees(body, 7);
    parser_StoreNumericVariable(Text::FromBytes("Z1S1"), 7);
    ExpectCompiledAgrees("Z1S1*2+Z999S100", 7);
    // Past the nesting limit, and a limit of text.
    ExpectCompiledAgrees(std::string(300, '(') + "1" + std::string(300, ')'), 5);
    ExpectCompiledAgrees("Repeat$(\"ab\", 600000) + Repeat$(\"ab\", 600000)", 5);
}

// Formulas that differ only in the addresses of cells at the same distance
// share one key; a name in quotes or a name read otherwise has no key to
// share, and the program of one shape runs right for every cell of it.
TEST_F(CompiledFormulaTest, FormulasOfOneShapeShareAProgram) {
    const auto key = [](const char* formula, Int self) { return parser_ShapeKey(Text::FromBytes(formula), self); };
    EXPECT_EQ(key("=Z1S1+1", CellIndex(2, 1)), key("=Z2S1+1", CellIndex(3, 1)));
    EXPECT_NE(key("=Z9S1+1", CellIndex(10, 1)), key("=Z10S1+1", CellIndex(11, 1)));  // another length
    EXPECT_NE(key("=Z1S1+1", CellIndex(2, 1)), key("=Z1S1+1", CellIndex(3, 1)));   // another distance
    EXPECT_NE(key("=Z1S1+1", CellIndex(2, 1)), key("=Z2S1+2", CellIndex(3, 1)));
    for (const char* alone : {"=\"Z1S1\"", "=Z1S1$", "=Len(\"Z1S1\")+Z1S1"})
        EXPECT_FALSE(parser_Compile(Text::FromBytes(alone), 0).Shareable) << alone;
    EXPECT_TRUE(parser_Compile(Text::FromBytes("=Z1S1*Z2S2-Z1S1x"), 0).Shareable);
    for (Int row = 1; row <= 9; ++row) SetCell(CellIndex(row, 1), std::to_string(row * 10), CellKindNumber);
    const FormulaProgram shared = parser_Compile(Text::FromBytes("=Z1S1+Z1S2"), CellIndex(2, 2));
    for (Int row = 1; row <= 8; ++row) {
        const Text formula = Text::FromBytes("=Z" + std::to_string(row) + "S1+Z" + std::to_string(row) + "S2");
        ASSERT_EQ(parser_ShapeKey(formula, CellIndex(row + 1, 2)), parser_ShapeKey(Text::FromBytes("=Z1S1+Z1S2"), CellIndex(2, 2)));
        EXPECT_EQ(parser_Run(shared, formula, CellIndex(row + 1, 2)).ValueNumeric, row * 10.0) << row;
    }
}

// The shape remembered from one formula is claimed for the next only when
// the keys agree: random neighbours with addresses written in every form,
// in quotes, with leading zeros and past the sheet, and the usual column
// of one formula, where it must be claimed.
TEST_F(CompiledFormulaTest, AShapeRememberedIsClaimedOnlyWhereTheKeysAgree) {
    std::mt19937 random(7);
    const auto pick = [&](int bound) { return std::uniform_int_distribution<int>(0, bound)(random); };
    const auto address = [&] {
        static const char* const forms[] = {"Z%dS%d", "z%ds%d", "Z0%dS%d", "Z%dS%dx", "Z%d", "\"Z%dS%d\"", "Z%dS%d$"};
        char text[40];
        std::snprintf(text, sizeof text, forms[pick(9) < 4 ? 0 : pick(6)], pick(12) + (pick(3) == 0 ? 990 : 0), pick(12));
        return std::string(text);
    };
    const auto formula = [&] {
        std::string f = "=", name;
        for (int n = pick(3); n >= 0; --n) {
            name = name.empty() || pick(2) ? address() : name;  // a cell named again now and then
            f += name + (pick(1) ? "+" : "*") + std::to_string(pick(2));
        }
        return f;
    };
    int claimed = 0;
    for (int round = 0; round < 4000; ++round) {
        const Text first = Text::FromBytes(formula());
        const Int self = CellIndex(pick(20) + 1, pick(20) + 1);
        ShapeMemo memo;
        std::string key;
        memo.Key(first, self, key);
        ASSERT_EQ(key, parser_ShapeKey(first, self));
        for (int next = 0; next < 8; ++next) {
            const Text other = next < 4 ? Text::FromBytes(formula()) : first;
            const Int at = CellIndex(pick(20) + 1, pick(20) + 1);
            if (!memo.SameShape(other, at)) continue;
            ++claimed;
            ASSERT_EQ(parser_ShapeKey(other, at), key)
                << std::string(first.Elements.begin(), first.Elements.end()) << " / "
                << std::string(other.Elements.begin(), other.Elements.end());
        }
    }
    EXPECT_GT(claimed, 20);
    // Row after row and column after column, as a pass meets them.
    ShapeMemo memo;
    std::string key;
    memo.Key(Text::FromBytes("=Round(Sin(Z4S3),2)+Sqrt(Abs(Z4S3))"), CellIndex(5, 3), key);
    EXPECT_TRUE(memo.SameShape(Text::FromBytes("=Round(Sin(Z4S4),2)+Sqrt(Abs(Z4S4))"), CellIndex(5, 4)));
    EXPECT_TRUE(memo.SameShape(Text::FromBytes("=Round(Sin(Z5S3),2)+Sqrt(Abs(Z5S3))"), CellIndex(6, 3)));
    EXPECT_FALSE(memo.SameShape(Text::FromBytes("=Round(Sin(Z5S3),2)+Sqrt(Abs(Z4S3))"), CellIndex(6, 3)));
    EXPECT_FALSE(memo.SameShape(Text::FromBytes("=Round(Sin(Z4S3),3)+Sqrt(Abs(Z4S3))"), CellIndex(5, 3)));
    EXPECT_FALSE(ShapeMemo().SameShape(Text::FromBytes("=Round(Sin(Z4S4),2)+Sqrt(Abs(Z4S4))"), CellIndex(5, 4)));
    // Every byte counts, the last ones past a multiple of eight too, and
    // 9 is a digit like any other.
    memo.Key(Text::FromBytes("=Z8S3*2"), CellIndex(9, 3), key);
    EXPECT_TRUE(memo.SameShape(Text::FromBytes("=Z9S3*2"), CellIndex(10, 3)));
    for (std::string tail = "+1"; tail.size() < 20; tail += "1") {
        memo.Key(Text::FromBytes("=Z1S1" + tail), CellIndex(2, 1), key);
        EXPECT_TRUE(memo.SameShape(Text::FromBytes("=Z2S1" + tail), CellIndex(3, 1))) << tail;
        EXPECT_FALSE(memo.SameShape(Text::FromBytes("=Z2S1" + tail.substr(0, tail.size() - 1) + "2"), CellIndex(3, 1))) << tail;
    }
    // An address that ends in other name bytes is one name; the same bytes
    // with an operator in them are two things.
    memo.Key(Text::FromBytes("=Z1S1x+1"), CellIndex(2, 1), key);
    EXPECT_FALSE(memo.SameShape(Text::FromBytes("=Z2S1++1"), CellIndex(3, 1)));
    // A name written like the one before it names the same cell, which is
    // not the cell the remembered formula named there.
    memo.Key(Text::FromBytes("=Z1S1+Z1S2"), CellIndex(2, 1), key);
    EXPECT_FALSE(memo.SameShape(Text::FromBytes("=Z2S1+Z2S1"), CellIndex(3, 1)));
    // And one named again is only the same where all its bytes are.
    memo.Key(Text::FromBytes("=Z12S1+Z12S1"), CellIndex(13, 1), key);
    EXPECT_TRUE(memo.SameShape(Text::FromBytes("=Z13S1+Z13S1"), CellIndex(14, 1)));
    EXPECT_FALSE(memo.SameShape(Text::FromBytes("=Z13S1+Z13S2"), CellIndex(14, 1)));
    // No cell is at no distance, whatever the cell asking.
    memo.Key(Text::FromBytes("=Z5S1+1"), CellIndex(6, 1), key);
    EXPECT_FALSE(memo.SameShape(Text::FromBytes("=Z0S1+1"), CellIndex(6, 1) - CellIndex(5, 1) - 1));
}

}  // namespace
