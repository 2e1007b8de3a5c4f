#include "sheet/grid_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "commands/settings.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "runtime/program.h"
#include "runtime/screen_fixture.h"
#include "sheet/calculation.h"
#include "sheet/help_texts.h"

namespace {

constexpr UInt8 NormalCell = 0x0F;   // font colour 0 on background 15
constexpr UInt8 InverseCell = 0xF0;  // the same, exchanged

Text T(std::string_view s) { return Text::FromBytes(s); }

// A UTF-8 string as the screen's 8-bit codes (every scalar here is below 256).
std::string Codes(std::string_view utf8) {
    std::string codes;
    for (char32_t scalar : Scalars(utf8)) codes += static_cast<char>(scalar);
    return codes;
}

std::string Str(const Text& text) { return std::string(text.Elements.begin(), text.Elements.end()); }

std::string Spaces(std::size_t count) { return std::string(count, ' '); }

// A whole screen line: the text followed by spaces up to 121 characters.
std::string Full(const std::string& codes) { return codes + Spaces(121 - codes.size()); }

// A help line with values written over it at 1-based columns.
std::string Overlay(std::string_view helpLine, std::initializer_list<std::pair<std::size_t, std::string_view>> values) {
    std::string line = Codes(helpLine);
    for (const auto& [column, value] : values) {
        const std::string codes = Codes(value);
        line.replace(column - 1, codes.size(), codes);
    }
    return line;
}

class GridDisplayTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        ResetCalculation();
        Search() = SearchSettings{};
        Printing() = PrintSettings{};
        t_Color(SheetWindow, Int{0}, Int{15});
    }
    void TearDown() override {
        RedrawWholeScreenHook() = nullptr;
        ResetCalculation();
        ScreenTest::TearDown();
    }

    static void SetCell(Int row, Int column, std::string_view text, Int kind = CellKindText,
                        Int format = DisplayFormatStandard) {
        CalculationState& calc = Calculation();
        const auto index = static_cast<std::size_t>(CellIndex(row, column));
        calc.CellText[index] = T(text);
        Int& attributes = calc.CellAttributes[index];
        SetCellKind(attributes, kind);
        SetDisplayFormat(attributes, format);
    }

    static void SetHelpMode(Int gridTop) {
        CalculationState& calc = Calculation();
        calc.GridTop = gridTop;
        calc.RowNumberWidth = gridTop >= 2 ? 4 : 0;
        BuildHeaderLine();
    }

    // Fills a line without moving the cursor, so nothing scrolls.
    static void Fill(Int line, char code = '#') {
        for (Int column = 1; column <= 121; ++column)
            t_PrintSymbol(SheetWindow, static_cast<UInt8>(code), column, line);
    }

    CalculationState& calc_ = Calculation();
};

// ---- Cell pieces ----

TEST_F(GridDisplayTest, HalloWeltShowsNineCharactersAndTheEmptyNeighbourTheRest) {
    SetCell(1, 1, "Hallo Welt");
    EXPECT_EQ(Str(CellPiece(1, 1)), "Hallo Wel");
    EXPECT_EQ(Str(CellPiece(1, 2)), "t" + Spaces(8));
    EXPECT_EQ(Str(CellPiece(1, 3)), Spaces(9));
}

TEST_F(GridDisplayTest, RightAlignedShowsTheEndAndCentredTheStartOfALongText) {
    SetCell(1, 1, "Hallo Welt", CellKindText, DisplayFormatRight);
    SetCell(2, 1, "Hallo Welt", CellKindText, DisplayFormatCentered);
    EXPECT_EQ(Str(CellPiece(1, 1)), "allo Welt");
    EXPECT_EQ(Str(CellPiece(2, 1)), "Hallo Wel");
}

TEST_F(GridDisplayTest, FifteenCharactersCentredInNineLoseTheirFirstTwo) {
    SetCell(1, 1, "ABCDEFGHIJKLMNO", CellKindText, DisplayFormatCentered);
    EXPECT_EQ(Str(CellPiece(1, 1)), "CDEFGHIJK");
}

TEST_F(GridDisplayTest, OverflowContinuesPastARightAlignedCell) {
    SetCell(1, 1, "abcdefghijklmnopqrstuvwxyz0123");
    SetCell(1, 2, "x", CellKindText, DisplayFormatRight);
    EXPECT_EQ(Str(CellPiece(1, 2)), Spaces(8) + "x");
    EXPECT_EQ(Str(CellPiece(1, 3)), "stuvwxyz0");
    EXPECT_EQ(Str(CellPiece(1, 4)), "123" + Spaces(6));
}

