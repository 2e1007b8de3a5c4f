// Settings of the search and print menus that the help lines show. The
// menus themselves come with their commands; the main program sets the
// start values.
#pragma once

#include <array>

#include "runtime/text.h"
#include "runtime/types.h"

struct SearchSettings {
    bool IgnoreCase = true;
    bool PartialMatch = false;
    Text SearchText;
    Text ReplaceText;
    std::array<Int, 10> Markers{};  // cell indexes
};

struct PrintSettings {
    Int PrinterChoice = 0;
    bool PrintLineFeed = false;
    bool PrintPaper = false;  // false "endlos", true "einzel"
    Int PrintLeftMargin = 9;
    Int PrintTopMargin = 6;
    Int PrintSheetWidth = 80;
    Int PrintLinesPerSheet = 80;
};

SearchSettings& Search();
PrintSettings& Printing();
