// Loads the desktop module (host/desktop_entry.h) and runs the desktop
// program from it.
#pragma once

#include <string>

// Returns an exit status, with a message on standard error when the module
// is missing or broken; a desktop program that starts ends the process.
int RunDesktopModule(int argc, char** argv, const std::string& openFile, int zoom);