TEST_F(GridDisplayTest, AnOccupiedStandardCellStopsTheOverflow) {
    SetCell(1, 1, "abcdefghijklmnopqrstuvwxyz0123");
    SetCell(1, 2, "B");
    EXPECT_EQ(Str(CellPiece(1, 2)), "B" + Spaces(8));
    EXPECT_EQ(Str(CellPiece(1, 3)), Spaces(9));
}

TEST_F(GridDisplayTest, OverflowComesFromColumnsLeftOfTheView) {
    SetCell(1, 1, std::string(18, 'a') + "XYZ");
    calc_.LeftColumn = 3;
    BuildHeaderLine();
    RedrawGrid();
    EXPECT_EQ(Row(10, 5, 13), "XYZ" + Spaces(6));
}

TEST_F(GridDisplayTest, FiveCentredInNineHasFourSpacesOnEachSide) {
    SetCell(1, 1, "5", CellKindNumber, DisplayFormatCentered);
    EXPECT_EQ(Str(CellPiece(1, 1)), Spaces(4) + "5" + Spaces(4));
}

TEST_F(GridDisplayTest, CurrencyRoundsNumbersHalfUpAndOnlyAlignsTexts) {
    SetCell(1, 1, "1234,5", CellKindNumber, DisplayFormatCurrency);
    SetCell(2, 1, "0,005", CellKindNumber, DisplayFormatCurrency);
    SetCell(3, 1, "-2,345", CellKindNumber, DisplayFormatCurrency);
    SetCell(4, 1, "7", CellKindNumber, DisplayFormatCurrency);
    SetCell(5, 1, "2,5", CellKindText, DisplayFormatCurrency);
    EXPECT_EQ(Str(CellPiece(1, 1)), "  1234,50");
    EXPECT_EQ(Str(CellPiece(2, 1)), "     0,01");
    EXPECT_EQ(Str(CellPiece(3, 1)), "    -2,34");
    EXPECT_EQ(Str(CellPiece(4, 1)), "     7,00");
    EXPECT_EQ(Str(CellPiece(5, 1)), "      2,5");
}

TEST_F(GridDisplayTest, PiecesOverFormatsAndWidths) {
    struct Case {
        const char* text;
        Int kind;
        Int format;
        Int width;
        const char* piece;
    };
    const Case cases[] = {
        {"abc", CellKindText, DisplayFormatStandard, 1, "a"},
        {"abc", CellKindText, DisplayFormatStandard, 5, "abc  "},
        {"abc", CellKindText, DisplayFormatLeft, 2, "ab"},
        {"abc", CellKindText, DisplayFormatLeft, 6, "abc   "},
        {"abc", CellKindText, DisplayFormatCentered, 1, "a"},
        {"abc", CellKindText, DisplayFormatCentered, 4, "abc "},
        {"abc", CellKindText, DisplayFormatCentered, 5, " abc "},
        {"abc", CellKindText, DisplayFormatCentered, 8, "  abc   "},
        {"abcd", CellKindText, DisplayFormatCentered, 2, "ab"},       // s = 1
        {"abcdefg", CellKindText, DisplayFormatCentered, 3, "bcd"},   // s = 2
        {"abcdefgh", CellKindText, DisplayFormatCentered, 3, "bcd"},  // s = 2
        {"abcdefghij", CellKindText, DisplayFormatCentered, 4, "cdef"},
        {"abcdefghijkl", CellKindText, DisplayFormatCentered, 2, "ef"},
        {"abc", CellKindText, DisplayFormatRight, 1, "c"},
        {"abc", CellKindText, DisplayFormatRight, 3, "abc"},
        {"abc", CellKindText, DisplayFormatRight, 6, "   abc"},
        {"3", CellKindNumber, DisplayFormatCurrency, 4, "3,00"},
        {"3", CellKindNumber, DisplayFormatCurrency, 3, ",00"},
        {"3", CellKindNumber, DisplayFormatCurrency, 12, "        3,00"},
        {"0,125", CellKindNumber, DisplayFormatCurrency, 6, "  0,13"},
        {"1e20", CellKindNumber, DisplayFormatCurrency, 5, "00,00"},
        {"x", CellKindUncomputed, DisplayFormatCurrency, 3, "  x"},
        {"x", CellKindUncomputed, DisplayFormatStandard, 3, "x  "},
        {"abc", CellKindText, 9, 4, "abc "},  // an unknown format reads as standard
    };
    for (const Case& c : cases) {
        ResetCalculation();
        calc_.ColumnWidth[1] = c.width;
        SetCell(1, 1, c.text, c.kind, c.format);
        EXPECT_EQ(Str(CellPiece(1, 1)), c.piece) << c.text << " format " << c.format << " width " << c.width;
    }
}

TEST_F(GridDisplayTest, PiecesAreNeverTakenFromTheFormula) {
    SetCell(1, 1, "42", CellKindNumber);
    calc_.CellFormula[0] = T("=40+2");
    EXPECT_EQ(Str(CellPiece(1, 1)), "42" + Spaces(7));
}

