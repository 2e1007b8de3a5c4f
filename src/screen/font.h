// The 16-colour palette and bitmap fonts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/types.h"

struct t_RGBColor {
    UInt8 Alpha = 255;
    UInt8 Red = 0;
    UInt8 Green = 0;
    UInt8 Blue = 0;
    bool operator==(const t_RGBColor&) const = default;
};

inline constexpr int PaletteSize = 16;

// Palette colour of an index: opaque, black for indexes outside the palette.
t_RGBColor PaletteColor(Int index);

// German name of a palette colour; empty for other indexes.
std::string t_ColorName(Int index);

// Font formats.
inline constexpr Int FontFormatPlain = 0;
inline constexpr Int FontFormatGrey = 2;
inline constexpr Int FontFormatPlainCompressed = 100;
inline constexpr Int FontFormatGreyCompressed = 102;

struct t_Font {
    Int HeaderSize = 16;
    std::array<UInt8, 4> Identifier{'o', 'x', 'f', 'n'};
    Int Format = 0;
    Int Size = 0;
    UInt8 Start = 0;
    UInt8 End = 0;
    Int Width = 0;
    Int Height = 0;
    Int Reserved = 0;
    std::vector<UInt8> Data;

    bool HasGlyphs() const { return !Data.empty(); }
};

// The empty font: no glyph data, so windows made with it have no text.
t_Font EmptyFont();

// Parses a whole font file (header, then plain or compressed glyph data).
// Problems are logged; a font that cannot be used comes back without Data.
t_Font FontFromFileBytes(const std::vector<UInt8>& file);

// Loads a font file from the program's resource folder.
t_Font t_LoadFontResource(const std::string& name);

// The default font of the character screen.
inline constexpr const char* DefaultFontName = "MenloRegular 8x16.font";
