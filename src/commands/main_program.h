// The spreadsheet's main program: start-up and the command loop, which
// hands each key to the current menu and then to the cursor movements.
#pragma once

// Body of the program thread; ends the thread through t_QuitProgram.
void MainProgram();
