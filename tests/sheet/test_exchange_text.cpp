// The exchange text: what a copy writes, how a paste reads it and texts of
// other programs, and that cells come back as they went.
#include "sheet/exchange_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "runtime/program.h"
#include "screen/screen_fixture.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "test_support.h"

namespace {

std::size_t Slot(Int row, Int column) { return static_cast<std::size_t>(CellIndex(row, column)); }

class ExchangeTextTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        initoxtools();
        parser_InitFunctions();
        ClearCalculation();
    }
    static std::string TextAt(Int row, Int column) { return S(Calculation().CellText[Slot(row, column)]); }
    static PasteOutcome PasteAt(Int row, Int column, const std::string& text) {
        Calculation().CursorRow = row, Calculation().CursorColumn = column;
        return PasteText(text);
    }
};

TEST_F(ExchangeTextTest, CopyWritesEntriesFormatsAndOnlyTheSeparatorsNeeded) {
    CalculationState& c = Calculation();
    EditCell(1, 1, Text::FromBytes("=1+2"), false);
    EditCell(1, 2, Text::FromBytes("Text"), false);
    c.CopyFormats = false;
    EXPECT_EQ(CellsAsText(1, 1, 1, 2), "=1+2\tText");
    // Quoted where a separator or a quote in front would mislead a paste;
    // codes of 128 and more, and the escape of a character, as UTF-8.
    const std::pair<const char*, const char*> entries[] = {
        {"\"ja\"", "\"\"\"ja\"\"\""}, {"a\tb", "\"a\tb\""}, {"a\"b", "a\"b"}, {"~\x80", "~\xC2\x80"},
        {"\xE4", "\xC3\xA4"}, {"\x1B" "20AC\x1D!", "\xE2\x82\xAC!"}, {"\x1F ", "\x1F "}};
    for (const auto& [entry, copied] : entries) {
        EditCell(3, 1, Text::FromBytes(entry), false);
        EXPECT_EQ(CellsAsText(3, 1, 3, 1), copied) << entry;
    }
    c.CellAttributes.Set(Slot(3, 1), DefaultCellAttributes);
    c.CopyFormats = true;  // a formula goes as one still to compute, its kind comes with the paste
    EXPECT_EQ(CellsAsText(1, 1, 1, 1), "=1+2\x03" "000000000000F001");
    c.CopyFormats = false;
    EXPECT_EQ(CellsAsText(1, 1, 1, 1), "=1+2");
    c.FormulasInsteadOfContents = false;
    EXPECT_EQ(CellsAsText(1, 1, 2, 2), "3\tText");
    c.CopyFormats = true;
    EXPECT_EQ(CellsAsText(1, 2, 1, 2), "Text\x03" "000000000000F002");
    // Rows above the last cell keep every separator; nothing trails it.
    EXPECT_EQ(SheetAsText(), "3\x03" "000000000000F003\tText\x03" "000000000000F002");
    c.CellAttributes.Set(Slot(1, 1), DefaultCellAttributes);
    c.CellAttributes.Set(Slot(1, 2), DefaultCellAttributes);
    EditCell(2, 3, Text::FromBytes("x"), false);
    EXPECT_EQ(SheetAsText(), std::string(99, '\t') + "\r\t\tx\x03" "000000000000F002");
}

