// The program's own modules: parts built as shared objects of their own
// (the desktop host, the other spreadsheets' formats) because their
// libraries would cost every start, batch runs included, their loading.
// They lie in a folder relative to the program, the same in the build and
// the installation, and take everything else from the program that loads
// them.
#pragma once

#include <string>

// The entry named `entry` of the module file (e.g. "tabrona-desktop.so"),
// loaded once and kept; nullptr and why in `error` when the module is
// missing, from another build or lacks the entry.
void* ProgramModuleEntry(const char* moduleFile, const char* entry, std::string& error);
