#include "screen/pixels.h"

bool SupportedDepth(Int depth) {
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

Int GraphicRowBytes(Int depth, Int width) { return SupportedDepth(depth) ? width * depth / 8 : -1; }

Int PixelBytes(Int depth) { return depth < 8 ? 1 : depth / 8; }

Int PixelOffset(Int depth, Int x) { return depth < 8 ? x * depth / 8 : x * (depth / 8); }

t_RGBColor ReadPixel(const UInt8* p, Int depth, Int x) {
    switch (depth) {
        case 1: return PaletteColor((*p & (0x80 >> (x % 8))) ? 15 : 0);
        case 4: return PaletteColor(x % 2 == 0 ? *p >> 4 : *p & 15);
        case 8: return {0, p[0], p[0], p[0]};
        case 16: return {p[0], p[1], p[1], p[1]};
        case 24: return {255, p[0], p[1], p[2]};
        case 32: return {p[0], p[1], p[2], p[3]};
        default: return {};
    }
}

void SetPackedPixel(UInt8& byte, Int depth, Int x, UInt8 value) {
    if (depth == 1) {
        const auto mask = static_cast<UInt8>(0x80 >> (x % 8));
        byte = value != 0 ? static_cast<UInt8>(byte | mask) : static_cast<UInt8>(byte & ~mask);
    } else {
        byte = x % 2 == 0 ? static_cast<UInt8>((byte & 0x0F) | (value << 4)) : static_cast<UInt8>((byte & 0xF0) | value);
    }
}
