// The keys of the main menu.
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "runtime/key_codes.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"
#include "sheet/grid_display.h"

namespace {

Int EditCursorCell(Int) {
    EditCell(Calculation().CursorRow, Calculation().CursorColumn, Text(), true);
    RedrawGrid();
    return 0;
}

// Esc: help mode 9, 2, 1, 0, 9.
void CycleHelpMode() {
    CalculationState& c = Calculation();
    switch (c.GridTop) {
        case HelpModeAll:
            c.GridTop = HelpModeStatusAndHeader;
            c.RowNumberWidth = 4;
            break;
        case HelpModeStatusAndHeader:
            c.GridTop = HelpModeStatusOnly;
            c.RowNumberWidth = 0;
            break;
        case HelpModeStatusOnly:
            c.GridTop = HelpModeGridOnly;
            c.RowNumberWidth = 0;
            break;
        default:
            c.GridTop = HelpModeAll;
            c.RowNumberWidth = 4;
            // The grid gives its top lines back to the help: the cursor row stays on screen.
            if (c.CursorRow > c.BottomRow - HelpModeAll) c.TopRow += c.CursorRow - c.BottomRow + HelpModeAll;
            break;
    }
}

Int NextHelpMode(Int key) {
    CycleHelpMode();
    ReturnToMainMenu();
    return key;
}

// Any other key below 32 goes to the cursor movements; the rest start
// editing the cursor cell with the typed character. Key codes are 8-bit;
// anything wider could not be a cell character.
Int TypeIntoCell(Int key) {
    if (key < 32) return key;
    EditCell(Calculation().CursorRow, Calculation().CursorColumn, Text{static_cast<UInt8>(key <= 255 ? key : 127)},
             true);
    RedrawGrid();
    return key;
}

constexpr MenuCommand Commands[] = {
    {CtrlG, Consumes<DeleteCellInRow>},
    {TabKey, Consumes<InsertCellInRow>},
    {ReturnKey, EditCursorCell},
    {CtrlT, Consumes<InsertCellInColumn>},
    {CtrlX, Consumes<DeleteCellInColumn>},
    {CtrlCaret, Consumes<RecalculateAll>},
    {CtrlUnderscore, Consumes<InsertDemoData>},
    {BackspaceKey, Consumes<ClearCell>},
    {CtrlL, Consumes<CopySheetToPasteboard>},
    {CtrlN, Consumes<SearchAgain>},
    {CtrlV, Consumes<PasteAtCursor>},
    {CtrlO, [](Int key) { return EnterMenu(SelectionMenu, key); }},
    {CtrlP, [](Int key) { return EnterMenu(PrintMenu, key); }},
    {CtrlQ, [](Int key) { return EnterMenu(FileMenu, key); }},
    {CtrlZ, [](Int key) { return EnterMenu(SearchMenu, key); }},
    {EscapeKey, NextHelpMode},
    {CtrlOUmlaut, EnterMacroMenu},
};

}  // namespace

Int MainMenuKey(Int key) { return RunMenuCommand(Commands, key, TypeIntoCell); }
