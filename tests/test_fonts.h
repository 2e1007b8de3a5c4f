// Fonts held in memory for tests that need a text grid but not the
// committed font's shapes.
#pragma once

#include "screen/font.h"

// Every code 0-255 has a blank glyph of the given cell size.
inline t_Font CellFont(Int width = 8, Int height = 16) {
    t_Font font;
    font.Format = FontFormatGrey;
    font.Start = 0;
    font.End = 255;
    font.Width = width;
    font.Height = height;
    font.Data.assign(static_cast<std::size_t>(256 * width * height), 0);
    return font;
}