TEST_F(GridDisplayTest, PieceOutsideTheSheetIsEmpty) {
    EXPECT_TRUE(CellPiece(0, 1).Empty());
    EXPECT_TRUE(CellPiece(1, 101).Empty());
    EXPECT_TRUE(CellPiece(1000, 1).Empty());
}

// ---- The grid on screen ----

TEST_F(GridDisplayTest, GridLineShowsRowNumberAndOverflowingText) {
    SetCell(7, 1, "Hallo Welt");
    DrawGridLine(16);  // TopRow 1, GridTop 9: line 16 shows row 7
    EXPECT_EQ(Row(16, 1, 4), "  7\x8B");
    EXPECT_EQ(Row(16, 5, 22), "Hallo Welt" + Spaces(8));
    EXPECT_EQ(Color(1, 16), 0xF0);  // row numbers inverse
    EXPECT_EQ(Color(5, 16), NormalCell);
}

TEST_F(GridDisplayTest, RowNumbersKeepTheirLastCharactersAndRowsBeyondTheSheetHaveNone) {
    calc_.TopRow = 999 - 5;
    DrawGridLine(15);  // row 999
    DrawGridLine(16);  // row 1000
    EXPECT_EQ(Row(15, 1, 4), "999\x8B");
    EXPECT_EQ(Row(16, 1, 4), "   \x8B");
    EXPECT_EQ(Row(16, 5), Spaces(117));
}

TEST_F(GridDisplayTest, RedrawGridFillsEveryLineAndSetsBottomRow) {
    calc_.TopRow = 20;
    for (Int row = 20; row <= 60; ++row) SetCell(row, 2, "r" + std::to_string(row));
    for (Int line = 1; line <= 50; ++line) Fill(line);
    RedrawGrid();
    EXPECT_EQ(calc_.BottomRow, 60);
    EXPECT_EQ(Row(10, 1, 4), " 20\x8B");
    EXPECT_EQ(Row(10, 14, 22), "r20" + Spaces(6));
    EXPECT_EQ(Row(50, 1, 4), " 60\x8B");
    EXPECT_EQ(Row(50, 14, 22), "r60" + Spaces(6));
    EXPECT_EQ(Row(9), std::string(121, '#'));  // the header line is not the grid's
}

TEST_F(GridDisplayTest, CellsUseTheirOwnColours) {
    SetCell(1, 3, "bunt");
    Int& attributes = calc_.CellAttributes[static_cast<std::size_t>(CellIndex(1, 3))];
    SetFontColor(attributes, 1);
    SetBackgroundColor(attributes, 13);
    RedrawGrid();
    EXPECT_EQ(Color(23, 10), 0x1D);
    EXPECT_EQ(Color(31, 10), 0x1D);
    EXPECT_EQ(Color(32, 10), NormalCell);
}

TEST_F(GridDisplayTest, CursorInsideTheSelectionIsNormalOtherSelectedCellsInverse) {
    calc_.SelectionStartRow = 1;
    calc_.SelectionStartColumn = 1;
    calc_.SelectionEndRow = 2;
    calc_.SelectionEndColumn = 2;
    calc_.CursorRow = 1;
    calc_.CursorColumn = 2;
    RedrawGrid();
    EXPECT_EQ(Color(5, 10), InverseCell);    // row 1, column 1
    EXPECT_EQ(Color(14, 10), NormalCell);    // the cursor cell
    EXPECT_EQ(Color(5, 11), InverseCell);    // row 2, column 1
    EXPECT_EQ(Color(22, 11), InverseCell);   // row 2, column 2
    EXPECT_EQ(Color(23, 10), NormalCell);    // column 3 is not selected
    EXPECT_EQ(Color(5, 12), NormalCell);     // row 3
}

TEST_F(GridDisplayTest, CursorOutsideTheSelectionIsInverse) {
    calc_.CursorRow = 3;
    calc_.CursorColumn = 3;
    RedrawGrid();
    EXPECT_EQ(Color(23, 12), InverseCell);
    EXPECT_EQ(Color(31, 12), InverseCell);
    EXPECT_EQ(Color(32, 12), NormalCell);
    // Without a selection end nothing is selected.
    calc_.SelectionStartRow = 1;
    calc_.SelectionStartColumn = 1;
    calc_.SelectionEndColumn = 5;
    RedrawGrid();
    EXPECT_EQ(Color(5, 10), NormalCell);
}

TEST_F(GridDisplayTest, CellCharactersAreDrawnAsRawFontCodes) {
    SetCell(1, 1, std::string("a\x0D" "b\x1B" "c"));
    RedrawGrid();
    EXPECT_EQ(Row(10, 5, 9), std::string("a\x0D" "b\x1B" "c"));
    EXPECT_EQ(Win().TextDisplayMode, 0);
}

