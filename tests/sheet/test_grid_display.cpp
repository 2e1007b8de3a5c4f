// What the screen cases cannot show: colours, and formats, widths, help
// widths and settings that only the coming menu commands will change.
#include "sheet/grid_display.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>

#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "runtime/program.h"
#include "screen/screen_fixture.h"
#include "sheet/calculation.h"
#include "sheet/help_texts.h"
#include "sheet/menu_settings.h"

namespace {

constexpr UInt8 NormalCell = 0x0F;   // font colour 0 on background 15
constexpr UInt8 InverseCell = 0xF0;  // the same, exchanged

// A UTF-8 string as the screen's 8-bit codes (every scalar here is below 256).
std::string Codes(std::string_view utf8) {
    std::string codes;
    for (char32_t scalar : Scalars(utf8)) codes += static_cast<char>(scalar);
    return codes;
}
std::string Str(const Text& text) { return std::string(text.Elements.begin(), text.Elements.end()); }
std::string Spaces(std::size_t count) { return std::string(count, ' '); }

class GridDisplayTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        t_Color(SheetWindow, Int{0}, Int{15});
    }
    static Int& Attributes(Int row, Int column) { return Calculation().CellAttributes.Edit(Slot(row, column)); }
    static std::size_t Slot(Int row, Int column) { return static_cast<std::size_t>(CellIndex(row, column)); }
    static void SetCell(Int row, Int column, std::string_view text, Int kind = CellKindText, Int format = 0) {
        Calculation().CellText.Set(Slot(row, column), Text::FromBytes(text));
        SetCellKind(Attributes(row, column), kind);
        SetDisplayFormat(Attributes(row, column), format);
    }
    // Fills a line without moving the cursor, so nothing scrolls.
    static void Fill(Int line) {
        for (Int column = 1; column <= 121; ++column) t_PrintSymbol(SheetWindow, '#', column, line);
    }
    CalculationState& calc_ = Calculation();
};

TEST_F(GridDisplayTest, PiecesFollowFormatAndWidth) {
    enum { Std, Left, Center, Right, Currency };
    struct Case { const char* text; Int kind, format, width; const char* piece; } cases[] = {
        {"Hallo Welt", 2, Std, 9, "Hallo Wel"}, {"Hallo Welt", 2, Right, 9, "allo Welt"}, {"abc", 2, Left, 2, "ab"},
        {"abc", 2, Left, 6, "abc   "}, {"abc", 2, Center, 4, "abc "}, {"abc", 2, Center, 5, " abc "}, {"abc", 2, Center, 8, "  abc   "},
        {"5", 3, Center, 9, "    5    "}, {"abc", 2, Right, 1, "c"}, {"abc", 2, Right, 6, "   abc"},
        // A centred text too long for its cell loses its first (length - width) / 2 - 1 characters.
        {"abcd", 2, Center, 2, "ab"}, {"abcdefgh", 2, Center, 3, "bcd"}, {"ABCDEFGHIJKLMNO", 2, Center, 9, "CDEFGHIJK"},
        // Currency rounds numbers half up to cents; other kinds it only aligns right.
        {"1234,5", 3, Currency, 9, "  1234,50"}, {"-2,345", 3, Currency, 9, "    -2,34"}, {"0,005", 3, Currency, 6, "  0,01"},
        {"3", 3, Currency, 3, ",00"}, {"1e20", 3, Currency, 5, "00,00"}, {"2,5", 2, Currency, 9, "      2,5"},
        {"x", 1, Currency, 3, "  x"}, {"abc", 2, 9, 4, "abc "},  // an unknown format reads as standard
    };
    for (const Case& c : cases) {
        ClearCalculation();
        calc_.ColumnWidth[1] = c.width;
        SetCell(1, 1, c.text, c.kind, c.format);
        calc_.CellFormula.Set(0, Text::FromBytes("=0"));  // never shown in the grid
        EXPECT_EQ(Str(CellPiece(1, 1)), c.piece) << c.text << " format " << c.format << " width " << c.width;
    }
    EXPECT_TRUE(CellPiece(0, 1).Empty() && CellPiece(1, 101).Empty() && CellPiece(1000, 1).Empty());
}

