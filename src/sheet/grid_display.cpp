#include "sheet/grid_display.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string_view>
#include <utility>

#include "formula/function_table.h"
#include "numbers/number_format.h"
#include "platform/program_state.h"
#include "runtime/charset.h"
#include "screen/font.h"
#include "screen/glyph.h"
#include "screen/text_output.h"
#include "screen/window.h"
#include "sheet/calculation.h"
#include "sheet/help_texts.h"
#include "sheet/menu_settings.h"

namespace {

constexpr Int StatusLine = 1;
constexpr Int StatusColor = 5;
constexpr Int PositionFieldWidth = 16;
constexpr Int IndicatorColumn = 17;
constexpr Int ContentColumn = 20;
// Where the status line leaves the text cursor.
constexpr Int StatusCursorColumn = 9;
// Cell contents on the status line show control codes as letters.
constexpr Int ShowControlsMode = 4;

constexpr UInt8 Blank = ' ';
constexpr UInt8 OverviewRule = 140;
constexpr Int OverviewRuleLength = 22;
constexpr Int FunctionListWidth = 20;

// Codes as t_Print shows a string: a scalar below 256 is its own code, any
// other prints as "?".
Text ScreenCodes(std::string_view utf8) {
    Text codes;
    codes.Elements.reserve(utf8.size());
    for (char32_t scalar : Scalars(utf8)) codes += static_cast<UInt8>(scalar < 256 ? scalar : '?');
    return codes;
}

// Appends spaces and cuts, so the text is exactly `width` codes long.
Text Padded(Text text, Int width) {
    text.Elements.resize(static_cast<std::size_t>(std::max<Int>(width, 0)), Blank);
    return text;
}

void CutTo(Text& text, Int length) {
    if (static_cast<Int>(text.Size()) > length)
        text.Elements.resize(static_cast<std::size_t>(std::max<Int>(length, 0)));
}

bool InSheet(Int row, Int column) {
    const CalculationState& calc = Calculation();
    return row >= 1 && row <= calc.RowCount && column >= 1 && column <= calc.ColumnCount;
}

Int WidthOf(Int column) {
    const CalculationState& calc = Calculation();
    if (column < 0 || column >= static_cast<Int>(calc.ColumnWidth.size())) return 0;
    return calc.ColumnWidth[static_cast<std::size_t>(column)];
}

std::size_t Index(Int row, Int column) { return static_cast<std::size_t>(CellIndex(row, column)); }

Int AttributesAt(Int row, Int column) {
    return InSheet(row, column) ? Calculation().CellAttributes[Index(row, column)] : DefaultCellAttributes;
}

// ---- Cell pieces ----

void AppendSpaces(Text& out, Int count) {
    if (count > 0) out.Elements.insert(out.Elements.end(), static_cast<std::size_t>(count), Blank);
}

// Appends `count` codes of text from `from` on, or fewer when it ends.
void AppendPart(Text& out, const Text& text, Int from, Int count) {
    const Int size = static_cast<Int>(text.Size());
    if (from >= size || count <= 0) return;
    const Int end = std::min(size, from + count);
    out.Elements.insert(out.Elements.end(), text.Elements.begin() + from, text.Elements.begin() + end);
}

void AppendLeft(Text& out, const Text& text, Int width) {
    const std::size_t start = out.Size();
    AppendPart(out, text, 0, width);
    AppendSpaces(out, width - static_cast<Int>(out.Size() - start));
}

void AppendCentered(Text& out, const Text& text, Int width) {
    const Int length = static_cast<Int>(text.Size());
    if (length > width) {
        // The shown part starts at character s (counted from 1), which drops
        // s - 1 characters in front, or none for s below 2.
        const Int s = (length - width) / 2;
        AppendPart(out, text, s >= 2 ? s - 1 : 0, width);
        return;
    }
    const Int front = width - length < 2 ? 0 : (width - length) / 2;
    AppendSpaces(out, front);
    out += text;
    AppendSpaces(out, width - front - length);
}

void AppendRight(Text& out, const Text& text, Int width) {
    const Int length = static_cast<Int>(text.Size());
    AppendSpaces(out, width - length);
    AppendPart(out, text, std::max<Int>(length - width, 0), width);
}

// A number at cents, rounded half up. Only the leading number of the text
// counts, which is the same whether its bytes are read as UTF-8 or as 8-bit
// codes, so the codes are read directly.
Text CurrencyText(const Text& text) {
    const double value = TextToNumber(text);
    return FormatNumber(' ', 1, 2, 0, std::trunc(value * 100 + 0.5) / 100);
}

void AppendCellPiece(Text& out, const Text& text, Int attributes, Int width) {
    switch (DisplayFormat(attributes)) {
        case DisplayFormatCentered: AppendCentered(out, text, width); return;
        case DisplayFormatRight: AppendRight(out, text, width); return;
        case DisplayFormatCurrency:
            if (CellKind(attributes) == CellKindNumber) {
                AppendRight(out, CurrencyText(text), width);
            } else {
                AppendRight(out, text, width);
            }
            return;
        default: AppendLeft(out, text, width); return;
    }
}

// The cell whose text flows into an empty cell: the nearest occupied
// standard-format cell to the left. Its column and how far the flowing text
// has come (the widths from it through the column before).
struct OverflowSource {
    Int Column = 0;  // 0: none
    Int Offset = 0;
};

bool FeedsOverflow(Int attributes) {
    return CellKind(attributes) != CellKindEmpty && DisplayFormat(attributes) == DisplayFormatStandard;
}

OverflowSource FindOverflowSource(Int row, Int column) {
    const CalculationState& calc = Calculation();
    OverflowSource source;
    for (Int k = std::min(column - 1, calc.ColumnCount); k >= 1; --k) {
        source.Offset += WidthOf(k);
        if (FeedsOverflow(calc.CellAttributes[Index(row, k)])) {
            source.Column = k;
            return source;
        }
    }
    return {};
}

// The piece of one cell of the sheet into `out` (emptied first).
void BuildPiece(Text& out, Int row, Int column, Int width, const OverflowSource& source) {
    const CalculationState& calc = Calculation();
    out.Elements.clear();
    const std::size_t index = Index(row, column);
    const Int attributes = calc.CellAttributes[index];
    if (CellKind(attributes) != CellKindEmpty) {
        AppendCellPiece(out, calc.CellText[index], attributes, width);
        return;
    }
    if (source.Column > 0) AppendPart(out, calc.CellText[Index(row, source.Column)], source.Offset, width);
    AppendSpaces(out, width - static_cast<Int>(out.Size()));
}

bool InSelection(Int row, Int column) {
    const CalculationState& calc = Calculation();
    return calc.SelectionStartRow > 0 && calc.SelectionEndRow > 0 && calc.SelectionStartRow <= row &&
           row <= calc.SelectionEndRow && calc.SelectionStartColumn <= column && column <= calc.SelectionEndColumn;
}

// ---- Live values of the help texts ----

// What follows a value on its line.
enum class ValueEnd { Nothing, ClearLine, ClearLineAndReturn };

// Prints a value at (column, line) in normal drawing, cut so that it stays
// on its line.
void PrintValueAt(Int line, Int column, Text value, ValueEnd end) {
    const Int room = Calculation().ScreenColumns - column + 1;
    if (room < 1) return;
    CutTo(value, room);
    NormalColors();
    t_Vtab(SheetWindow, line);
    t_Htab(SheetWindow, column);
    t_Print(SheetWindow, value);
    // A value that fills the line has moved the cursor to the next one,
    // where clearing would do harm.
    if (end == ValueEnd::Nothing || static_cast<Int>(value.Size()) >= room) return;
    t_ClearEndOfLine(SheetWindow);
    if (end == ValueEnd::ClearLineAndReturn) t_Cr(SheetWindow);
}

Text Word(const auto& words, bool flag) { return ScreenCodes(words[flag ? 1 : 0]); }

Text Number(Int value) { return IntegerToText(value); }

Text FileNameValue(bool wide) {
    const CalculationState& calc = Calculation();
    Text name = ScreenCodes(CompatibilityComposed(calc.CalcFolder) + CompatibilityComposed(calc.CalcFileName));
    CutTo(name, (wide ? WideHelpWidth : NarrowHelpWidth) - 1);
    return name;
}

Int CursorAttributes() { return AttributesAt(Calculation().CursorRow, Calculation().CursorColumn); }

Text DisplayFormatName(Int attributes) {
    const Int format = DisplayFormat(attributes);
    if (format < 0 || format >= static_cast<Int>(DisplayFormatNames.size())) return {};
    return ScreenCodes(DisplayFormatNames[static_cast<std::size_t>(format)]);
}

// count " Felder (Zeile " r1 ", Spalte " c1 " bis Zeile " r2 ", Spalte " c2 ")";
// an end above or left of the start holds no cells, rather than a negative
// number of them.
Text RangeText(Int startRow, Int startColumn, Int endRow, Int endColumn) {
    const bool cells = startRow > 0 && endRow >= startRow && endColumn >= startColumn;
    const Int count = cells ? (endColumn - startColumn + 1) * (endRow - startRow + 1) : 0;
    return Number(count) + Text::FromBytes(" Felder (Zeile ") + Number(startRow) + Text::FromBytes(", Spalte ") +
           Number(startColumn) + Text::FromBytes(" bis Zeile ") + Number(endRow) + Text::FromBytes(", Spalte ") +
           Number(endColumn) + Text::FromBytes(")");
}

Int CursorPage() {
    // A sheet length below 1 cannot come from the print menu; it counts as 1
    // rather than dividing by zero.
    return (Calculation().CursorRow - 1) / std::max<Int>(Printing().PrintLinesPerSheet, 1) + 1;
}

// One value printed into a help text in help mode 9. PadTo 0: as it is.
struct LiveValue {
    Int Menu;
    Int Line;
    Int WideColumn;
    Int NarrowColumn;
    Int PadTo;
    ValueEnd End;
    Text (*Value)(bool wide);
};

// The markers of the search menu are printed by PrintMarkers, not here. In
// the narrow print help the paper word and the printer choice go into their
// slots at columns 33 and 58 (columns 23 and 48 would overwrite the labels).
const LiveValue LiveValues[] = {
    {1, 2, 9, 9, 0, ValueEnd::ClearLine, FileNameValue},
    {1, 5, 83, 54, 0, ValueEnd::Nothing, [](bool) { return Word(OnOffWords, Calculation().CopyFormats); }},
    {1, 5, 117, 74, 0, ValueEnd::Nothing,
     [](bool) { return Word(OnOffWords, Calculation().FormulasInsteadOfContents); }},
    {1, 7, 20, 17, 0, ValueEnd::Nothing,
     [](bool) { return Number(WidthOf(Calculation().CursorColumn)) + Text{Blank}; }},
    {1, 7, 44, 30, 10, ValueEnd::Nothing, [](bool) { return ScreenCodes(t_ColorName(FontColor(CursorAttributes()))); }},
    {1, 7, 78, 50, 10, ValueEnd::Nothing,
     [](bool) { return ScreenCodes(t_ColorName(BackgroundColor(CursorAttributes()))); }},
    {1, 7, 108, 68, 12, ValueEnd::Nothing, [](bool) { return DisplayFormatName(CursorAttributes()); }},
    {1, 8, 84, 54, 0, ValueEnd::Nothing, [](bool) { return Word(CalculationWords, Calculation().AutoRecalculate); }},
    {2, 2, 11, 11, 0, ValueEnd::ClearLine,
     [](bool) {
         const CalculationState& c = Calculation();
         return RangeText(c.SelectionStartRow, c.SelectionStartColumn, c.SelectionEndRow, c.SelectionEndColumn);
     }},
    {3, 4, 13, 13, 0, ValueEnd::ClearLineAndReturn, [](bool) { return Search().SearchText; }},
    {3, 5, 13, 13, 0, ValueEnd::ClearLine, [](bool) { return Search().ReplaceText; }},
    {3, 7, 17, 16, 0, ValueEnd::Nothing, [](bool) { return Word(OnOffWords, !Search().IgnoreCase); }},
    {3, 7, 46, 36, 0, ValueEnd::Nothing, [](bool) { return Word(OnOffWords, Search().PartialMatch); }},
    {3, 8, 12, 12, 9, ValueEnd::Nothing, [](bool) { return Number(Calculation().CursorRow); }},
    {3, 8, 43, 33, 8, ValueEnd::Nothing, [](bool) { return Number(Calculation().CursorColumn); }},
    {3, 8, 72, 52, 9, ValueEnd::Nothing, [](bool) { return Number(CursorPage()); }},
    {4, 2, 15, 15, 0, ValueEnd::ClearLine,
     [](bool) {
         const CalculationState& c = Calculation();
         return RangeText(c.PrintStartRow, c.PrintStartColumn, c.PrintEndRow, c.PrintEndColumn);
     }},
    {4, 6, 19, 15, 0, ValueEnd::Nothing, [](bool) { return Number(Printing().PrintLinesPerSheet); }},
    {4, 6, 47, 37, 0, ValueEnd::Nothing, [](bool) { return Number(Printing().PrintLeftMargin); }},
    {4, 6, 76, 56, 0, ValueEnd::Nothing, [](bool) { return Number(Printing().PrintTopMargin); }},
    {4, 6, 109, 73, 0, ValueEnd::Nothing, [](bool) { return Number(Printing().PrintSheetWidth); }},
    {4, 7, 16, 16, 0, ValueEnd::Nothing, [](bool) { return Word(OnOffWords, Printing().PrintLineFeed); }},
    {4, 7, 43, 33, 0, ValueEnd::Nothing, [](bool) { return Word(PaperWords, Printing().PrintPaper); }},
    {4, 7, 78, 58, 0, ValueEnd::Nothing, [](bool) { return Number(Printing().PrinterChoice); }},
};

constexpr Int MarkerMenu = SearchMenu;
constexpr Int MarkerLine = 2;
constexpr Int MarkerColumn = 9;

// "Z" row "S" column of a marker's cell; empty outside the sheet.
Text MarkerAddress(Int index) {
    const CalculationState& calc = Calculation();
    if (index < 0 || calc.ColumnCount < 1 || index >= calc.RowCount * calc.ColumnCount) return {};
    return Text{'Z'} + Number(index / calc.ColumnCount + 1) + Text{'S'} + Number(index % calc.ColumnCount + 1);
}

// " i=Z..S.." for the ten markers while they fit, the digit in status colours.
void PrintMarkers(bool wide) {
    const Int width = wide ? WideHelpWidth : NarrowHelpWidth;
    NormalColors();
    t_Vtab(SheetWindow, MarkerLine);
    t_Htab(SheetWindow, MarkerColumn);
    const auto& markers = Search().Markers;
    for (std::size_t i = 0; i < markers.size(); ++i) {
        if (t_Hpos(SheetWindow) < width - 3) {
            t_Print(SheetWindow, Text{Blank});
            StatusColors();
            t_Print(SheetWindow, Number(static_cast<Int>(i)));
            NormalColors();
            t_Print(SheetWindow, Text{'='});
        }
        const Text address = MarkerAddress(markers[i]);
        if (t_Hpos(SheetWindow) < width - static_cast<Int>(address.Size())) t_Print(SheetWindow, address);
    }
    t_ClearEndOfLine(SheetWindow);
}

void PrintLiveValues(Int menu) {
    const bool wide = Calculation().ColorMode;
    for (const LiveValue& value : LiveValues) {
        if (value.Menu != menu) continue;
        const Text text = value.PadTo > 0 ? Padded(value.Value(wide), value.PadTo) : value.Value(wide);
        PrintValueAt(value.Line, wide ? value.WideColumn : value.NarrowColumn, text, value.End);
    }
    if (menu == MarkerMenu) PrintMarkers(wide);
}

Text StatusIndicator() {
    const CalculationState& calc = Calculation();
    if (calc.MenuState > MainMenu && calc.MenuState < MenuCount)
        return ScreenCodes(MenuIndicators[static_cast<std::size_t>(calc.MenuState)]);
    const Int kind = CellKind(CursorAttributes());
    const std::string_view letter =
        kind < static_cast<Int>(CellKindLetters.size()) ? CellKindLetters[static_cast<std::size_t>(kind)]
                                                       : UnknownCellKindLetter;
    return ScreenCodes(letter) + ScreenCodes(calc.Modified ? ModifiedMark : UnmodifiedMark);
}

// The cursor cell's formula, or its text when it has none.
// A short message shown instead of the cursor cell's content, until the
// next command.
ProgramState<String> statusNote;

Text StatusContent() {
    const CalculationState& calc = Calculation();
    if (!InSheet(calc.CursorRow, calc.CursorColumn)) return {};
    const std::size_t index = Index(calc.CursorRow, calc.CursorColumn);
    Text content = calc.CellFormula.Empty(index) ? calc.CellText[index] : calc.CellFormula.Get(index);
    CutTo(content, calc.ScreenColumns - ContentColumn);
    return content;
}

// "   " row 139, of which the row-number column shows the last characters.
Text RowLabel(Int row) {
    const CalculationState& calc = Calculation();
    Text label{Blank, Blank, Blank};
    if (row <= calc.RowCount) label += IntegerToText(row);
    label += RightColumnRule;
    const Int drop = static_cast<Int>(label.Size()) - calc.RowNumberWidth;
    if (drop > 0) label.Elements.erase(label.Elements.begin(), label.Elements.begin() + drop);
    return label;
}

}  // namespace

