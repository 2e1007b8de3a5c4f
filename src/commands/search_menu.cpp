// The keys of the menu "Suchen": searching and replacing, the two switches,
// the ten markers, and jumps to a row, a column and a print page.
#include <string>

#include "commands/menu_table.h"
#include "commands/menus.h"
#include "dialogs/dialogs.h"
#include "input/events.h"
#include "input/input_line.h"
#include "runtime/key_codes.h"
#include "screen/text_output.h"
#include "screen/window.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"
#include "sheet/menu_settings.h"
#include "sheet/search.h"

namespace {

constexpr UInt8 W = SheetWindow;
constexpr Int AUmlaut = 0xC4;

CalculationState& C() { return Calculation(); }

// Tells that something could not be done, waits for a key and clears the box.
void Tell(const String& title, const String& line) {
    TellUser(title, line, "");
    t_FullArea(W);
    t_ClearRect(W, 18, 12, t_WindowPos(W, 4) - 18, 16);
}

// Keys that edit a field of the help lines work only where those show.
template <void (*Command)(), bool Bell = false>
Int WithHelpShown(Int key) {
    if (C().GridTop != HelpModeAll) {
        if (Bell) t_Print(W, String("\x07"));
        return StayInMenu(key);
    }
    Command();
    return StayInMenu(key);
}

// The user's edit of a value at a place of the help lines; empty after Esc.
String EditAt(Int column, Int line, const String& initial, Int mode, Int length) {
    t_Htab(W, column);
    t_Vtab(W, line);
    return t_InputForm(W, "", initial, false, mode, length);
}

void Replace() {
    if (!ReplaceAtCursor()) Tell("Ändern", "Cursor nicht auf Suchposition");
}

void ReplaceAndSearch() {
    const CalculationState& c = C();
    if (c.SearchRow == c.CursorRow && c.SearchColumn == c.CursorColumn) ReplaceAtCursor();
    SearchAgain();
}

void ReplaceAll() {
    if (t_AskYesNo(W, "Alles ändern", "Wirklich alles ändern?", "") != 1) return;
    do ReplaceAtCursor();
    while (FindNext());
}

template <Text SearchSettings::*Field, Int Line>
void EditText() {
    const String typed = EditAt(13, Line, TextToString(Search().*Field), InputAny, 70);
    if (!typed.empty()) Search().*Field = EditorResultToText(typed);
    RedrawScreen();
}

template <bool SearchSettings::*Switch>
Int Toggle(Int key) {
    Search().*Switch = !(Search().*Switch);
    RedrawScreen();
    return StayInMenu(key);
}

Int SetMarker(Int key) {
    t_CursorOff(W);
    const std::u32string typed = Scalars(t_WaitKey(W));
    t_CursorOn(W);
    if (!typed.empty() && typed[0] >= '0' && typed[0] <= '9')
        Search().Markers[typed[0] - '0'] = CellIndex(C().CursorRow, C().CursorColumn);
    return StayInMenu(key);
}

Int ShowMarker(Int key) {
    CalculationState& c = C();
    const Int marker = Search().Markers[static_cast<std::size_t>(key - '0')];
    const Int row = marker / c.ColumnCount + 1, column = marker % c.ColumnCount + 1;
    if (marker >= 0 && row <= c.RowCount) {
        c.CursorRow = row;
        c.CursorColumn = column;
    }
    RedrawAroundCursor();
    return StayInMenu(key);
}

// The number typed at a place of the help lines; 0 after Esc or no digits.
Int NumberAt(Int column, Int initial, Int length) {
    return TextToInteger(Text::FromBytes(EditAt(column, 8, std::to_string(initial), InputAnyWithControls, length)));
}

void GoToRow() {
    CalculationState& c = C();
    const Int row = NumberAt(12, c.CursorRow, 5);
    if (row >= 1 && row <= c.RowCount) {
        c.CursorRow = row;
        EnsureCursorRowVisible();
        RedrawGrid();
    }
    RedrawAroundCursor();
}

void GoToColumn() {
    CalculationState& c = C();
    const Int column = NumberAt(c.ColorMode ? 43 : 33, c.CursorColumn, 2);
    if (column >= 1 && column <= c.ColumnCount) {
        c.CursorColumn = column;
        EnsureColumnVisible(column);
        RedrawGrid();
    }
    RedrawAroundCursor();
}

void GoToPageAsked() {
    const CalculationState& c = C();
    const Int lines = Printing().PrintLinesPerSheet;
    const Int page = lines > 0 ? (c.CursorRow - 1) / lines + 1 : 1;
    GoToPage(NumberAt(c.ColorMode ? 72 : 52, page, 5));
    RedrawAroundCursor();
}

constexpr MenuCommand Commands[] = {
    {0, BackToMainMenu},
    {ReturnKey, BackToMainMenu},
    {EscapeKey, BackToMainMenu},
    {'?', RunAndStay<ShowHelp<SearchMenu>>},
    {'S', RunAndStay<SearchAgain>},
    {'E', RunAndStay<Replace>},
    {AUmlaut, RunAndStay<ReplaceAndSearch>},
    {'A', RunAndStay<ReplaceAll>},
    {'F', WithHelpShown<EditText<&SearchSettings::SearchText, 4>, true>},
    {'C', WithHelpShown<EditText<&SearchSettings::ReplaceText, 5>, true>},
    {'G', Toggle<&SearchSettings::IgnoreCase>},
    {'T', Toggle<&SearchSettings::PartialMatch>},
    {'M', SetMarker},
    {'0', ShowMarker},
    {'1', ShowMarker},
    {'2', ShowMarker},
    {'3', ShowMarker},
    {'4', ShowMarker},
    {'5', ShowMarker},
    {'6', ShowMarker},
    {'7', ShowMarker},
    {'8', ShowMarker},
    {'9', ShowMarker},
    {'Z', WithHelpShown<GoToRow>},
    {'P', WithHelpShown<GoToColumn>},
    {'#', WithHelpShown<GoToPageAsked>},
};

}  // namespace

void SearchAgain() {
    if (!FindNext()) Tell("Suchen", "Text nicht gefunden.");
    RedrawAroundCursor();
}

Int SearchMenuKey(Int key) { return RunMenuCommand(Commands, UpperCaseKey(key), StayInMenu); }