TEST_F(GridDisplayTest, ColumnsThatDoNotFitAreLeftOutAndTheRestCleared) {
    calc_.ColumnWidth[13] = 10;  // 4 + 12 x 9 + 10 > 121
    SetCell(1, 12, "zwoelf");
    SetCell(1, 13, "dreizehn");
    Fill(10);
    RedrawGrid();
    EXPECT_EQ(Row(10, 104, 112), "zwoelf   ");
    EXPECT_EQ(Row(10, 113), Spaces(9));
}

TEST_F(GridDisplayTest, ARowThatFillsTheLineEndsAtItsLastCell) {
    SetCell(1, 13, "dreizehnX");  // columns 1-13 end exactly at column 121
    RedrawGrid();
    EXPECT_EQ(Row(10, 113, 121), "dreizehnX");
}

// ---- Status line ----

TEST_F(GridDisplayTest, StatusPositionFieldAtTheCorners) {
    EXPECT_EQ(StatusPositionField(1, 1, 9), "Z1S1 (0) <9>    ");
    EXPECT_EQ(StatusPositionField(999, 100, 9), "Z999S100 (99899)");
}

TEST_F(GridDisplayTest, StatusPositionFieldLayoutsByLength) {
    EXPECT_EQ(StatusPositionField(2, 34, 10), "Z2S34 (133) <10>");   // n = 14: both blanks
    EXPECT_EQ(StatusPositionField(12, 34, 9), "Z12S34 (1133)<9>");   // n = 15: one blank
    EXPECT_EQ(StatusPositionField(12, 34, 10), "Z12S34(1133)<10>");  // n = 16: none
    EXPECT_EQ(StatusPositionField(12, 100, 76), "Z12S100 (1199)  "); // n = 17: no width
    EXPECT_EQ(StatusPositionField(999, 100, 1234567890123), "Z999S100 (99899)");  // n = 30: cut
}

TEST_F(GridDisplayTest, StatusLineShowsPositionKindAndContent) {
    SetCell(2, 3, "42", CellKindNumber);
    calc_.CellFormula[static_cast<std::size_t>(CellIndex(2, 3))] = T("=6*7");
    calc_.CursorRow = 2;
    calc_.CursorColumn = 3;
    DrawStatusLine();
    EXPECT_EQ(Row(1, 1, 16), "Z2S3 (102) <9>  ");
    EXPECT_EQ(Row(1, 17, 19), "Z\xB7 ");
    EXPECT_EQ(Row(1, 20, 24), "=6*7 ");
    EXPECT_EQ(Color(1, 1), 0xF0);
    EXPECT_EQ(Color(121, 1), 0xF0);
    EXPECT_EQ(Win().TextVpos, 1);
    EXPECT_EQ(Win().TextHpos, 9);
    EXPECT_FALSE(Win().TextInverse);
}

TEST_F(GridDisplayTest, StatusLineMarksChangesAndMenus) {
    SetCell(1, 1, "abc");
    calc_.Modified = true;
    DrawStatusLine();
    EXPECT_EQ(Row(1, 17, 22), "T: abc");
    const char* indicators[] = {"^Q ", "^O ", "^Z ", "^P ", "^\xD6 "};
    for (Int menu = 1; menu <= 5; ++menu) {
        calc_.MenuState = menu;
        DrawStatusLine();
        EXPECT_EQ(Row(1, 17, 19), indicators[menu - 1]);
    }
}

TEST_F(GridDisplayTest, StatusLineKindLetters) {
    const std::pair<Int, const char*> kinds[] = {{0, " "}, {1, "f"}, {2, "T"}, {3, "Z"}, {7, "?"}};
    for (const auto& [kind, letter] : kinds) {
        SetCellKind(calc_.CellAttributes[0], kind);
        DrawStatusLine();
        EXPECT_EQ(Row(1, 17, 17), letter) << kind;
    }
}

TEST_F(GridDisplayTest, StatusLineShowsControlCodesAsLettersAndCutsLongContent) {
    SetCell(1, 1, std::string("a\x01") + std::string(200, 'x'));
    Fill(2);
    DrawStatusLine();
    EXPECT_EQ(Row(1, 20, 21), "aA");
    EXPECT_EQ(Color(21, 1), 0xF1);  // foreground 1, exchanged by inverse
    EXPECT_EQ(Row(1, 22, 120), std::string(99, 'x'));
    EXPECT_EQ(Row(1, 121, 121), " ");
    EXPECT_EQ(Row(2), std::string(121, '#'));  // nothing wrapped onto line 2
    EXPECT_EQ(Win().TextDisplayMode, 0);
}

