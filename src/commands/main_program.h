// The spreadsheet's main program: start-up and the command loop, which
// hands each key to the current menu and then to the cursor movements.
#pragma once


#include "runtime/text.h"
#include "runtime/types.h"

// Body of the program thread; ends the thread through t_QuitProgram.
void MainProgram();

// The information line of the title screen and the window title.
inline constexpr const char* ProductInformation = "Tabellenkalkulation für Linux";
// The version the title screen shows, in hundredths (144 is 1.44).
inline constexpr Int ProductVersion = 144;
// "1.44".
std::string ProductVersionText();