// A long text flows on through empty cells, also past cells of other
// formats, until an occupied standard cell.
TEST_F(GridDisplayTest, OverflowStopsOnlyAtAnOccupiedStandardCell) {
    SetCell(1, 1, "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJK");
    SetCell(1, 2, "x", CellKindText, DisplayFormatRight);
    SetCell(1, 5, "B");
    RedrawGrid();
    EXPECT_EQ(Row(10, 14, 58), "        xstuvwxyz0123456789B                 ");
}

TEST_F(GridDisplayTest, ColoursOfCellsCursorSelectionAndRowNumbers) {
    SetCell(3, 3, "bunt");
    Attributes(3, 3) = 0xD102;  // font colour 1 on background 13
    calc_.SelectionStartRow = 1, calc_.SelectionStartColumn = 1, calc_.SelectionEndRow = 2, calc_.SelectionEndColumn = 2;
    calc_.CursorRow = 1, calc_.CursorColumn = 2;
    RedrawGrid();
    // (column, line, colour): the cursor inside the selection is normal, selected cells inverse.
    const std::tuple<Int, Int, UInt8> colours[] = {
        {5, 10, InverseCell}, {13, 10, InverseCell}, {14, 10, NormalCell}, {22, 11, InverseCell}, {23, 10, NormalCell},
        {5, 12, NormalCell}, {23, 12, 0x1D}, {31, 12, 0x1D}, {32, 12, NormalCell}, {1, 12, InverseCell},
    };
    for (const auto& [column, line, colour] : colours) EXPECT_EQ(Color(column, line), colour) << column << "," << line;
    // Outside the selection the cursor is inverse; without a selection end nothing is selected.
    calc_.SelectionEndRow = 0, calc_.CursorRow = 3, calc_.CursorColumn = 3;
    RedrawGrid();
    EXPECT_EQ(std::make_tuple(Color(5, 10), Color(31, 12)), std::make_tuple(NormalCell, UInt8{0xD1}));
}

TEST_F(GridDisplayTest, StatusLineLayoutControlCodesAndMarks) {
    // Wider columns close the gaps in the position field, or leave the width out.
    EXPECT_EQ(StatusPositionField(12, 34, 10) + StatusPositionField(12, 100, 76), "Z12S34(1133)<10>Z12S100 (1199)  ");
    SetCell(1, 1, std::string("a\x01") + std::string(200, 'x')), Fill(2);
    DrawStatusLine();
    EXPECT_EQ(Row(1, 17, 121), "T\xB7 aA" + std::string(99, 'x') + " ");
    EXPECT_EQ(Color(21, 1), 0xF1);  // the control letter in colour 1, exchanged by inverse
    EXPECT_EQ(Row(2), std::string(121, '#'));  // nothing wrapped onto line 2
    EXPECT_EQ(std::make_tuple(Win().TextVpos, Win().TextHpos, Win().TextDisplayMode), std::make_tuple(1, 9, 0));
    SetCellKind(calc_.CellAttributes.Edit(0), 7), calc_.ColorMode = true;
    DrawStatusLine();
    EXPECT_EQ(Row(1, 17, 18), "?\xB7");
    EXPECT_EQ(std::make_pair(Color(1, 1), t_GetColor(SheetWindow)), std::make_pair(UInt8{0xF5}, UInt8{0x0F}));
}

TEST_F(GridDisplayTest, NarrowMenuHelpClearsTheRestOfEachLineAndShowsTheTitleInverse) {
    for (Int line = 1; line <= 9; ++line) Fill(line);
    ShowMenuHelp(4);
    EXPECT_EQ(Row(1) + Row(2) + Row(8) + Row(9), std::string(121, '#') + Codes("Druckbereich: ") + Spaces(107) +
                                                     Codes(NarrowMenuHelp[4][6]) + Spaces(41) + std::string(121, '#'));
    EXPECT_EQ(std::make_pair(Color(1, 2), Color(1, 3)), std::make_pair(NormalCell, InverseCell));
}

