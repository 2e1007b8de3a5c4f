// The program's name and version, as the title screen, the window title and
// --version show them.
#pragma once

#include <string>

#include "runtime/types.h"

// The information line of the title screen and the window title.
inline constexpr const char* ProductInformation = "Tabellenkalkulation für Linux";
// The version the title screen shows, in hundredths (144 is 1.44).
inline constexpr Int ProductVersion = 144;
// "1.44".
std::string ProductVersionText();
