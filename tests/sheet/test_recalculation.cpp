// The order of a recalculation (chains, circles, IndCell), what a pass of
// changes computes, the numbers kept beside the texts, formulas moved, and
// the text a computed cell shows.
#include "sheet/recalculation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "numbers/number_format.h"
#include "sheet/sheet_fixture.h"
#include "sheet/cell_editing.h"
#include "test_support.h"

namespace {

std::size_t Slot(Int row, Int column) { return static_cast<std::size_t>(CellIndex(row, column)); }

class RecalculationTest : public SheetTest {
protected:
    // An entry as a file or a paste gives it, not yet computed.
    static void Put(Int row, Int column, const std::string& entry) { EnterCell(row, column, Text::FromBytes(entry)); }
    static std::string At(Int row, Int column) { return S(Calculation().CellText[Slot(row, column)]); }
};

// A chain against the cell order settles in one pass, also one through the
// whole column; a sheet naming only earlier cells is computed in cell order
// (what Result sees shows the order).
TEST_F(RecalculationTest, FormulasComeAfterTheCellsTheyName) {
    Put(1, 1, "=Z1S2+1"), Put(1, 2, "=Z1S3*2"), Put(1, 3, "5");
    for (Int row = 1; row < 999; ++row) Put(row, 5, "=Z" + std::to_string(row + 1) + "S5+1");
    Put(999, 5, "1");
    RecalculateCells();
    EXPECT_EQ(At(1, 1) + " " + At(1, 2) + " " + At(1, 5), "11 10 999");
    ClearCalculation();
    Put(1, 1, "=1"), Put(1, 2, "=Result+1"), Put(2, 1, "=Result*10"), Put(2, 2, "=Z1S1+Z1S2+Result");
    RecalculateCells();
    EXPECT_EQ(At(1, 2) + " " + At(2, 1) + " " + At(2, 2), "2 20 23");
}

// Cells naming each other in a circle are computed once a pass in cell
// order, each reading what the others show: a cell naming itself moves one
// step a pass, two move together, and a ring of five as well.
TEST_F(RecalculationTest, CirclesMoveOneStepAPass) {
    Put(1, 1, "=Z1S1+1"), Put(2, 1, "=Z2S2"), Put(2, 2, "=Z2S1+1");
    for (Int k = 1; k <= 5; ++k) Put(3, k, "=Z3S" + std::to_string(k % 5 + 1) + "+1");
    Put(4, 1, "=Z3S5*100");  // after the ring
    RecalculateCells();
    EXPECT_EQ(At(1, 1) + " " + At(2, 1) + "/" + At(2, 2) + " " + At(3, 1) + "/" + At(3, 5) + " " + At(4, 1),
              "1 0/1 1/2 200");
    RecalculateCells();
    EXPECT_EQ(At(1, 1) + " " + At(2, 1) + "/" + At(2, 2) + " " + At(3, 1) + "/" + At(3, 5) + " " + At(4, 1),
              "2 1/2 2/3 300");
}

// IndCell may read any cell: its formulas come after all others; a formula
// naming such a cell reads its value from before the pass.
TEST_F(RecalculationTest, IndCellFormulasComeLast) {
    Put(1, 1, "=IndCell(Index(\"Z1S3\"))+1"), Put(1, 2, "=Abs(Z1S1)*10"), Put(1, 3, "=Z1S4+1"), Put(1, 4, "7");
    RecalculateCells();
    EXPECT_EQ(At(1, 1) + " " + At(1, 2) + " " + At(1, 3), "9 0 8");
    RecalculateCells();
    EXPECT_EQ(At(1, 2), "90");
}

// A pass of changes computes the changed cells and what depends on them,
// plus what gives another value each time, and agrees with a full pass.
TEST_F(RecalculationTest, APassOfChangesComputesWhatDependsOnThem) {
    for (Int row = 2; row <= 999; ++row) Put(row, 1, "=Z" + std::to_string(row - 1) + "S1+1");
    Put(1, 1, "5"), Put(1, 2, "=Rnd(0)"), Put(1, 3, "=UniqueID"), Put(5, 5, "=Z7S7*2"), Put(7, 7, "3");
    RecalculateCells();
    EXPECT_EQ(LastRecalculation().Computed, 1001);
    EnterCell(1, 1, Text::FromBytes("6"));
    RecalculateChanged();
    EXPECT_EQ(LastRecalculation().Computed, 1000);  // the column, Rnd and UniqueID
    EXPECT_EQ(At(999, 1) + " " + At(5, 5), "1004 6");
    EnterCell(7, 7, Text::FromBytes("4"));
    EnterCell(9, 9, Text::FromBytes("lonely"));
    RecalculateChanged();
    EXPECT_EQ(LastRecalculation().Computed, 3);
    EXPECT_FALSE(LastRecalculation().Rebuilt);
    EXPECT_EQ(At(5, 5), "8");
    // With Var in the sheet, what a formula computes depends on all before
    // it: every pass is whole.
    Put(20, 20, "=Var(\"x\", Z1S1)");
    EnterCell(9, 9, Text::FromBytes("again"));
    RecalculateChanged();
    EXPECT_EQ(LastRecalculation().Computed, 1002);
}

// Formulas of one shape share a program; the number beside each text is
// what the text reads as, through edits, moves and computed values.
TEST_F(RecalculationTest, ProgramsAreSharedAndNumbersKeptRight) {
    for (Int row = 2; row <= 999; ++row)
        for (Int column = 1; column <= 3; ++column)
            Put(row, column, "=Z" + std::to_string(row - 1) + "S" + std::to_string(column) + "+1");
    RecalculateCells();
    EXPECT_LE(LastRecalculation().Programs, 9);  // rows of one to three digits, in three columns
    CalculationState& c = Calculation();
    c.CursorRow = 2, c.CursorColumn = 2;
    InsertCellInColumn();  // formulas move down as text; the cell is emptied
    std::mt19937 random(5);
    for (int i = 0; i < 500; ++i) {
        const Int row = 1 + static_cast<Int>(random() % 999), column = 1 + static_cast<Int>(random() % 4);
        const std::string entries[] = {"1,5", "x", "=Z1S1*3", "-0", "1e400"};
        EnterCell(row, column, Text::FromBytes(entries[random() % 5]));
        if (i % 50 == 0) RecalculateChanged();
    }
    // A computed text replaced under its formula (as a restore does) is
    // written again, though the value stays the same.
    Put(999, 5, "=10/2");
    RecalculateCells();
    c.CellText.Set(Slot(999, 5), Text::FromBytes("stale"));
    RecalculateCells();
    EXPECT_EQ(At(999, 5), "5");
    for (std::size_t at = 0; at < c.CellText.size(); ++at)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(CellNumber(static_cast<Int>(at))),
                  std::bit_cast<std::uint64_t>(TextToNumber(c.CellText[at])))
            << at << " " << S(c.CellText[at]);
    // Computed once more from the texts alone, the sheet gives the same.
    const CalculationState before = c;
    ClearCalculation();
    for (std::size_t at = 0; at < before.CellText.size(); ++at) {
        c.CellFormula.Set(at, before.CellFormula.Get(at));
        c.CellText.Set(at, before.CellFormula.Empty(at) ? before.CellText[at] : Text());
        c.CellAttributes.Set(at, before.CellAttributes[at]);
    }
    RecalculateCells();
    EXPECT_TRUE(c.CellText == before.CellText);
}

