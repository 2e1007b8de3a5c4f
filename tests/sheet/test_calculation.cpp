#include "sheet/calculation.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

constexpr Int Max = std::numeric_limits<Int>::max();
constexpr Int Min = std::numeric_limits<Int>::min();

Text T(std::string_view s) { return Text::FromBytes(s); }

// Header text with '[' and ']' standing for the left and right column rules.
Text H(std::string_view s) {
    Text text = T(s);
    for (UInt8& code : text.Elements) {
        if (code == '[') code = LeftColumnRule;
        if (code == ']') code = RightColumnRule;
    }
    return text;
}

class CalculationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCalculation();
        savedHook_ = RedrawWholeScreenHook();
        RedrawWholeScreenHook() = [this] { ++redraws_; };
    }
    void TearDown() override { RedrawWholeScreenHook() = savedHook_; }

    CalculationState& calc_ = Calculation();
    int redraws_ = 0;

private:
    std::function<void()> savedHook_;
};

TEST_F(CalculationTest, ClearEmptiesCellsAndViewButKeepsSettings) {
    calc_.CellText[5] = T("abc");
    calc_.CellFormula[99899] = T("=1");
    calc_.CellAttributes[77] = 0x123;
    calc_.ColumnWidth[3] = 20;
    calc_.CursorRow = 500, calc_.CursorColumn = 50, calc_.TopRow = 480, calc_.LeftColumn = 40;
    calc_.RowNumberWidth = 0, calc_.Modified = true, calc_.CalcFileName = "a.calc", calc_.CalcFolder = "/x/";
    calc_.SelectionStartRow = calc_.SelectionStartColumn = calc_.SelectionEndRow = calc_.SelectionEndColumn = 4;
    calc_.SearchRow = calc_.SearchColumn = 7;
    calc_.PrintStartRow = calc_.PrintEndRow = calc_.PrintStartColumn = calc_.PrintEndColumn = 3;
    calc_.AutoRecalculate = calc_.FormulasInsteadOfContents = calc_.CopyFormats = false;
    calc_.ColorMode = true, calc_.MenuState = 3, calc_.GridTop = 2, calc_.GridBottom = 80;

    ClearCalculation();

    ASSERT_EQ(calc_.CellText.size(), 99900u);
    ASSERT_EQ(calc_.CellFormula.size(), 99900u);
    ASSERT_EQ(calc_.CellAttributes.size(), 99900u);
    for (std::size_t i = 0; i < 99900; ++i) {
        ASSERT_TRUE(calc_.CellText[i].Empty() && calc_.CellFormula[i].Empty()) << i;
        ASSERT_EQ(calc_.CellAttributes[i], 0xF000) << i;
    }
    EXPECT_EQ(calc_.ColumnWidth, std::vector<Int>(101, 9));
    EXPECT_EQ(calc_.RowCount, 999);
    EXPECT_EQ(calc_.ColumnCount, 100);
    EXPECT_EQ(std::vector<Int>({calc_.CursorRow, calc_.CursorColumn, calc_.TopRow, calc_.LeftColumn, calc_.RowNumberWidth}),
              std::vector<Int>({1, 1, 1, 1, 4}));
    EXPECT_EQ(std::vector<Int>({calc_.SelectionStartRow, calc_.SelectionStartColumn, calc_.SelectionEndRow,
                                calc_.SelectionEndColumn, calc_.SearchRow, calc_.SearchColumn}),
              std::vector<Int>(6, 0));
    EXPECT_EQ(std::vector<Int>({calc_.PrintStartRow, calc_.PrintEndRow, calc_.PrintStartColumn, calc_.PrintEndColumn}),
              std::vector<Int>({1, 999, 1, 100}));
    EXPECT_FALSE(calc_.Modified);
    EXPECT_EQ(calc_.CalcFileName, "");
    EXPECT_EQ(calc_.CalcFolder, "/x/");
    EXPECT_FALSE(calc_.AutoRecalculate || calc_.FormulasInsteadOfContents || calc_.CopyFormats);
    EXPECT_TRUE(calc_.ColorMode);
    EXPECT_EQ(std::vector<Int>({calc_.MenuState, calc_.GridTop, calc_.GridBottom, calc_.ScreenColumns}),
              std::vector<Int>({3, 2, 80, 121}));
    EXPECT_EQ(calc_.HeaderLine.Size(), 121u);
    EXPECT_EQ(calc_.RightColumn, 13);
    EXPECT_EQ(redraws_, 0);
}

TEST_F(CalculationTest, ResetRestoresProgramStartFlags) {
    calc_.AutoRecalculate = calc_.FormulasInsteadOfContents = calc_.CopyFormats = false;
    calc_.GridTop = 0, calc_.ColorMode = true, calc_.QuitRequested = true, calc_.CalcFolder = "/x/";
    ResetCalculation();
    EXPECT_TRUE(calc_.AutoRecalculate && calc_.FormulasInsteadOfContents && calc_.CopyFormats);
    EXPECT_FALSE(calc_.ColorMode || calc_.QuitRequested);
    EXPECT_EQ(std::vector<Int>({calc_.GridTop, calc_.GridBottom, calc_.ScreenColumns}), std::vector<Int>({9, 50, 121}));
    EXPECT_EQ(calc_.CalcFolder, "");
    EXPECT_EQ(calc_.CellText.size(), 99900u);
}