TEST_F(GridDisplayTest, StatusColoursUseColourFiveInColorMode) {
    calc_.ColorMode = true;
    DrawStatusLine();
    EXPECT_EQ(Color(1, 1), 0xF5);
    EXPECT_EQ(t_GetColor(SheetWindow), 0x0F);
}

// ---- Help modes ----

TEST_F(GridDisplayTest, HelpModeNineDrawsStatusAndHeaderLines) {
    RedrawScreen();
    RedrawGrid();
    EXPECT_EQ(Row(1, 1, 16), "Z1S1 (0) <9>    ");
    EXPECT_EQ(Row(9), Str(calc_.HeaderLine));
    EXPECT_EQ(Row(10, 1, 4), "  1\x8B");
    EXPECT_EQ(calc_.BottomRow, 41);
}

TEST_F(GridDisplayTest, HelpModeTwoPutsTheHeaderOnLineTwo) {
    SetHelpMode(2);
    SetCell(1, 1, "eins");
    RedrawScreen();
    RedrawGrid();
    EXPECT_EQ(Row(2), Str(calc_.HeaderLine));
    EXPECT_EQ(Row(3, 1, 8), "  1\x8B" "eins");
    EXPECT_EQ(calc_.BottomRow, 48);
}

TEST_F(GridDisplayTest, HelpModeOneHasNoHeaderLine) {
    SetHelpMode(1);
    SetCell(1, 1, "eins");
    SetCell(2, 1, "zwei");
    RedrawScreen();
    RedrawGrid();
    EXPECT_EQ(Row(1, 1, 16), "Z1S1 (0) <9>    ");
    EXPECT_EQ(Row(2, 1, 9), "eins     ");
    EXPECT_EQ(Row(3, 1, 9), "zwei     ");
    EXPECT_EQ(Color(10, 2), NormalCell);
    EXPECT_EQ(calc_.BottomRow, 49);
}

TEST_F(GridDisplayTest, HelpModeZeroDrawsNoStatusLine) {
    SetHelpMode(0);
    SetCell(1, 1, "eins");
    Fill(1);
    RedrawScreen();
    EXPECT_EQ(Row(1), std::string(121, '#'));
    RedrawGrid();
    EXPECT_EQ(Row(1, 1, 9), "eins     ");
    EXPECT_EQ(calc_.BottomRow, 50);
    DrawStatusLine();  // only moves the cursor
    EXPECT_EQ(Row(1, 1, 9), "eins     ");
    EXPECT_EQ(Win().TextHpos, 9);
    EXPECT_EQ(Win().TextVpos, 1);
}

TEST_F(GridDisplayTest, InstalledHookRedrawsScreenAndGrid) {
    InstallGridDisplay();
    SetCell(1, 20, "zwanzig");
    EnsureColumnVisible(20);
    EXPECT_EQ(calc_.LeftColumn, 8);
    EXPECT_EQ(Row(9), Str(calc_.HeaderLine));
    EXPECT_EQ(Row(10, 113, 121), "zwanzig  ");
}

// ---- Help texts ----

TEST_F(GridDisplayTest, EveryHelpLineHasItsFullWidthOrIsAValuePrefix) {
    // Lines followed by live values: (menu, index of the line).
    const std::pair<Int, Int> prefixes[] = {{1, 0}, {2, 0}, {3, 0}, {3, 2}, {3, 3}, {4, 0}};
    for (Int menu = 0; menu < MenuCount; ++menu) {
        for (Int i = 0; i < HelpLineCount; ++i) {
            const auto m = static_cast<std::size_t>(menu);
            const auto l = static_cast<std::size_t>(i);
            const std::size_t wide = ScalarCount(WideMenuHelp[m][l]);
            const std::size_t narrow = ScalarCount(NarrowMenuHelp[m][l]);
            bool prefix = false;
            for (const auto& p : prefixes) prefix = prefix || (p.first == menu && p.second == i);
            if (prefix) {
                EXPECT_EQ(WideMenuHelp[m][l], NarrowMenuHelp[m][l]) << menu << " " << i;
                EXPECT_LT(wide, 20u);
            } else {
                EXPECT_EQ(wide, 120u) << "menu " << menu << " line " << i + 2;
                EXPECT_EQ(narrow, 80u) << "menu " << menu << " line " << i + 2;
            }
        }
    }
}

