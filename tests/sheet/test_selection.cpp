// The selection's rectangle and what the selection menu does to its cells.
#include "sheet/selection.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "runtime_fixture.h"
#include "sheet/calculation.h"
#include "test_support.h"

namespace {


class SelectionTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        ClearCalculation();
    }
    static std::tuple<Int, Int, Int, Int> Select(Int top, Int left, Int bottom, Int right) {
        CalculationState& c = Calculation();
        c.SelectionStartRow = top, c.SelectionStartColumn = left, c.SelectionEndRow = bottom, c.SelectionEndColumn = right;
        return {top, left, bottom, right};
    }
    static void Put(Int row, Int column, const char* text, Int attributes) {
        Calculation().CellText.Set(static_cast<std::size_t>(CellIndex(row, column)), Text::FromBytes(text));
        Calculation().CellAttributes.Set(static_cast<std::size_t>(CellIndex(row, column)), attributes);
    }
};

TEST_F(SelectionTest, CommandsChangeOnlyTheSelectedCellsOfAValidSelection) {
    CalculationState& c = Calculation();
    const auto selected = [&] { return Select(c.SelectionStartRow, c.SelectionStartColumn, c.SelectionEndRow, c.SelectionEndColumn); };
    SelectAll();
    EXPECT_EQ(selected(), std::make_tuple(0, 0, 0, 0));
    Put(1, 1, "hello wORLD \xE9lan-\xFC" "ber", 0x3F102), Put(1, 2, "stra\xDF" "e 12,-", 0xF002), Put(2, 1, "x", 0xF002);
    Put(9, 9, "", 0x4F000), SelectAll();  // a coloured empty cell is not selected by all
    c.CellFormula.Set(0, Text::FromBytes("=\"ab\""));
    EXPECT_EQ(selected(), std::make_tuple(1, 1, 2, 2));
    Select(1, 2, 1, 1);  // the end left of the start: nothing is selected
    UpperCaseSelection(), DeleteSelection();
    EXPECT_EQ(S(c.CellText[1]) + "|" + std::to_string(c.Modified), "stra\xDF" "e 12,-|0");
    Select(1, 1, 1, 2);
    CapitalizeSelection();
    EXPECT_EQ(S(c.CellText[0]) + "|" + S(c.CellText[1]), "Hello WORLD \xC9lan-\xDC" "ber|Stra\xDF" "e 12,-");
    UpperCaseSelection();
    EXPECT_EQ(S(c.CellText[1]), "STRASSE 12,-");
    LowerCaseSelection();
    EXPECT_EQ(S(c.CellText[0]) + "|" + S(c.CellFormula.Get(0)) + "|" + S(c.CellText[100]), "hello world \xE9lan-\xFC" "ber|=\"ab\"|x");
    EXPECT_TRUE(c.Modified);
    SetSelectionFormat(4);
    EXPECT_EQ(c.CellAttributes[0], 0x4F102);
    ClearSelectionFormats();
    EXPECT_EQ(c.CellAttributes[0], 0xF002);
    DeleteSelection();
    EXPECT_EQ(S(c.CellText[0]) + S(c.CellFormula.Get(0)) + S(c.CellText[1]) + S(c.CellText[100]), "x");
    EXPECT_EQ(c.CellAttributes[1], DefaultCellAttributes);
}

}  // namespace