void StatusColors() {
    if (Calculation().ColorMode) t_Color(SheetWindow, StatusColor);
    t_Inverse(SheetWindow);
}

void NormalColors() {
    t_Normal(SheetWindow);
    if (Calculation().ColorMode) t_Color(SheetWindow, Int{0});
}

Text CellPiece(Int row, Int column) {
    if (!InSheet(row, column)) return {};
    Text piece;
    const bool empty = CellKind(Calculation().CellAttributes[Index(row, column)]) == CellKindEmpty;
    BuildPiece(piece, row, column, WidthOf(column), empty ? FindOverflowSource(row, column) : OverflowSource{});
    return piece;
}

String StatusPositionField(Int row, Int column, Int width) {
    const String p = "Z" + std::to_string(row) + "S" + std::to_string(column);
    const String q = "(" + std::to_string(CellIndex(row, column)) + ")";
    const String r = "<" + std::to_string(width) + ">";
    const std::size_t n = p.size() + q.size() + r.size();
    // Long addresses leave out the width, and two lengths close the gaps,
    // so the field stays within its 16 characters.
    String field;
    if (n >= 17 && n <= 29) {
        field = p + " " + q;
    } else if (n == 15) {
        field = p + " " + q + r;
    } else if (n == 16) {
        field = p + q + r;
    } else {
        field = p + " " + q + " " + r;
    }
    field.resize(PositionFieldWidth, ' ');
    return field;
}

