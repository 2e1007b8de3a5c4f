// The printer's pages: margins, wrapping at the sheet width, line ends and
// page-break marks; and the print text of a range.
#include "commands/printing.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/printer.h"
#include "sheet/cell_editing.h"

#include "screen/screen_fixture.h"
#include "sheet/calculation.h"
#include "sheet/menu_settings.h"

namespace {

class PrintingTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ClearCalculation();
        Printing() = PrintSettings{};
    }
    // All pages, each after a "|" and with "#" where a break follows.
    static std::string Pages(const std::string& printText) {
        std::string all;
        PrinterPages(Text::FromBytes(printText),
                     [&](const String& page, bool broken) { all += "|" + page + (broken ? "#" : ""); });
        return all;
    }
};

TEST_F(PrintingTest, LinesWrapAtTheSheetWidthAndPagesBreakAfterTheirLines) {
    PrintSettings& p = Printing();
    p.PrintSheetWidth = 10, p.PrintLeftMargin = 2, p.PrintTopMargin = 1, p.PrintLinesPerSheet = 3;
    const std::string mark = "<" + std::string(31, '-') + " Seitenumbruch " + std::string(32, '-') + ">";
    EXPECT_EQ(Pages("abcdefghijklmnopqrstuvwxy\r\x01z\r"),
              "|\r  abcdefghij\r  klmnopqrst\r  uvwxy\r" + mark + "\r#|\r  z\r");
    p.PrintLineFeed = true, p.PrintLinesPerSheet = 80;
    // The line feed ends the text's lines; a wrap is a carriage return alone.
    EXPECT_EQ(Pages("abcdefghijkl\r\xE4\r"), "|\r\n  abcdefghij\r  kl\r\n  \xC3\xA4\r\n");
}

TEST_F(PrintingTest, ThePrintTextHoldsTheRangeAsTheGridShowsIt) {
    CalculationState& c = Calculation();
    c.CellText.Set(0, Text::FromBytes("12")), c.CellAttributes.Set(0, 0x3F003);  // right-aligned
    c.CellText.Set(1, Text::FromBytes("Ein langer Text")), c.CellAttributes.Set(1, 0xF002);  // runs on into column 3
    c.PrintStartRow = c.PrintEndRow = 1, c.PrintStartColumn = 1, c.PrintEndColumn = 3;
    const Text text = BuildPrintText();
    EXPECT_EQ(std::string(text.Elements.begin(), text.Elements.end()), "       12Ein langer Text   \r");
}

// Each print appends its pages to what the printer holds (how fast, however
// much it holds, is bench_screen's BM_PrintFullSheet).
TEST_F(PrintingTest, EveryPrintAppendsTheSamePages) {
    InsertDemoData();
    PrintToPrinter();
    const std::string once = p_GetPrinter();
    for (int i = 0; i < 9; ++i) PrintToPrinter();
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += once;
    EXPECT_EQ(p_GetPrinter(), ten);
}

}  // namespace