TEST(CellAttributes, FieldsReadAndWriteWithoutDisturbingEachOther) {
    EXPECT_EQ(CellKind(DefaultCellAttributes), CellKindEmpty);
    EXPECT_EQ(FontColor(DefaultCellAttributes), 0);
    EXPECT_EQ(BackgroundColor(DefaultCellAttributes), 15);
    EXPECT_EQ(DisplayFormat(DefaultCellAttributes), DisplayFormatStandard);

    // Bits 24-62 from a file survive every setter; bit 63 does not.
    const Int fromFile = static_cast<Int>(0xFABC'DE00'0000'F000ull);
    const Int kept = 0x7ABC'DE00'0000'0000;
    struct Case {
        void (*set)(Int&, Int);
        Int value, expected;
    } cases[] = {
        {SetCellKind, CellKindNumber, kept | 0xF003},
        {SetCellKind, 0x1FF, kept | 0xF0FF},
        {SetFontColor, 4, kept | 0xF400},
        {SetFontColor, 0x13, kept | 0xF300},
        {SetBackgroundColor, 2, kept | 0x2000},
        {SetDisplayFormat, DisplayFormatCurrency, kept | 0x4F000},
        {SetDisplayFormat, 0x1FF, kept | 0xFFF000},
    };
    for (const Case& c : cases) {
        Int word = fromFile;
        c.set(word, c.value);
        EXPECT_EQ(word, c.expected) << std::hex << c.expected;
    }
    Int word = fromFile;
    SetCellKind(word, CellKindText), SetFontColor(word, 9), SetBackgroundColor(word, 1), SetDisplayFormat(word, 2);
    EXPECT_EQ(std::vector<Int>({CellKind(word), FontColor(word), BackgroundColor(word), DisplayFormat(word)}),
              std::vector<Int>({2, 9, 1, 2}));
}

TEST_F(CalculationTest, AddressesFollowTheLetterAndRangeRules) {
    const std::pair<const char*, Int> cases[] = {
        {"Z1S1", 0}, {"Z999S100", 99899}, {"z5s7", 406}, {"Z2S1", 100}, {"Z1S1xyz", 0}, {"Z1S 5", 4},
        {"Z0S1", -1}, {"Z1000S1", -1}, {"Z1S101", -1}, {"Z1S0", -1}, {"Z-1S1", -1}, {"Z1S", -1},
        {"Y1S1", -2}, {"", -2}, {"S1Z1", -2},
        {"Z12X3", -3}, {"Z012S3", -3}, {"Z", -3}, {"Z1", -3}, {"ZS1", -3}, {"Z 1S1", -3},
        {"Z99999999999999999999999S1", -3},
    };
    for (const auto& [address, expected] : cases) EXPECT_EQ(CellIndexFromAddress(T(address)), expected) << address;

    for (Int row = 1; row <= 999; ++row)
        for (Int column = 1; column <= 100; ++column) {
            const Text address = T("Z") + IntegerToText(row) + T("S") + IntegerToText(column);
            ASSERT_EQ(CellIndexFromAddress(address), CellIndex(row, column)) << row << "," << column;
        }
}

TEST(HeaderPieces, FollowTheWidthAndDigitRules) {
    const std::tuple<Int, Int, const char*> cases[] = {
        {5, 1, "5"}, {12, 1, "2"}, {100, 1, "0"},
        {5, 2, "5]"}, {12, 2, "12"}, {100, 2, "100"},
        {5, 3, "[5]"}, {12, 3, "12]"}, {100, 3, "100]"},
        {5, 4, "[5 ]"}, {12, 4, "[12]"}, {100, 4, "[100]"},
        {5, 5, "[ 5 ]"}, {12, 5, "[12 ]"}, {5, 9, "[   5   ]"}, {12, 9, "[  12   ]"}, {100, 9, "[  100  ]"},
    };
    for (const auto& [column, width, expected] : cases)
        EXPECT_EQ(HeaderPiece(column, width), H(expected)) << column << " at " << width;
}

TEST_F(CalculationTest, HeaderLineFillsTheScreenWidth) {
    Text expected = H("   ]");
    for (Int c = 1; c <= 13; ++c) expected += HeaderPiece(c, 9);
    EXPECT_EQ(calc_.HeaderLine, expected);
    EXPECT_EQ(calc_.RightColumn, 13);

    // Room for the closing rule and padding after a narrower last column.
    calc_.ColumnWidth[13] = 7;
    BuildHeaderLine();
    EXPECT_EQ(Text(std::vector<UInt8>(calc_.HeaderLine.Elements.end() - 10, calc_.HeaderLine.Elements.end())),
              H("][ 13  ][ "));
    EXPECT_EQ(calc_.RightColumn, 13);

    // Without row numbers; the last columns run out before the screen does.
    calc_.RowNumberWidth = 0, calc_.LeftColumn = 99, calc_.ColumnWidth[99] = 2, calc_.ColumnWidth[100] = 3;
    BuildHeaderLine();
    EXPECT_EQ(calc_.HeaderLine, H("99100][") + T(std::string(121 - 7, ' ')));
    EXPECT_EQ(calc_.RightColumn, 100);

    // A piece longer than its width is cut at the screen edge.
    calc_.ScreenColumns = 4, calc_.LeftColumn = 100, calc_.ColumnWidth[100] = 4;
    BuildHeaderLine();
    EXPECT_EQ(calc_.HeaderLine, H("[100"));
}

TEST_F(CalculationTest, ColumnOutsideTheViewMovesTheLeftColumnAndRedraws) {
    struct Case {
        Int left, column, screenColumns;
        std::vector<std::pair<Int, Int>> widths;
        Int expectedLeft;
    } cases[] = {
        {1, 20, 121, {}, 8},                              // 13 columns fill 117 exactly
        {1, 10, 121, {{10, 50}, {9, 40}, {8, 27}}, 8},    // exact fit
        {1, 10, 121, {{10, 50}, {9, 40}, {8, 28}}, 9},    // overshoot
        {8, 5, 121, {}, 1},                               // the walk reaches column 1
        {50, 30, 121, {}, 18},
        {8, 1, 121, {}, 1},
        {1, 20, 4, {}, 20},                               // no room at all
    };
    for (const Case& c : cases) {
        ResetCalculation();
        for (const auto& [column, width] : c.widths) calc_.ColumnWidth[column] = width;
        calc_.ScreenColumns = c.screenColumns, calc_.LeftColumn = c.left;
        BuildHeaderLine();
        redraws_ = 0;
        EnsureColumnVisible(c.column);
        EXPECT_EQ(calc_.LeftColumn, c.expectedLeft) << c.column;
        EXPECT_EQ(redraws_, 1) << c.column;
        EXPECT_EQ(calc_.HeaderLine.Size(), static_cast<std::size_t>(c.screenColumns));
    }
    ResetCalculation();
    EnsureColumnVisible(20);
    EXPECT_EQ(calc_.RightColumn, 20);
    redraws_ = 0;
    for (Int column : {8, 14, 20}) EnsureColumnVisible(column);
    EXPECT_EQ(calc_.LeftColumn, 8);
    EXPECT_EQ(redraws_, 0);
}

TEST_F(CalculationTest, CursorRowStaysInTheSheetAndOnScreen) {
    struct Case {
        Int cursor, top, bottom, gridTop, gridBottom;
        Int expectedCursor, expectedTop;
    } cases[] = {
        {20, 1, 41, 9, 50, 20, 1},
        {42, 1, 41, 9, 50, 42, 42},
        {958, 900, 940, 9, 50, 958, 958},
        {990, 900, 940, 9, 50, 990, 959},   // near the end the top stops at 999 - 41 + 1
        {1000, 959, 999, 9, 50, 999, 959},
        {975, 970, 1010, 9, 50, 975, 959},
        {999, 1, 79, 0, 80, 999, 920},
        {3, 10, 50, 9, 50, 3, 3},
        {0, 5, 45, 9, 50, 1, 1},
        {-7, 5, 45, 9, 50, 1, 1},
    };
    for (const Case& c : cases) {
        calc_.CursorRow = c.cursor, calc_.TopRow = c.top, calc_.BottomRow = c.bottom;
        calc_.GridTop = c.gridTop, calc_.GridBottom = c.gridBottom;
        EnsureCursorRowVisible();
        EXPECT_EQ(calc_.CursorRow, c.expectedCursor) << c.cursor;
        EXPECT_EQ(calc_.TopRow, c.expectedTop) << c.cursor;
    }
}

TEST(IntegerText, WritesPlainDecimal) {
    const std::pair<Int, const char*> cases[] = {
        {0, "0"}, {7, "7"}, {-7, "-7"}, {100, "100"}, {-1234567890, "-1234567890"},
        {Max, "9223372036854775807"}, {Min, "-9223372036854775808"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(IntegerToText(value), T(expected)) << value;
}

TEST(IntegerText, ReadsSignSpacesAndDigitsAndSaturates) {
    const std::string many(500, '9');
    const std::pair<std::string, Int> cases[] = {
        {"", 0}, {"12", 12}, {"   12", 12}, {"-12", -12}, {"- 12", -12}, {"  -   12abc", -12},
        {"12abc", 12}, {"1 2", 1}, {"007", 7}, {"12-3", 12},
        {"abc", 0}, {"-", 0}, {" - ", 0}, {"--12", 0}, {"+12", 0}, {"\t5", 0},
        {"9223372036854775807", Max}, {"9223372036854775808", Max}, {many, Max}, {many + "x", Max},
        {"-9223372036854775808", Min}, {"-9223372036854775809", Min}, {"-" + many, Min},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(TextToInteger(T(text)), expected) << text;

    for (Int value = -100000; value <= 100000; value += 37) ASSERT_EQ(TextToInteger(IntegerToText(value)), value);
}

}  // namespace
