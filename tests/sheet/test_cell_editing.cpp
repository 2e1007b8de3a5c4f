// Typing, Return, Escape, recalculation and shifts are seen by the screen
// cases; here what screen text cannot show or keys cannot reach yet.
#include "sheet/cell_editing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>

#include "input/events.h"
#include "sheet/sheet_fixture.h"
#include "test_support.h"

namespace {

std::size_t Slot(Int row, Int column) { return static_cast<std::size_t>(CellIndex(row, column)); }
std::string Address(Int row, Int column) { return "Z" + std::to_string(row) + "S" + std::to_string(column); }

class CellEditingTest : public SheetTest {
protected:
    static std::string TextAt(Int row, Int column) { return S(Calculation().CellText[Slot(row, column)]); }
    static std::string FormulaAt(Int row, Int column) { return S(Calculation().CellFormula.Get(Slot(row, column))); }
    static Int& AttributesAt(Int row, Int column) { return Calculation().CellAttributes.Edit(Slot(row, column)); }
    static void SetCell(Int row, Int column, std::string_view text, Int kind, std::string_view formula = "") {
        Calculation().CellText.Set(Slot(row, column), T(text));
        Calculation().CellFormula.Set(Slot(row, column), T(formula));
        SetCellKind(AttributesAt(row, column), kind);
    }
    // Its address as text and formula, a colour and a format of its own: every move shows.
    static void Mark(Int row, Int column) {
        SetCell(row, column, Address(row, column), CellKindText, "=" + Address(row, column));
        AttributesAt(row, column) = (row << 16) + (column << 8) + CellKindText;
    }
    static bool HasMarkOf(Int atRow, Int atColumn, Int row, Int column) {
        return TextAt(atRow, atColumn) == Address(row, column) && FormulaAt(atRow, atColumn) == "=" + Address(row, column) &&
               AttributesAt(atRow, atColumn) == (row << 16) + (column << 8) + CellKindText;
    }
};

// An entry is stored by the kind the cell already has; an empty cell takes
// the kind of the entry (a doubled sign or point starts a text such as a
// rule), and "=" makes a formula of any known kind.
TEST_F(CellEditingTest, EntriesAreStoredByTheKindOfTheCell) {
    const std::string formula = "=\"" + std::string(140, 'b') + "\"";  // longer than the screen width less 20
    struct Case { Int kindBefore; std::string entry, text, formula; Int kind; } cases[] = {
        {0, "1.50", "1,5", "", 3}, {0, "0abc", "0", "", 3}, {0, "-", "0", "", 3}, {0, ",5", "0,5", "", 3},
        {0, "--", "--", "", 2}, {0, "..", "..", "", 2}, {0, ",,x", ",,x", "", 2}, {0, "+5", "+5", "", 2},
        {0, " 1", " 1", "", 2}, {0, "12,5\xE2\x82\xAC", "12,5", "", 3}, {0, "12,5\xA4", "12,5", "", 3},  // UTF-8 or 8-bit
        {0, "=\"ab\"+\"cd\"", "abcd", "=\"ab\"+\"cd\"", 2}, {3, "Abc", "0", "", 3}, {2, "12", "12", "", 2},
        {2, "=4*2", "8", "=4*2", 3}, {3, "=\"x\"", "x", "=\"x\"", 2}, {0, std::string(150, 'a'), std::string(101, 'a'), "", 2},
        {1, "42", "42", "=42", 3},       // a formula cell takes the entry as its formula, with its "="
        {0, "=", "(ERR#11@1)", "=", 1},  // an error keeps the kind: still a formula cell
        {7, "neu", "alt", "", 7},        // an unknown kind stores nothing
        {0, formula, std::string(99, 'b'), formula.substr(0, 101), 2},  // the cut literal runs to the end
    };
    for (const Case& c : cases) {
        SetCell(1, 1, c.kindBefore ? "alt" : "", c.kindBefore);
        AttributesAt(1, 1) |= 0x4100;  // colours stay whatever is entered
        Calculation().Modified = false;
        EditCell(1, 1, T(c.entry), false);
        EXPECT_EQ(std::make_tuple(TextAt(1, 1), FormulaAt(1, 1), AttributesAt(1, 1), Calculation().Modified),
                  std::make_tuple(c.text, c.formula, c.kind | 0xF100, true)) << c.entry;
    }
}

// Outside the editor, and with recalculation by hand, only the edited cell is computed.
TEST_F(CellEditingTest, OnlyAutomaticInteractiveEditsRecalculateAll) {
    EditCell(1, 1, T("5"), false);
    EditCell(1, 2, T("=Z1S1*2"), false);
    EditCell(1, 1, T("6"), false);
    Calculation().AutoRecalculate = false, t_TypeString(String("\r\r"));
    EditCell(1, 1, T("7"), true);
    EXPECT_EQ(TextAt(1, 1) + " " + TextAt(1, 2), "7 10");
    Calculation().AutoRecalculate = true;
    EditCell(1, 1, T("9"), true);
    EXPECT_EQ(TextAt(1, 1) + " " + TextAt(1, 2), "9 18");
    // Computing changes neither Modified nor a cell without a formula.
    SetCell(2, 1, "Abc", CellKindText);
    Calculation().Modified = false;
    ComputeCell(CellIndex(2, 1));
    RecalculateAll();
    EXPECT_EQ(TextAt(2, 1) + TextAt(1, 2) + (Calculation().Modified ? "!" : ""), "Abc18");
}

TEST_F(CellEditingTest, ClearCellKeepsColoursAndFormatResetCellDoesNot) {
    Mark(4, 2);
    Calculation().CursorRow = 4, Calculation().CursorColumn = 2;
    ClearCell();
    EXPECT_EQ(TextAt(4, 2) + FormulaAt(4, 2) + std::to_string(AttributesAt(4, 2)) + (Calculation().Modified ? "!" : ""),
              std::to_string((4 << 16) + (2 << 8)) + "!");
    ResetCell();
    EXPECT_EQ(AttributesAt(4, 2), DefaultCellAttributes);
}

// The screen cases show texts moving near the cursor; here formulas and
// attributes move too, also at the far end, where a cell is reset.
TEST_F(CellEditingTest, ShiftsMoveWholeCellsAlongTheCursorsLine) {
    struct Case { void (*shift)(); Int atRow, atColumn, fromRow, fromColumn, resetRow, resetColumn; } cases[] = {
        {InsertCellInRow, 5, 100, 5, 99, 5, 3}, {DeleteCellInRow, 5, 99, 5, 100, 5, 100},
        {InsertCellInColumn, 999, 3, 998, 3, 5, 3}, {DeleteCellInColumn, 998, 3, 999, 3, 999, 3},
    };
    for (const Case& c : cases) {
        ClearCalculation();
        for (Int k = 1; k <= 999; ++k) Mark(k, 3), Mark(k, 4), Mark(5, std::min<Int>(k, 100));
        Calculation().CursorRow = 5, Calculation().CursorColumn = 3;
        c.shift();
        EXPECT_TRUE(HasMarkOf(c.atRow, c.atColumn, c.fromRow, c.fromColumn)) << c.atRow << "," << c.atColumn;
        EXPECT_TRUE(TextAt(c.resetRow, c.resetColumn).empty() && FormulaAt(c.resetRow, c.resetColumn).empty() &&
                    AttributesAt(c.resetRow, c.resetColumn) == DefaultCellAttributes);
        EXPECT_TRUE(HasMarkOf(6, 4, 6, 4) && HasMarkOf(4, 3, 4, 3) && HasMarkOf(5, 2, 5, 2) && Calculation().Modified);
    }
}

}  // namespace