void SetStatusNote(String note) { *statusNote = std::move(note); }

void DrawStatusLine() {
    const CalculationState& calc = Calculation();
    if (calc.GridTop != HelpModeGridOnly) {
        StatusColors();
        t_Vtab(SheetWindow, StatusLine);
        t_Htab(SheetWindow, 1);
        t_Print(SheetWindow, StatusPositionField(calc.CursorRow, calc.CursorColumn, WidthOf(calc.CursorColumn)));
        t_Htab(SheetWindow, IndicatorColumn);
        t_Print(SheetWindow, StatusIndicator());
        t_Htab(SheetWindow, ContentColumn);
        if (statusNote->empty()) {
            t_DisplayMode(SheetWindow, ShowControlsMode);
            t_Print(SheetWindow, StatusContent());
            t_DisplayMode(SheetWindow, 0);
        } else {
            t_Print(SheetWindow, *statusNote);
        }
        t_ClearEndOfLine(SheetWindow);
        NormalColors();
    }
    t_Vtab(SheetWindow, StatusLine);
    t_Htab(SheetWindow, StatusCursorColumn);
}

void DrawRowCells(Int row) {
    const CalculationState& calc = Calculation();
    const UInt8 remembered = t_GetColor(SheetWindow);
    const Int line = Screen().WindowTable[SheetWindow].TextVpos;
    Int pos = calc.RowNumberWidth;
    if (row >= 1 && row <= calc.RowCount) {
        // The overflow source is carried along the row instead of searched
        // for each empty cell.
        OverflowSource source = FindOverflowSource(row, calc.LeftColumn);
        Text piece;
        piece.Elements.reserve(static_cast<std::size_t>(std::max<Int>(calc.ScreenColumns, 0)));
        for (Int c = std::max<Int>(calc.LeftColumn, 1); c <= calc.ColumnCount; ++c) {
            const Int width = WidthOf(c);
            if (pos + width > calc.ScreenColumns) break;
            BuildPiece(piece, row, c, width, source);
            const bool cursor = row == calc.CursorRow && c == calc.CursorColumn;
            if (cursor) t_SetFocus(SheetWindow, pos + 1, pos + width, line);
            if (cursor != InSelection(row, c)) {
                t_Inverse(SheetWindow);
            } else {
                t_Normal(SheetWindow);
            }
            const Int attributes = calc.CellAttributes[Index(row, c)];
            t_Color(SheetWindow, FontColor(attributes), BackgroundColor(attributes));
            // Raw codes of the font: nothing is interpreted.
            for (std::size_t i = 0; i < piece.Size(); ++i)
                t_PrintSymbol(SheetWindow, piece[i], pos + 1 + static_cast<Int>(i), line);
            t_Normal(SheetWindow);
            if (FeedsOverflow(attributes)) {
                source = {c, width};
            } else if (source.Column > 0) {
                source.Offset += width;
            }
            pos += width;
        }
    }
    t_Color(SheetWindow, ColorByte{remembered});
    // A full line leaves nothing to clear; the cursor stays where it is.
    if (pos >= calc.ScreenColumns) return;
    t_Htab(SheetWindow, pos + 1);
    t_ClearEndOfLine(SheetWindow);
}