// Values of settings that the menu commands will change, wide (W) and
// narrow (N); each value stands right after its label.
TEST_F(GridDisplayTest, MenuValuesStandAfterTheirLabels) {
    calc_.CalcFolder = "/" + std::string(96, 'd') + "/";
    calc_.CalcFileName = "\xEF\xAC\x81nanzen.calc";  // begins with the ligature fi
    calc_.FormulasInsteadOfContents = calc_.AutoRecalculate = false, calc_.ColumnWidth[1] = 12, calc_.CursorRow = 250;
    Attributes(250, 1) = 0x44100;  // font colour 1, background 4, format currency
    calc_.SelectionStartRow = 2, calc_.SelectionStartColumn = 3, calc_.SelectionEndRow = 4, calc_.SelectionEndColumn = 7;
    calc_.PrintStartRow = 5, calc_.PrintEndRow = 10, calc_.PrintEndColumn = 2;
    Search().SearchText = Text::FromBytes("M\xFCller"), Search().IgnoreCase = false, Search().Markers = {0, 99899, 101, -1, 99900};
    Printing().PrintLinesPerSheet = 60, Printing().PrintPaper = true, Printing().PrinterChoice = 2;
    const std::tuple<const char*, Int, Int, const char*> cases[] = {
        {"W", 1, 2, "d/finanzen.calc"}, {"N", 1, 5, "Formate (ein)"}, {"W", 1, 5, "Inhalt (aus)"},
        {"W", 1, 7, "Spaltenbreite: 12 "}, {"N", 1, 7, "Breite: 12 "}, {"W", 1, 7, "Schrift: Rot       "},
        {"N", 1, 7, "Sch: Rot       "},
        {"N", 1, 7, "Htg: Dunkelgrün"}, {"W", 1, 7, "Ausrichtung: Währung     "}, {"N", 1, 7, "A: Währung"}, {"WN", 1, 8, "(man.)"},
        {"W", 2, 2, "Auswahl = 15 Felder (Zeile 2, Spalte 3 bis Zeile 4, Spalte 7)"},
        {"WN", 3, 2, "Marker:  0=Z1S1 1=Z999S100 2=Z2S2 3= 4= 5=Z1S1"}, {"W", 3, 4, "Suchen: Müller"},
        {"N", 3, 7, "klein (ein)"}, {"N", 3, 8, "Zeile: 250      "}, {"WN", 3, 8, "Seite: 5        "},
        {"W", 4, 2, "Druckbereich: 12 Felder (Zeile 5, Spalte 1 bis Zeile 10, Spalte 2)"}, {"WN", 4, 6, "Blatt: 60 "},
        {"N", 4, 6, "links: 9 "}, {"N", 4, 6, "Breite: 80"}, {"N", 4, 7, "Papier (einzel)"}, {"WN", 4, 7, "Druckerwahl (2)"},
    };
    for (const auto& [widths, menu, line, shown] : cases) {
        for (const char width : std::string(widths)) {
            calc_.ColorMode = width == 'W', calc_.MenuState = menu;
            ShowMenuHelp(menu);
            RedrawScreen();
            EXPECT_NE(Row(line).find(Codes(shown)), std::string::npos) << shown << " in\n" << Row(line);
        }
    }
    // A long file name is cut where its line ends, never wrapped onto the next.
    calc_.CalcFolder = "/" + std::string(150, 'd') + "/", calc_.MenuState = 1, calc_.ColorMode = true;
    ShowMenuHelp(1);
    RedrawScreen();
    EXPECT_EQ(Row(2, 9) + Row(3, 1, 7), "/" + std::string(112, 'd') + " Ablage");
}

TEST_F(GridDisplayTest, FunctionOverviewListsTheFunctionsInColumns) {
    initoxtools();
    parser_InitFunctions();
    calc_.ColorMode = true;  // a margin of a column and a line inside the grid; six entries of 20 on each line
    ShowFunctionOverview();
    EXPECT_EQ(Row(10) + Row(11, 1, 23) + Row(12, 2, 23), Spaces(122) + "Eingebaute Funktionen:" + std::string(22, '\x8C'));
    EXPECT_EQ(Row(13, 2), Str(parser_FunctionList(20)).substr(0, 120));
    EXPECT_EQ(std::make_pair(Win().TextFirstColumn, Win().TextLastLine), std::make_pair(Int{1}, Int{50}));
}

}  // namespace