TEST_F(GridDisplayTest, SomeHelpLinesExactly) {
    EXPECT_EQ(WideMenuHelp[0][1], " Hauptmenü:                                                     Esc = Hilfstexte & "
                                  "Statuszeilen ausblenden & einblenden ");
    EXPECT_EQ(NarrowMenuHelp[0][6],
              "^X = Zl. lösch. Del= Feld lösch.^Y = Unten scr.^E = Textende    ^D = Seite rech.");
    EXPECT_EQ(WideMenuHelp[1][0], "Datei = ");
    EXPECT_EQ(NarrowMenuHelp[3][5], "G = Gr./klein (   ) T = Teilsuche (   ) M = Marker setzen  0-9= Marker anzeigen ");
    EXPECT_EQ(WideMenuHelp[4][2], Spaces(120));
    EXPECT_EQ(NarrowMenuHelp[5][4], Spaces(80));
    EXPECT_EQ(WideMenuHelp[5][6],
              "^M = Macro Bearbeiten        DEL = Macro löschen            ^X = Alle Macros löschen  "
              "     ? = Hilfe anzeigen           ");
}

TEST_F(GridDisplayTest, MenuHelpFillsLinesTwoToEightWithAnInverseTitle) {
    calc_.ColorMode = true;
    for (Int line = 1; line <= 9; ++line) Fill(line);
    ShowMenuHelp(0);
    EXPECT_EQ(Row(1), std::string(121, '#'));
    for (Int line = 2; line <= 8; ++line) {
        EXPECT_EQ(Row(line, 1, 120), Codes(WideMenuHelp[0][static_cast<std::size_t>(line - 2)])) << line;
        EXPECT_EQ(Row(line, 121, 121), " ");
    }
    EXPECT_EQ(Row(9), std::string(121, '#'));
    EXPECT_EQ(Color(2, 3), 0xF5);
    EXPECT_EQ(Color(2, 2), 0x0F);
    EXPECT_EQ(Color(2, 4), 0x0F);
}

TEST_F(GridDisplayTest, NarrowMenuHelpClearsTheRestOfEachLine) {
    for (Int line = 2; line <= 8; ++line) Fill(line);
    ShowMenuHelp(4);
    EXPECT_EQ(Row(2), Codes("Druckbereich: ") + Spaces(107));
    EXPECT_EQ(Row(4), Spaces(121));
    EXPECT_EQ(Row(8, 1, 80), Codes(NarrowMenuHelp[4][6]));
    EXPECT_EQ(Row(8, 81), Spaces(41));
    EXPECT_EQ(Color(1, 3), 0xF0);
}

TEST_F(GridDisplayTest, PrintHelpLineCutsToTheScreenWidth) {
    Fill(21);
    At(1, 20);
    PrintHelpLine(std::string(130, 'a'));
    EXPECT_EQ(Row(20), std::string(121, 'a'));
    EXPECT_EQ(Row(21), std::string(121, '#'));
    EXPECT_EQ(Win().TextVpos, 21);
    EXPECT_EQ(Win().TextHpos, 1);
}

// ---- Live values ----

TEST_F(GridDisplayTest, AblageMenuValuesInWideHelp) {
    calc_.ColorMode = true;
    calc_.MenuState = 1;
    calc_.CalcFolder = "/Users/anna/";
    calc_.CalcFileName = "\xEF\xAC\x81nanzen.calc";  // begins with the ligature fi
    calc_.FormulasInsteadOfContents = false;
    calc_.AutoRecalculate = false;
    calc_.ColumnWidth[1] = 12;
    BuildHeaderLine();
    Int& attributes = calc_.CellAttributes[0];
    SetFontColor(attributes, 1);
    SetDisplayFormat(attributes, DisplayFormatCurrency);
    ShowMenuHelp(1);
    RedrawScreen();
    EXPECT_EQ(Row(2), "Datei = /Users/anna/finanzen.calc" + Spaces(88));
    EXPECT_EQ(Row(5, 82, 86), "(ein)");
    EXPECT_EQ(Row(5, 116, 120), "(aus)");
    EXPECT_EQ(Row(7, 1, 22), "B = Spaltenbreite: 12 ");
    EXPECT_EQ(Row(7, 31, 53), "Z = Schrift: Rot       ");
    EXPECT_EQ(Row(7, 61, 87), Codes("H = Hintergrund: Weiß      "));
    EXPECT_EQ(Row(7, 91, 119), Codes("A = Ausrichtung: Währung     "));
    EXPECT_EQ(Row(8, 61, 88), "F = Formeln berechnen (man.)");
    EXPECT_EQ(Color(83, 5), 0x0F);
}

