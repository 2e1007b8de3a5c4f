// Colours of a window, glyph drawing into its video memory, and the picture
// of a window for display.
#pragma once

#include <optional>

#include "platform/argb_image.h"
#include "runtime/types.h"

// A whole colour byte: foreground in the high nibble, background in the low.
struct ColorByte {
    UInt8 Value;
};

void t_Color(UInt8 w, Int foreground);
void t_Color(UInt8 w, Int foreground, Int background);
void t_Color(UInt8 w, ColorByte colour);
UInt8 t_GetColor(UInt8 w);
void t_ColorBorder(UInt8 w, Int colour);

// Draws character c in the given colours at cell (x, y), both 1-based, and
// records it in the text block.
void t_PrintSymbol(UInt8 w, UInt8 c, UInt8 colour, Int x, Int y);
// The same with the window's colour at the cursor / at (x, y).
void t_PrintSymbol(UInt8 w, UInt8 c);
void t_PrintSymbol(UInt8 w, UInt8 c, Int x, Int y);

// A picture of the window's graphic block (alpha, red, green, blue bytes);
// none for a hidden or uninitialised window.
std::optional<ArgbImage> t_WindowImage(UInt8 w);

// A view's refresh: the window's picture, built with VerticalBlank false so
// that the auto-update thread makes no new request meanwhile; none before
// the runtime is initialised or when t_WindowImage has none.
std::optional<ArgbImage> ViewRefresh(UInt8 w);
// How often the pixels of graphic window w changed so far (0 before the
// runtime is set up): a picture made at the same count needs no remaking.
Int PixelChangesOf(UInt8 w);
