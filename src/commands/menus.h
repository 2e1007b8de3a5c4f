// The key handlers of the six menus, and the ways between them. Each handler
// gives 0 when it consumed the key, else the key for the cursor movements.
#pragma once

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
// Enters the macro menu, which brings its own header line.
Int EnterMacroMenu(Int key);

void ReturnToMainMenu();
// The file menu's quit: asks to save a modified Calculation first, then
// sets QuitRequested and shows the title screen; Abbrechen keeps the
// program running. The host's close box and Quit run it too.
void QuitProgramCommand();
// The menus' way back on Esc, Return and 0; consumes the key.
Int BackToMainMenu(Int key);
