// The keys of the menu "Drucken": the print range, the page settings, the
// choice of preview or printer, and printing.
#include <string>

#include "commands/menu_table.h"
#include "commands/menus.h"
#include "commands/printing.h"
#include "input/events.h"
#include "input/input_line.h"
#include "runtime/key_codes.h"
#include "screen/text_output.h"
#include "screen/window.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"
#include "sheet/menu_settings.h"

namespace {

CalculationState& C() { return Calculation(); }

void MarkStart() {
    C().PrintStartRow = C().CursorRow;
    C().PrintStartColumn = C().CursorColumn;
}

void MarkEnd() {
    C().PrintEndRow = C().CursorRow;
    C().PrintEndColumn = C().CursorColumn;
}

void SwitchPrinter() { Printing().PrinterChoice = 1 - Printing().PrinterChoice; }
void SwitchPaper() { Printing().PrintPaper = !Printing().PrintPaper; }

// A setting edited in place in the help lines (line 6), kept when the
// number typed passes `accepted`.
template <Int PrintSettings::*Setting, Int Wide, Int Narrow, Int Length, bool (*Accepted)(const String&, Int)>
void EditSetting() {
    Int& value = Printing().*Setting;
    t_Htab(SheetWindow, C().ColorMode ? Wide : Narrow);
    t_Vtab(SheetWindow, 6);
    const String typed = t_InputForm(SheetWindow, "", std::to_string(value), false, InputInteger, Length);
    const Int number = TextToInteger(Text::FromBytes(typed));
    if (Accepted(typed, number)) value = number;
    // The help lines again: a refused longer number would leave digits.
    if (C().GridTop == HelpModeAll) ShowMenuHelp(PrintMenu);
}

bool NotEmpty(const String& typed, Int) { return !typed.empty(); }
bool AtLeastOne(const String&, Int number) { return number >= 1; }
bool AWidth(const String&, Int number) { return number >= 1 && number <= 255; }

// The line feed switch is in the help lines only.
Int LineFeedKey(Int key) {
    if (C().GridTop != HelpModeAll) return StayInMenu(key);
    Printing().PrintLineFeed = !Printing().PrintLineFeed;
    RedrawAroundCursor();
    return key;
}

// The way back redraws the grid over the overview, so it waits for a key
// first: otherwise nobody would ever see it.
Int FunctionOverview(Int) {
    ShowFunctionOverview();
    t_WaitKey(SheetWindow);
    ReturnToMainMenu();
    return 0;
}

Int Print(Int key) {
    if (Printing().PrinterChoice == 1)
        PrintToPrinter();
    else
        PrintPreview();
    ReturnToMainMenu();
    return key;
}

constexpr MenuCommand Commands[] = {
    {0, BackToMainMenu},
    {ReturnKey, BackToMainMenu},
    {EscapeKey, BackToMainMenu},
    {'?', RunAndStay<ShowHelp<PrintMenu>>},
    {'A', RunAndStay<MarkStart>},
    {'E', RunAndStay<MarkEnd>},
    {'B', RunAndStay<EditSetting<&PrintSettings::PrintSheetWidth, 109, 73, 3, AWidth>>},
    {'L', RunAndStay<EditSetting<&PrintSettings::PrintLeftMargin, 47, 37, 2, NotEmpty>>},
    {'T', RunAndStay<EditSetting<&PrintSettings::PrintTopMargin, 76, 56, 2, NotEmpty>>},
    {'Z', RunAndStay<EditSetting<&PrintSettings::PrintLinesPerSheet, 19, 15, 5, AtLeastOne>>},
    {'D', RunAndStay<SwitchPrinter>},
    {'F', LineFeedKey},
    {'R', RunAndStay<SwitchPaper>},
    {'K', FunctionOverview},
    {'P', Print},
};

}  // namespace

Int PrintMenuKey(Int key) { return RunMenuCommand(Commands, UpperCaseKey(key), StayInMenu); }
