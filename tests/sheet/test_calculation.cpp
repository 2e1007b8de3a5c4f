#include "platform/program_state.h"
#include "sheet/calculation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <tuple>

#include "runtime/program.h"
#include "test_support.h"

namespace {

constexpr Int Max = std::numeric_limits<Int>::max(), Min = std::numeric_limits<Int>::min();


class CalculationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        RedrawWholeScreenHook() = [this] { ++redraws_; };
    }
    void TearDown() override { RedrawWholeScreenHook() = nullptr; }
    CalculationState& calc_ = Calculation();
    int redraws_ = 0;
};

TEST_F(CalculationTest, AddressesFollowTheLetterAndRangeRules) {
    const std::pair<const char*, Int> cases[] = {
        {"Z1S1", 0}, {"z5s7", 406}, {"Z1S1xyz", 0}, {"Z1S 5", 4}, {"Z0S1", -1}, {"Z1000S1", -1}, {"Z1S101", -1},
        {"Z1S0", -1}, {"Z-9S1", -1}, {"Z1S", -1}, {"Y1S1", -2}, {"", -2}, {"Z12X3", -3}, {"Z012S3", -3}, {"Z1", -3},
        {"ZS1", -3}, {"Z 1S1", -3}, {"Z99999999999999999999999S1", -3},
    };
    for (const auto& [address, expected] : cases) EXPECT_EQ(CellIndexFromAddress(T(address)), expected) << address;
    for (Int row = 1; row <= 999; ++row)
        for (Int column = 1; column <= 100; ++column)
            ASSERT_EQ(CellIndexFromAddress(T("Z") + IntegerToText(row) + T("S") + IntegerToText(column)),
                      (row - 1) * 100 + column - 1) << row << "," << column;
}

// Attribute words come back as written, the same one read again too, and
// any other text reads as its digits up to the first other character:
// compared with a reader of the digits one by one, on texts mostly of
// digits and the characters around them in the code table.
TEST_F(CalculationTest, HexValuesReadWordsAndStopAtTheFirstOtherCharacter) {
    const auto reference = [](const std::string& text) {
        std::uint64_t value = 0;
        for (const char c : text) {
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10
                            : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0) break;
            value = value * 16 + static_cast<std::uint64_t>(digit);
        }
        return static_cast<Int>(value);
    };
    initoxtools();
    std::mt19937 random(11);
    const std::string others = std::string("/:@G`g \xB0\x00", 9) + "\x7F";
    // A few words, two of them alike in their first half, met again and again.
    const Int words[] = {0xF003, 0x12345678F003, 0x12345678F004, Int{-1}};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = round % 3 == 0 ? static_cast<int>(random() % 20) : 16;
        for (int i = 0; i < length; ++i)
            text += random() % 24 == 0 ? others[random() % others.size()] : "0123456789ABCDEFabcdef"[random() % 22];
        ASSERT_EQ(HexValue(T(text)), reference(text)) << text;
        const Int word = random() % 2 ? words[random() % 4] : static_cast<Int>(random() * random());
        Text written;
        AppendHexWord(written, word);
        ASSERT_EQ(HexValue(written), word);
    }
}

// Narrow columns cannot be made by keys yet. '[' and ']' stand for the rules.
TEST_F(CalculationTest, HeaderPiecesAndLinesInNarrowColumns) {
    const auto rules = [](std::string s) {
        Text text = T(s);
        for (UInt8& c : text.Elements) c = c == '[' ? LeftColumnRule : c == ']' ? RightColumnRule : c;
        return text;
    };
    const std::tuple<Int, Int, const char*> cases[] = {
        {5, 1, "5"}, {12, 1, "2"}, {5, 2, "5]"}, {12, 2, "12"}, {100, 2, "100"}, {5, 3, "[5]"}, {12, 3, "12]"},
        {100, 3, "100]"}, {5, 4, "[5 ]"}, {100, 4, "[100]"}, {5, 5, "[ 5 ]"}, {12, 5, "[12 ]"}, {12, 9, "[  12   ]"},
    };
    for (const auto& [column, width, expected] : cases)
        EXPECT_EQ(HeaderPiece(column, width), rules(expected)) << column << " at " << width;
    // Without row numbers the last columns run out before the screen does.
    calc_.RowNumberWidth = 0, calc_.LeftColumn = 99, calc_.ColumnWidth[99] = 2, calc_.ColumnWidth[100] = 3;
    BuildHeaderLine();
    EXPECT_EQ(std::make_pair(calc_.HeaderLine, calc_.RightColumn),
              std::make_pair(rules("99100][" + std::string(114, ' ')), Int{100}));
    calc_.ScreenColumns = 4, calc_.LeftColumn = 100, calc_.ColumnWidth[100] = 4;  // cut at the screen edge
    BuildHeaderLine();
    EXPECT_EQ(calc_.HeaderLine, rules("[100"));
}

TEST_F(CalculationTest, ColumnOutsideTheViewMovesTheLeftColumnAndRedraws) {
    // Columns 8, 9 and 10 take 27 or 28, 40 and 50 of the 117 grid columns: an exact fit or one too many.
    // Left column before, column to show, width of column 8, screen width (4: no room at all), left column after.
    const std::tuple<Int, Int, Int, Int, Int> cases[] = {
        {1, 10, 27, 121, 8}, {1, 10, 28, 121, 9}, {50, 30, 9, 121, 18}, {1, 20, 9, 4, 20}};
    for (const auto& [left, column, width8, screenColumns, expectedLeft] : cases) {
        ResetProgramState();
        calc_.ColumnWidth[10] = 50, calc_.ColumnWidth[9] = 40, calc_.ColumnWidth[8] = width8;
        calc_.ScreenColumns = screenColumns, calc_.LeftColumn = left;
        BuildHeaderLine(), redraws_ = 0;
        EnsureColumnVisible(column);
        EXPECT_EQ(std::make_tuple(calc_.LeftColumn, redraws_, calc_.HeaderLine.Size()),
                  std::make_tuple(expectedLeft, 1, static_cast<std::size_t>(screenColumns))) << column;
    }
}

TEST(IntegerToText, ReadsBackAsWrittenAndSaturates) {
    for (Int value : {Int{0}, Int{-7}, Int{100}, Max, Min, Max - 1, Min + 1, Min + 9}) EXPECT_EQ(TextToInteger(IntegerToText(value)), value) << value;
    const std::pair<std::string, Int> cases[] = {
        {"", 0}, {"  -   12abc", -12}, {"1 2", 1}, {"007", 7}, {"-", 0}, {"--12", 0}, {"+12", 0}, {"\t5", 0},
        {"9223372036854775808", Max}, {std::string(500, '9'), Max}, {"-9223372036854775809", Min}, {"-7", -7},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(TextToInteger(T(text)), expected) << text;
    EXPECT_EQ(IntegerToText(Min), T("-9223372036854775808"));
}

}  // namespace
