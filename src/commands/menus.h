// The key handlers of the six menus, and the ways between them. Each handler
// gives 0 when it consumed the key, else the key for the cursor movements.
#pragma once

#include "runtime/text.h"
#include "runtime/types.h"

Int MainMenuKey(Int key);
Int FileMenuKey(Int key);
Int SelectionMenuKey(Int key);
Int SearchMenuKey(Int key);
Int PrintMenuKey(Int key);
Int MacroMenuKey(Int key);

// The handler of the current menu state.
Int HandleMenuKey(Int key);

// Enters one of the menus 1-4: its state, its help in help mode 9, the
// status line; gives the key back.
Int EnterMenu(Int menu, Int key);
// Enters the macro menu, which brings its own header line and list.
Int EnterMacroMenu(Int key);
// The macro menu's list of macros, drawn again after each of its keys.
void DrawMacroList();

void ReturnToMainMenu();
// The file menu's quit: asks to save a modified Calculation first, then
// sets QuitRequested and shows the title screen; Abbrechen keeps the
// program running. The host's close box and Quit run it too.
void QuitProgramCommand();
// The menus' way back on Esc, Return and 0; consumes the key.
Int BackToMainMenu(Int key);

// After a menu's command: the menu stays while help mode 9 shows it; in the
// other help modes one key is all. Gives the key back.
Int StayInMenu(Int key);
// The cursor cell brought into view, the screen and the grid drawn again.
void RedrawAroundCursor();
// After a dialog or selector covered the screen: the menu's help lines (in
// help mode 9), the cursor cell in view, screen and grid.
void RedrawAfterDialog();
// A message box the user dismisses with any key; the caller redraws.
void TellUser(const String& title, const String& line1, const String& line2);
// A menu key in upper case (8-bit codes; others as they are).
Int UpperCaseKey(Int key);
// Help mode 9, with the menu's help lines.
void ShowHelpOf(Int menu);

// A menu's command, then (when it changes what the screen shows) the
// redraw; the menu stays or leads back, as StayInMenu says.
template <void (*Command)(), bool Redraws = true>
Int RunAndStay(Int key) {
    Command();
    if (Redraws) RedrawAroundCursor();
    return StayInMenu(key);
}

template <Int Menu>
void ShowHelp() {
    ShowHelpOf(Menu);
}

// Commands of the selection and search menus that the main menu has too:
// ^L copies the whole sheet, ^V pastes at the cursor (saying what did not
// fit), ^N searches again (saying when nothing was found).
void CopySheetToPasteboard();
void PasteAtCursor();
// After a paste or text insert (title of the message) that left lines out:
// how many, and from which row on; nothing when all fitted.
void TellLinesCut(const String& title, Int linesCut);
void SearchAgain();
