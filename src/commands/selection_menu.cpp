// The keys of the menu "Auswahl": the selection, the pasteboard, and the
// display format and letter case of the selected cells.
#include <string>

#include "commands/menu_table.h"
#include "commands/menus.h"
#include "dialogs/dialogs.h"
#include "input/events.h"
#include "runtime/key_codes.h"
#include "runtime/pasteboard.h"
#include "screen/text_output.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/exchange_text.h"
#include "sheet/grid_display.h"
#include "sheet/selection.h"

namespace {

CalculationState& C() { return Calculation(); }

// A command, then the redraw when it changed what the grid shows.
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
    if (SelectionValid()) SetPasteboardString(SelectionAsText());
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
    {'?', RunAndStay<ShowHelp<SelectionMenu>>},
    {'A', RunAndStay<MarkStart>},
    {'E', RunAndStay<MarkEnd>},
    {'T', RunAndStay<SelectAll>},
    {'O', RunAndStay<SelectNothing>},
    {'C', RunAndStay<CopySelection, false>},
    {'X', RunAndStay<CutSelection>},
    {'V', RunAndStay<PasteAtCursor>},
    {'B', RunAndStay<DeleteSelection>},
    {'L', RunAndStay<FormatSelected<1>>},
    {'Z', RunAndStay<FormatSelected<2>>},
    {'R', RunAndStay<FormatSelected<3>>},
    {'N', RunAndStay<FormatSelected<0>>},
    {'W', RunAndStay<FormatSelected<4>>},
    {'K', RunAndStay<LowerCaseSelection>},
    {'G', RunAndStay<UpperCaseSelection>},
    {'M', RunAndStay<CapitalizeSelection>},
    {'S', RunAndStay<CopySheetToPasteboard, false>},
    {'U', RunAndStay<EmptyPasteboard, false>},
    {'D', RunAndStay<ClearSelectionFormats>},
};

}  // namespace

void CopySheetToPasteboard() { SetPasteboardString(SheetAsText()); }

void TellLinesCut(const String& title, Int linesCut) {
    if (linesCut == 0) return;
    const String last = std::to_string(C().RowCount);
    const String cut = linesCut == 1 ? "1 Zeile nach Zeile " + last + " fehlt."
                                     : std::to_string(linesCut) + " Zeilen nach Zeile " + last + " fehlen.";
    TellUser(title, "Nicht alles passte in die Calculation:", cut);
    RedrawAroundCursor();
}

void PasteAtCursor() { TellLinesCut("Einfügen", PasteText(PasteboardString()).LinesCut); }

Int SelectionMenuKey(Int key) { return RunMenuCommand(Commands, UpperCaseKey(key), StayInMenu); }