TEST_F(GridDisplayTest, AblageMenuValuesInNarrowHelp) {
    calc_.MenuState = 1;
    calc_.CalcFolder = "/tmp/";
    calc_.CalcFileName = "a.calc";
    calc_.CopyFormats = false;
    Int& attributes = calc_.CellAttributes[0];
    SetBackgroundColor(attributes, 4);
    SetDisplayFormat(attributes, DisplayFormatRight);
    ShowMenuHelp(1);
    RedrawScreen();
    EXPECT_EQ(Row(2, 1, 20), "Datei = /tmp/a.calc ");
    EXPECT_EQ(Row(5, 53, 57), "(aus)");
    EXPECT_EQ(Row(5, 73, 77), "(ein)");
    EXPECT_EQ(Row(7), Full(Overlay(NarrowMenuHelp[1][5],
                                   {{17, "9 "}, {30, "Schwarz   "}, {50, "Dunkelgrün"}, {68, "Rechtsbündig"}})));
    EXPECT_EQ(Row(8, 41, 58), "F = Formeln (auto)");
}

TEST_F(GridDisplayTest, LongFileNamesAreCutAndNeverWrap) {
    calc_.ColorMode = true;
    calc_.MenuState = 1;
    calc_.CalcFolder = "/" + std::string(150, 'd') + "/";
    ShowMenuHelp(1);
    RedrawScreen();
    EXPECT_EQ(Row(2, 9), "/" + std::string(112, 'd'));
    EXPECT_EQ(Row(3, 1, 21), Codes(" Ablage/Format Menü: "));
    calc_.ColorMode = false;
    ShowMenuHelp(1);
    RedrawScreen();
    EXPECT_EQ(Row(2, 9, 87), "/" + std::string(78, 'd'));
    EXPECT_EQ(Row(2, 88), Spaces(34));
}

TEST_F(GridDisplayTest, NoValuesOutsideHelpModeNine) {
    calc_.MenuState = 1;
    ShowMenuHelp(1);
    SetHelpMode(2);
    RedrawScreen();
    EXPECT_EQ(Row(2), Str(calc_.HeaderLine));
    EXPECT_EQ(Row(5, 53, 57), "(   )");
}

TEST_F(GridDisplayTest, MainAndMacroMenusHaveNoValues) {
    for (Int menu : {0, 5}) {
        calc_.MenuState = menu;
        ShowMenuHelp(menu);
        RedrawScreen();
        const MenuHelpLines& lines = NarrowMenuHelp[static_cast<std::size_t>(menu)];
        for (Int line = 2; line <= 8; ++line)
            EXPECT_EQ(Row(line, 1, 80), Codes(lines[static_cast<std::size_t>(line - 2)])) << menu << " " << line;
    }
}

TEST_F(GridDisplayTest, AuswahlMenuShowsTheSelection) {
    calc_.MenuState = 2;
    ShowMenuHelp(2);
    RedrawScreen();
    EXPECT_EQ(Row(2), Full("Auswahl = 0 Felder (Zeile 0, Spalte 0 bis Zeile 0, Spalte 0)"));
    calc_.SelectionStartRow = 2;
    calc_.SelectionStartColumn = 3;
    calc_.SelectionEndRow = 4;
    calc_.SelectionEndColumn = 7;
    RedrawScreen();
    EXPECT_EQ(Row(2), Full("Auswahl = 15 Felder (Zeile 2, Spalte 3 bis Zeile 4, Spalte 7)"));
}

TEST_F(GridDisplayTest, SuchenMenuShowsMarkersSearchTextsAndPosition) {
    calc_.ColorMode = true;
    calc_.MenuState = 3;
    calc_.CursorRow = 250;
    calc_.CursorColumn = 17;
    Search().SearchText = "Müller";
    Search().ReplaceText = "Meier";
    Search().IgnoreCase = false;
    Search().PartialMatch = true;
    Search().Markers = {0, 99899, 101, -1, 99900, 0, 0, 0, 0, 0};
    Printing().PrintLinesPerSheet = 60;
    ShowMenuHelp(3);
    RedrawScreen();
    const std::string markers = "Marker:  0=Z1S1 1=Z999S100 2=Z2S2 3= 4= 5=Z1S1 6=Z1S1 7=Z1S1 8=Z1S1 9=Z1S1";
    EXPECT_EQ(Row(2), Full(markers));
    EXPECT_EQ(Color(10, 2), 0xF5);  // the digit in status colours
    EXPECT_EQ(Color(11, 2), 0x0F);
    EXPECT_EQ(Row(4), Full(Codes("F = Suchen: Müller")));
    EXPECT_EQ(Row(5), Full(Codes("C = Ändern: Meier")));
    EXPECT_EQ(Row(7, 1, 120), Overlay(WideMenuHelp[3][5], {{17, "ein"}, {46, "ein"}}));
    EXPECT_EQ(Row(8, 1, 120),
              Overlay(WideMenuHelp[3][6], {{12, "250      "}, {43, "17      "}, {72, "5        "}}));
    EXPECT_EQ(Row(8, 1, 90),
              "Z = Zeile: 250                P = Spalte: 17                # = Seite: 5                  ");
}

