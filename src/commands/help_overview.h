// The texts of the desktop's help menu: the keys of each menu, as the
// program's own help lines give them, and a short primer on formulas.
#pragma once

#include <string>

#include "runtime/types.h"

// "Hauptmenü", "Ablage/Format (^Q)", ... for MainMenu to MacroMenu.
std::string MenuOverviewTitle(Int menu);
// The menu's help lines without the lines that only lead live values, blanks
// at the ends removed; the title line first. UTF-8. Empty for no menu.
std::string MenuKeyOverview(Int menu);
// How to write numbers, references and formulas, with every built-in
// function and its arguments. Reads the function table: call it only
// once the program has started.
std::string FormulaPrimer();
