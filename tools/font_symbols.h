// The program's own symbols, drawn pixel by pixel so that they join exactly
// across neighbouring cells: line drawing, frame pieces, shades, the lock,
// folder and volume pictures and the visible blank.
#pragma once

#include "font_glyph.h"

namespace font_tool {

enum class Line { None, Single, Double };

// The lines that leave a cell's centre towards each edge.
struct Arms {
    Line up = Line::None;
    Line down = Line::None;
    Line left = Line::None;
    Line right = Line::None;
};

// A box-drawing piece with the given arms.
Glyph BoxPiece(Arms a);

// Draws every symbol code (0-31 and 127-160) into the table; the codes that
// show text are left as they are.
void DrawSymbols(GlyphTable& glyphs);

}  // namespace font_tool
