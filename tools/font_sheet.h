// Pictures of the font for checking it by eye, written as PNG files.
#pragma once

#include <string>

#include "font_glyph.h"

namespace font_tool {

// All 256 glyphs on a 16 x 16 grid, rows labelled with the high hex digit and
// columns with the low one. Returns false when the file cannot be written.
bool SaveGlyphSheet(const GlyphTable& glyphs, const std::string& path);

// A few screen lines as the program draws them, without gaps between cells,
// to check that the pieces join. Returns false when the file cannot be
// written.
bool SaveDemo(const GlyphTable& glyphs, const std::string& path);

}  // namespace font_tool
