// Pixel graphics on the graphic block of windows 0-7: clearing, plotting
// with the window's colour and drawing mode, reading pixels and lines.
#pragma once

#include "runtime/types.h"
#include "screen/font.h"

// Fills the top rows of the graphic block with palette colour `colour`; rows
// below 1 or not below the height mean the whole block.
void g_ClearScreen(UInt8 w, Int colour, Int rows);

// Sets pixel (x, y) in the window's colour and moves the pen there; a point
// outside the window is skipped and leaves the pen.
void g_Plot(UInt8 w, Int x, Int y);

// The colour of pixel (x, y); opaque black outside the window.
t_RGBColor g_Scrn(UInt8 w, Int x, Int y);

// Plots a line point by point from (x1, y1) to (x2, y2), the end exactly.
void g_Line(UInt8 w, Int x1, Int y1, Int x2, Int y2);

// A line from the pen to (x, y).
void g_LineTo(UInt8 w, Int x, Int y);
