// The spreadsheet's main program: start-up, the command loop, the main
// menu's keys, the cursor movements and the way back to the main menu.
#pragma once

#include <functional>

#include "runtime/text.h"
#include "runtime/types.h"

// Body of the program thread; ends the thread through t_QuitProgram.
void MainProgram();

// Handler of the main menu: 0 when the key was consumed, else the key for
// MoveCursor.
Int MainMenuKey(Int key);
// Handler of a menu whose commands come with later work: Esc, Return and 0
// go back to the main menu, every other key is passed on.
Int PlainMenuKey(Int key);
// The movement keys; true when key was one.
bool MoveCursor(Int key);
void ReturnToMainMenu();
// Esc in the main menu: help mode 9, 2, 1, 0, 9.
void CycleHelpMode();

// Opens the Calculation of a file-open request. Reading Calculation files
// comes with the file format; until then the request is only logged.
std::function<void(const String& path)>& OpenCalculationHook();

// The information line of the title screen and the window title.
inline constexpr const char* ProductInformation = "Tabellenkalkulation für Linux";