TEST_F(ExchangeTextTest, PasteLandsCellForCell) {
    PasteAt(4, 2, "a\tb\rc");
    EXPECT_EQ(TextAt(4, 2) + TextAt(4, 3) + TextAt(5, 2), "abc");
    // Line feeds, and carriage returns with line feeds, end one line each.
    PasteAt(10, 1, "1\n2\r\n3\r\r4");
    EXPECT_EQ(TextAt(10, 1) + TextAt(11, 1) + TextAt(12, 1) + TextAt(13, 1) + TextAt(14, 1), "1234");
    // Quotes as spreadsheets write them; a cell merely in quotes keeps them;
    // a line end inside quotes becomes a blank, as a cell is one line.
    PasteAt(20, 1, "\"x\ty\"\t\"sagt \"\"ja\"\"\"\t\"Hallo\"\t\"zwei\r\nZeilen\"\t\"offen\t\"a\tb\"\t\"\r=1\n+2\"");
    EXPECT_EQ(TextAt(20, 1) + "|" + TextAt(20, 2) + "|" + TextAt(20, 3) + "|" + TextAt(20, 4) + "|" + TextAt(20, 5) + "|" +
                  TextAt(20, 6) + "|" + TextAt(20, 7),
              "x\ty|sagt \"ja\"|\"Hallo\"|zwei Zeilen|\"offen|a\tb| =1 +2");
    // Past the last column into the next row; attributes after byte 3;
    // characters above 255 as in files.
    PasteAt(30, 100, "a\tb\x03" "0000000000041002\tG\xC3\xBC\xE2\x82\xACte");
    EXPECT_EQ(TextAt(30, 100) + TextAt(31, 100) + TextAt(32, 100), "abG\xFC\x1B" "20AC\x1Dte");
    EXPECT_EQ(Calculation().CellAttributes[Slot(31, 100)], 0x41002);
    // Below the last row nothing lands; the lines left out are counted.
    EXPECT_EQ(PasteAt(998, 1, "1\r2\r3\r\r4\r5\r").LinesCut, 3);
    EXPECT_EQ(TextAt(998, 1) + TextAt(999, 1), "12");
    EXPECT_EQ(PasteAt(999, 1, "9\r").LinesCut, 0);
}

// Random cells copied with their formats and pasted elsewhere are the same
// cells there, quotes, tabs and characters above 255 in texts too.
TEST_F(ExchangeTextTest, CopiedCellsComeBackWhereTheyArePasted) {
    CalculationState& c = Calculation();
    std::mt19937 random(11);
    const std::string letters = "abcXYZ \t\xE4\xF6\xFC\xDF\"-,.=+";
    for (Int row = 1; row <= 6; ++row) {
        for (Int column = 1; column <= 8; ++column) {
            const int kind = static_cast<int>(random() % 5);
            std::string entry = kind == 0 ? "" : kind == 1 ? std::to_string(random() % 1000) : kind == 2 ? "=2*" + std::to_string(random() % 50) : "";
            for (int i = kind >= 3 ? static_cast<int>(random() % 12) + 1 : 0; i > 0; --i)
                entry += letters[random() % letters.size()];
            if (!entry.empty()) EditCell(row, column, Text::FromBytes(entry), false);
            if (kind == 4) SetBackgroundColor(c.CellAttributes.Edit(Slot(row, column)), static_cast<Int>(random() % 16));
        }
    }
    EditCell(6, 8, Text::FromBytes("Gr\xF6\xDF" "e \x1B" "20AC\x1D"), false);  // a euro sign, as typed
    EditCell(8, 2, Text::FromBytes("unten"), false);  // below an empty row
    c.CellAttributes.Set(Slot(6, 7), 0xF001);  // typed into a formula cell: a formula without its "="
    EditCell(6, 7, Text::FromBytes("42"), false);
    // Made in parts of whole rows, however small, it is the same text; the
    // separators a row's end leaves waiting go with the next part.
    for (const std::size_t size : {1, 5, 40}) {
        std::string joined;
        CellsAsTextInParts(1, 1, 8, 8, size, [&joined](std::string_view part) { return (joined += part), true; });
        EXPECT_EQ(joined, CellsAsText(1, 1, 8, 8)) << size;
    }
    int asked = 0;
    CellsAsTextInParts(1, 1, 8, 8, 1, [&asked](std::string_view) { return ++asked < 2; });
    EXPECT_EQ(asked, 2);
    const CalculationState before = c;
    PasteAt(101, 11, CellsAsText(1, 1, 6, 8));  // as the pasteboard carries it
    for (Int row = 1; row <= 6; ++row) {
        for (Int column = 1; column <= 8; ++column) {
            SCOPED_TRACE(std::to_string(row) + "," + std::to_string(column));
            const std::size_t from = Slot(row, column), to = Slot(row + 100, column + 10);
            EXPECT_EQ(S(c.CellText[to]), S(before.CellText[from]));
            EXPECT_EQ(S(c.CellFormula.Get(to)), S(before.CellFormula.Get(from)));
            EXPECT_EQ(c.CellAttributes[to], before.CellAttributes[from]);
        }
    }
}

}  // namespace
