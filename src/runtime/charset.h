// Mapping between Unicode and the program's 8-bit character codes.
#pragma once

#include <utility>

#include "runtime/text.h"

struct ConvertResult {
    String Converted;         // every scalar below 256
    char32_t LastUnmapped;    // 0 when everything was mapped
};

// Brings a string into the program's codes (canonical composition first).
ConvertResult t_ConvertUniCode(const String& text);
// Replaces the font's line-drawing codes by look-alike characters.
String t_ExportText(const String& text);
