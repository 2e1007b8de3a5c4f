// Where the search looks, what matches, what a replacement keeps, and the
// jump to a print page.
#include "sheet/search.h"

#include <gtest/gtest.h>

#include <utility>

#include "screen/screen_fixture.h"
#include "sheet/calculation.h"
#include "sheet/menu_settings.h"
#include "test_support.h"

namespace {


class SearchTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ClearCalculation();
        Search() = SearchSettings{};
        Printing() = PrintSettings{};
    }
    static Text& Cell(Int row, Int column) { return Calculation().CellText.Edit(static_cast<std::size_t>(CellIndex(row, column))); }
    static void Put(Int row, Int column, const char* text) {
        Cell(row, column) = Text::FromBytes(text);
        SetCellKind(Calculation().CellAttributes.Edit(static_cast<std::size_t>(CellIndex(row, column))), CellKindText);
    }
    static std::pair<Int, Int> FoundFrom(Int row, Int column, const char* pattern) {
        CalculationState& c = Calculation();
        c.CursorRow = row, c.CursorColumn = column, Search().SearchText = Text::FromBytes(pattern);
        return FindNext() ? std::make_pair(c.CursorRow, c.CursorColumn) : std::make_pair(Int{0}, Int{0});
    }
};

TEST_F(SearchTest, LooksRightOfTheCursorInItsRowThenInEveryLaterRowWhole) {
    Put(4, 2, "abc"), Put(4, 7, "ABC"), Put(6, 100, "abc"), Put(9, 5, "M\xDCLLER"), Put(9, 6, "3125"), Put(3, 1, "x"),
        Put(3, 3, "x");
    EXPECT_EQ(FoundFrom(3, 5, "abc"), std::make_pair(Int{4}, Int{2}));  // the next row from its first column
    EXPECT_EQ(FoundFrom(4, 2, "abc"), std::make_pair(Int{4}, Int{7}));
    EXPECT_EQ(FoundFrom(4, 7, "abc"), std::make_pair(Int{6}, Int{100}));
    EXPECT_EQ(FoundFrom(6, 100, "abc"), std::make_pair(Int{0}, Int{0}));  // no wrapping round
    EXPECT_EQ(FoundFrom(1, 4, "x"), std::make_pair(Int{3}, Int{1}));
    EXPECT_EQ(FoundFrom(3, 1, "x"), std::make_pair(Int{3}, Int{3}));
    EXPECT_EQ(FoundFrom(3, 3, "x"), std::make_pair(Int{0}, Int{0}));
    EXPECT_EQ(FoundFrom(1, 1, "m\xFCller"), std::make_pair(Int{9}, Int{5}));
    EXPECT_EQ(FoundFrom(1, 1, ""), std::make_pair(Int{0}, Int{0}));
    EXPECT_EQ(FoundFrom(1, 1, "12"), std::make_pair(Int{0}, Int{0}));
    Search().PartialMatch = true;
    EXPECT_EQ(FoundFrom(1, 1, "12"), std::make_pair(Int{9}, Int{6}));
    Search().PartialMatch = false, Search().IgnoreCase = false;
    EXPECT_EQ(FoundFrom(3, 5, "abc"), std::make_pair(Int{4}, Int{2}));
    EXPECT_EQ(FoundFrom(4, 2, "abc"), std::make_pair(Int{6}, Int{100}));
}

// A replacement changes the text only, marks the Calculation modified when
// it did, keeps it one line, and gives a plain cell that now starts with "="
// the formula a saved file would give it back as.
TEST_F(SearchTest, ReplacingKeepsTheRestOfTheTextAndEachMatchOnce) {
    Put(2, 2, "Herr M\xDCLLER sen."), Put(3, 3, "Huber"), Put(4, 4, "Huber"), Put(5, 5, "Huber");
    CalculationState& c = Calculation();
    Search().PartialMatch = true, Search().ReplaceText = Text::FromBytes("Meier");
    EXPECT_FALSE(ReplaceAtCursor());  // nothing found yet
    FoundFrom(1, 1, "m\xfcller");
    EXPECT_FALSE(c.Modified);
    EXPECT_TRUE(ReplaceAtCursor());
    EXPECT_TRUE(c.Modified);
    EXPECT_FALSE(ReplaceAtCursor());
    EXPECT_EQ(S(Cell(2, 2)), "Herr Meier sen.");
    c.Modified = false;
    Search().ReplaceText = Text::FromBytes("Huber");  // the same text: no change
    FoundFrom(1, 1, "huber");
    EXPECT_TRUE(ReplaceAtCursor());
    EXPECT_FALSE(c.Modified);
    Search().PartialMatch = false, Search().ReplaceText = Text::FromBytes("zwei\r\nZeilen\r");
    FoundFrom(3, 3, "huber");
    EXPECT_TRUE(ReplaceAtCursor());
    EXPECT_EQ(S(Cell(4, 4)), "zwei Zeilen ");
    EXPECT_TRUE(c.Modified);
    Search().ReplaceText = Text::FromBytes("=2*3");
    FoundFrom(4, 4, "huber");
    EXPECT_TRUE(ReplaceAtCursor());
    EXPECT_EQ(S(c.CellFormula.Get(static_cast<std::size_t>(CellIndex(5, 5)))) + "|" + S(Cell(5, 5)), "=2*3|6");
}

TEST_F(SearchTest, PagesStartEveryLinesPerSheetRows) {
    CalculationState& c = Calculation();
    const std::pair<Int, Int> pages[] = {{2, 81}, {13, 961}, {0, 961}, {14, 961}, {1, 1}};
    for (const auto& [page, row] : pages) {
        c.CursorColumn = 50;
        GoToPage(page);
        EXPECT_EQ(std::make_pair(c.CursorRow, c.CursorColumn), std::make_pair(row, page == 0 || page == 14 ? Int{50} : Int{1})) << page;
    }
}

}  // namespace
