// How graphic windows keep their pixels, for every supported bit depth:
// 1 and 4 bits pack several pixels into a byte (palette indices, the
// leftmost pixel in the high bits), 8 is grey, 16 alpha and grey, 24 red,
// green and blue, 32 alpha, red, green and blue.
#pragma once

#include "runtime/types.h"
#include "screen/font.h"

bool SupportedDepth(Int depth);

// Bytes in one pixel row; -1 for an unsupported depth.
Int GraphicRowBytes(Int depth, Int width);
// Bytes a pixel touches: one shared byte below 8 bits.
Int PixelBytes(Int depth);
// Where pixel x starts in its row, in bytes.
Int PixelOffset(Int depth, Int x);

// The colour of pixel x, whose first byte is at p.
t_RGBColor ReadPixel(const UInt8* p, Int depth, Int x);
// Sets pixel x of a 1- or 4-bit row, whose byte is `byte`, to a palette
// index (1 bit: set for anything but 0).
void SetPackedPixel(UInt8& byte, Int depth, Int x, UInt8 value);