void DrawGridLine(Int screenLine) {
    const CalculationState& calc = Calculation();
    const Int row = calc.TopRow + screenLine - calc.GridTop - 1;
    t_Vtab(SheetWindow, screenLine);
    t_Htab(SheetWindow, 1);
    if (calc.RowNumberWidth > 0) {
        StatusColors();
        t_Print(SheetWindow, RowLabel(row));
        NormalColors();
    }
    if (row <= calc.RowCount) {
        DrawRowCells(row);
    } else {
        t_ClearEndOfLine(SheetWindow);
    }
}

void RedrawGrid() {
    CalculationState& calc = Calculation();
    for (Int line = calc.GridTop + 1; line <= calc.GridBottom; ++line) DrawGridLine(line);
    calc.BottomRow = calc.TopRow + calc.GridBottom - calc.GridTop - 1;
}

void RedrawScreen() {
    const CalculationState& calc = Calculation();
    if (calc.GridTop == HelpModeGridOnly) return;
    if (calc.GridTop == HelpModeAll) PrintLiveValues(calc.MenuState);
    t_CursorHome(SheetWindow);
    StatusColors();
    DrawStatusLine();
    StatusColors();
    if (calc.GridTop != HelpModeStatusOnly) {
        t_Vtab(SheetWindow, calc.GridTop);
        t_Htab(SheetWindow, 1);
        t_Print(SheetWindow, calc.HeaderLine);
    }
    NormalColors();
}