// Formulas filled down and across share what they can: a copy whose names
// leave the sheet, change their width, stay put or are no addresses still
// computes as the same formula entered alone. Blanks after a formula,
// alternating from cell to cell, keep every cell apart.
TEST_F(RecalculationTest, FilledFormulasComputeAsEachEnteredAlone) {
    const auto n = [](Int value) { return std::to_string(value); };
    const auto formula = [&](int shape, Int r, Int c) -> std::string {
        switch (shape) {
        case 0: return "=Z" + n(r - 1) + "S" + n(c) + "+1";
        case 1: return "=Z" + n(r) + "S" + n(c + 1) + "*2+Z" + n(r - 1) + "S" + n(c - 1);
        case 2: return "=Z" + n(r - 1) + "S" + n(c) + "/Z12S2";
        case 3: return "=Round(Sin(Z" + n(r - 1) + "S" + n(c) + "),2)+z" + n(r) + "s1";
        default: return "=Z" + n(r - 1) + "S" + n(c) + "+Z" + n(r) + "S" + n(c) + "x";
        }
    };
    struct Region { Int top, bottom, left, right; int shape; } regions[] = {
        {1, 12, 1, 3, 0}, {1, 12, 95, 100, 1}, {95, 105, 8, 12, 2}, {990, 999, 96, 100, 0},
        {5, 15, 20, 22, 3}, {995, 999, 1, 2, 1}, {40, 44, 9, 11, 4}, {2, 30, 50, 50, 2}};
    const auto fill = [&](bool apart) {
        ClearCalculation(), Put(12, 2, "4");
        for (const Region& g : regions)
            for (Int r = g.top; r <= g.bottom; ++r)
                for (Int c = g.left; c <= g.right; ++c)
                    Put(r, c, formula(g.shape, r, c) + (apart && (r + c) % 2 ? " " : ""));
        RecalculateCells();
        return Calculation().CellText;
    };
    const CellArray<Text> shared = fill(false), apart = fill(true);
    for (std::size_t at = 0; at < shared.size(); ++at) ASSERT_EQ(S(shared[at]), S(apart[at])) << at;
}

TEST(OutcomeToCellText, ShowsErrorsValuesAndNoValue) {
    const auto real = [](double x) { return parser_UniversalType{ValueTypeReal, x, {}}; };
    struct Case { FormulaOutcome outcome; Int previousKind; std::string text; Int kind; } cases[] = {
        {{real(2.5), 13, 7}, 3, "(ERR#13@7)", 3}, {{parser_UniversalType{}, 22, 120}, 1, "(ERR#22@120)", 1},
        {{real(-0.0), 0, 0}, 2, "-0", 3}, {{parser_UniversalType{ValueTypeText, 7, T("Summe")}, 0, 0}, 3, "Summe", 2},
        {{parser_UniversalType{ValueTypeNone, 5, {}}, 0, 0}, 3, "(NAN)", 2},
    };
    // The cell's old text is replaced whatever its length.
    Text cellText = T("an old and rather long cell text");
    for (const Case& c : cases) {
        EXPECT_EQ(OutcomeToCellText(c.outcome, c.previousKind, cellText), c.kind) << c.text;
        EXPECT_EQ(S(cellText), c.text);
    }
}

}  // namespace