TEST_F(GridDisplayTest, MarkersStopWhereTheLineEnds) {
    calc_.MenuState = 3;
    Search().Markers.fill(99899);
    ShowMenuHelp(3);
    RedrawScreen();
    // Narrow: " i=Z999S100" is 11 characters; from column 9 six fit, the
    // seventh digit still fits before column 77, its address no more.
    EXPECT_EQ(Row(2), Full("Marker:  0=Z999S100 1=Z999S100 2=Z999S100 3=Z999S100 4=Z999S100 5=Z999S100 6="));
}

TEST_F(GridDisplayTest, DruckenMenuShowsPrintSettings) {
    calc_.ColorMode = true;
    calc_.MenuState = 4;
    calc_.PrintStartRow = 5;
    calc_.PrintEndRow = 10;
    calc_.PrintEndColumn = 2;
    Printing().PrintLineFeed = true;
    Printing().PrintPaper = true;
    Printing().PrinterChoice = 2;
    ShowMenuHelp(4);
    RedrawScreen();
    EXPECT_EQ(Row(2), Full("Druckbereich: 12 Felder (Zeile 5, Spalte 1 bis Zeile 10, Spalte 2)"));
    EXPECT_EQ(Row(6, 1, 120), Overlay(WideMenuHelp[4][4], {{19, "80"}, {47, "9"}, {76, "6"}, {109, "80"}}));
    EXPECT_EQ(Row(6, 1, 120),
              "Z = Zeilen/Blatt: 80          L = Rand links: 9             T = Rand oben: 6              "
              "B = Blatt-Breite: 80          ");
    EXPECT_EQ(Row(7, 1, 94),
              "F = Line-Feed (ein)           R = Papier (einzel)           D = Druckerwahl (2)           K = ");
}

// The narrow columns of the paper word and the printer choice (23 and 48)
// lie on the labels, not in their slots; they are kept as they are.
TEST_F(GridDisplayTest, DruckenMenuNarrowColumns) {
    calc_.MenuState = 4;
    ShowMenuHelp(4);
    RedrawScreen();
    EXPECT_EQ(Row(6, 1, 80), Overlay(NarrowMenuHelp[4][4], {{15, "80"}, {37, "9"}, {56, "6"}, {73, "80"}}));
    EXPECT_EQ(Row(7, 16, 18), "aus");
    // The paper word and the printer choice go into their slots.
    EXPECT_EQ(Row(7, 21, 40), "R = Papier (endlos) ");
    EXPECT_EQ(Row(7, 41, 59), "D = Druckerwahl (0)");
}

// ---- Function overview ----

TEST_F(GridDisplayTest, FunctionOverviewListsFunctionsAndOperators) {
    initoxtools();
    ResetParser();
    parser_InitFunctions();
    calc_.ColorMode = true;
    ShowFunctionOverview();
    EXPECT_EQ(Row(10), Spaces(121));
    EXPECT_EQ(Row(11, 1, 24), " Eingebaute Funktionen: ");
    EXPECT_EQ(Row(12, 2, 24), std::string(22, '\x8C') + " ");
    // Six entries of 20 characters on each 120-character line.
    EXPECT_EQ(Row(13, 2, 41), "Abs(A)              ArcCos(A)           ");
    const std::string listing = Str(parser_FunctionList(20));
    for (Int line = 0; line < 9; ++line) {
        const std::size_t from = static_cast<std::size_t>(line) * 120;
        EXPECT_EQ(Row(13 + line, 2, 121).substr(0, std::min<std::size_t>(120, listing.size() - from)),
                  listing.substr(from, 120));
    }
    EXPECT_EQ(Row(22, 2), Spaces(120));
    EXPECT_EQ(Row(23, 2, 23), "Eingebaute Operatoren:");
    EXPECT_EQ(Row(24, 2, 23), std::string(22, '\x8C'));
    EXPECT_EQ(Row(25, 2, 99), "&  |  ~  &&  ||  ~~  <  >  <=  !>  >=  !<  =  ==  !#  #  <>  !=  +  -  *  /  \\  %  <<  "
                              ">>  ^  -  !");
    EXPECT_EQ(Win().TextFirstLine, 1);
    EXPECT_EQ(Win().TextFirstColumn, 1);
    EXPECT_EQ(Win().TextLastLine, 50);
    ResetParser();
}

TEST_F(GridDisplayTest, FunctionOverviewWithoutColorModeStartsAtTheGridTop) {
    initoxtools();
    ResetParser();
    parser_InitFunctions();
    SetHelpMode(2);
    ShowFunctionOverview();
    EXPECT_EQ(Row(3, 1, 22), "Eingebaute Funktionen:");
    EXPECT_EQ(Row(5, 1, 20), "Abs(A)              ");
    ResetParser();
}

}  // namespace
