// The keys of the menu "Auswahl": the selection, the pasteboard, and the
// display format and letter case of the selected cells.
#include <string>

#include "commands/menu_table.h"
#include "commands/menus.h"
#include "runtime/dialogs.h"
#include "runtime/events.h"
#include "runtime/key_codes.h"
#include "runtime/pasteboard.h"
#include "runtime/text_output.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/exchange_text.h"
#include "sheet/grid_display.h"
#include "sheet/selection.h"

namespace {

CalculationState& C() { return Calculation(); }

// A command, then the redraw when it changed what the grid shows.
template <void (*Command)(), bool Redraws = true>
Int Run(Int key) {
    Command();
    if (Redraws) RedrawAroundCursor();
    return StayInMenu(key);
}

void ShowHelp() {
    C().GridTop = HelpModeAll;
    ShowMenuHelp(SelectionMenu);
}

void MarkStart() {
    C().SelectionStartRow = C().CursorRow;
    C().SelectionStartColumn = C().CursorColumn;
}

void MarkEnd() {
    C().SelectionEndRow = C().CursorRow;
    C().SelectionEndColumn = C().CursorColumn;
}

void SelectNothing() {
    CalculationState& c = C();
    c.SelectionStartRow = c.SelectionStartColumn = c.SelectionEndRow = c.SelectionEndColumn = 0;
}

void CopySelection() {
    if (SelectionValid()) SetPasteboardString(CalculationFileText(SelectionAsText()));
}

void CutSelection() {
    CopySelection();
    DeleteSelection();
}

void EmptyPasteboard() { SetPasteboardString(String()); }

template <Int Format>
void FormatSelected() {
    SetSelectionFormat(Format);
}

constexpr MenuCommand Commands[] = {
    {0, BackToMainMenu},
    {ReturnKey, BackToMainMenu},
    {EscapeKey, BackToMainMenu},
    {'?', Run<ShowHelp>},
    {'A', Run<MarkStart>},
    {'E', Run<MarkEnd>},
    {'T', Run<SelectAll>},
    {'O', Run<SelectNothing>},
    {'C', Run<CopySelection, false>},
    {'X', Run<CutSelection>},
    {'V', Run<PasteAtCursor>},
    {'B', Run<DeleteSelection>},
    {'L', Run<FormatSelected<1>>},
    {'Z', Run<FormatSelected<2>>},
    {'R', Run<FormatSelected<3>>},
    {'N', Run<FormatSelected<0>>},
    {'W', Run<FormatSelected<4>>},
    {'K', Run<LowerCaseSelection>},
    {'G', Run<UpperCaseSelection>},
    {'M', Run<CapitalizeSelection>},
    {'S', Run<CopySheetToPasteboard, false>},
    {'U', Run<EmptyPasteboard, false>},
    {'D', Run<ClearSelectionFormats>},
};

}  // namespace

void CopySheetToPasteboard() { SetPasteboardString(CalculationFileText(SheetAsText())); }

void PasteAtCursor() {
    const PasteOutcome outcome = PasteText(PasteboardString());
    if (outcome.LinesCut == 0) return;
    const String last = std::to_string(C().RowCount);
    const String cut = outcome.LinesCut == 1 ? "1 Zeile nach Zeile " + last + " fehlt."
                                             : std::to_string(outcome.LinesCut) + " Zeilen nach Zeile " + last + " fehlen.";
    t_MessageBox(SheetWindow, "Einfügen", "Nicht alles passte in die Calculation:", cut, "Bitte irgendeine Taste drücken",
                 "!");
    t_WaitKey(SheetWindow);
    RedrawAroundCursor();
}

Int SelectionMenuKey(Int key) { return RunMenuCommand(Commands, UpperCaseKey(key), StayInMenu); }