void PrintHelpLine(const String& text) {
    Text codes = ScreenCodes(text);
    CutTo(codes, Calculation().ScreenColumns);
    t_Print(SheetWindow, codes);
    if (t_Hpos(SheetWindow) == 1) return;
    t_ClearEndOfLine(SheetWindow);
    t_Cr(SheetWindow);
}

void ShowMenuHelp(Int menu) {
    if (menu < 0 || menu >= MenuCount) return;
    const MenuHelpTable& texts = Calculation().ColorMode ? WideMenuHelp : NarrowMenuHelp;
    t_CursorHome(SheetWindow);
    t_Cr(SheetWindow);  // line 1 belongs to the status line
    Int line = FirstHelpLine;
    for (std::string_view text : texts[static_cast<std::size_t>(menu)]) {
        if (line == HelpTitleLine) StatusColors();
        PrintHelpLine(String(text));
        if (line == HelpTitleLine) NormalColors();
        ++line;
    }
}

void ShowFunctionOverview() {
    const CalculationState& calc = Calculation();
    t_Area(SheetWindow, 1, calc.GridTop + 1, calc.ScreenColumns, calc.GridBottom);
    t_CursorHome(SheetWindow);
    t_ClearEndOfWindow(SheetWindow);
    if (calc.ColorMode) {
        // A margin of one column and one line inside the cleared grid.
        t_Area(SheetWindow, 2, calc.GridTop + 2, calc.ScreenColumns, calc.GridBottom);
        t_CursorHome(SheetWindow);
    }
    const Text rule(CodeBuffer(static_cast<std::size_t>(OverviewRuleLength), OverviewRule));
    t_Print(SheetWindow, ScreenCodes(FunctionsHeading));
    t_Cr(SheetWindow);
    t_Print(SheetWindow, rule);
    t_Cr(SheetWindow);
    // The entries have a fixed width, so the area's line length wraps them
    // into columns.
    t_Print(SheetWindow, parser_FunctionList(FunctionListWidth));
    if (t_Hpos(SheetWindow) != 1) t_Cr(SheetWindow);
    t_Cr(SheetWindow);
    t_Print(SheetWindow, ScreenCodes(OperatorsHeading));
    t_Cr(SheetWindow);
    t_Print(SheetWindow, rule);
    t_Cr(SheetWindow);
    t_Print(SheetWindow, ScreenCodes(OperatorLine));
    t_Cr(SheetWindow);
    t_Cr(SheetWindow);
    t_FullArea(SheetWindow);
}

void InstallGridDisplay() {
    RedrawWholeScreenHook() = [] {
        RedrawScreen();
        RedrawGrid();
    };
}
