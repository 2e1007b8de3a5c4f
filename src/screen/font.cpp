#include "screen/font.h"

#include "files/file_utilities.h"
#include "platform/current_platform.h"
#include "platform/log.h"
#include "runtime/lzw.h"

namespace {

struct PaletteEntry {
    const char* Name;
    UInt8 Red, Green, Blue;
};

constexpr PaletteEntry Palette[PaletteSize] = {
    {"Schwarz", 0, 0, 0},        {"Rot", 255, 0, 0},       {"Dunkelblau", 0, 0, 128},
    {"Magenta", 255, 0, 255},    {"Dunkelgrün", 0, 128, 0}, {"Dunkelgrau", 84, 84, 84},
    {"Blau", 0, 0, 255},         {"Hellblau", 0, 128, 255}, {"Braun", 128, 64, 0},
    {"Orange", 255, 128, 0},     {"Grau", 168, 168, 168},  {"Rosa", 255, 128, 128},
    {"Grün", 0, 255, 0},         {"Gelb", 255, 255, 0},    {"Cyan", 0, 255, 255},
    {"Weiß", 255, 255, 255},
};

Int BigEndian(const std::vector<UInt8>& b, std::size_t at, std::size_t count) {
    Int value = 0;
    for (std::size_t i = 0; i < count; ++i) value = (value << 8) | b[at + i];
    return value;
}

void Decompress(t_Font& font) {
    const lzw::DecodeResult decoded = lzw::Decode(font.Data.data(), font.Data.size());
    switch (decoded.Status) {
        case lzw::DecodeStatus::Ok: break;
        case lzw::DecodeStatus::BadCodeWidth:
            LogLine("t_LoadFontResource: Invalid code width " + std::to_string(font.Data[0]) + ".");
            break;
        case lzw::DecodeStatus::BadCode: LogLine("t_LoadFontResource: Invalid compressed data."); break;
        case lzw::DecodeStatus::TooLarge: LogLine("t_LoadFontResource: Compressed data too large."); break;
    }
    font.Data = decoded.Bytes;
    font.Format = font.Format == FontFormatGreyCompressed ? FontFormatGrey : FontFormatPlain;
}

}  // namespace

t_RGBColor PaletteColor(Int index) {
    if (index < 0 || index >= PaletteSize) return {};
    const PaletteEntry& e = Palette[index];
    return {255, e.Red, e.Green, e.Blue};
}

std::string t_ColorName(Int index) {
    if (index < 0 || index >= PaletteSize) return {};
    return Palette[index].Name;
}

t_Font EmptyFont() { return t_Font{}; }

t_Font FontFromFileBytes(const std::vector<UInt8>& file) {
    t_Font font;
    if (file.empty()) return font;
    font.HeaderSize = file[0];
    // The fixed fields reach to byte 13: a header claiming less would let the
    // glyph data start inside them.
    if (font.HeaderSize < 14 || file.size() < static_cast<std::size_t>(font.HeaderSize)) {
        LogLine("t_LoadFontResource: Invalid header size");
        return font;
    }
    for (std::size_t i = 0; i < 4; ++i) font.Identifier[i] = file[1 + i];
    if (font.Identifier != std::array<UInt8, 4>{'o', 'x', 'f', 'n'}) {
        LogLine("t_LoadFontResource: Invalid file type");
        return font;
    }
    font.Format = file[5];
    font.Size = BigEndian(file, 6, 4);
    font.Start = file[10];
    font.End = file[11];
    font.Width = file[12];
    font.Height = file[13];
    font.Reserved = file.size() >= 16 ? BigEndian(file, 14, 2) : 0;
    font.Data.assign(file.begin() + static_cast<std::ptrdiff_t>(font.HeaderSize), file.end());
    if (font.Format == FontFormatPlainCompressed || font.Format == FontFormatGreyCompressed)
        Decompress(font);
    return font;
}

t_Font t_LoadFontResource(const std::string& name) {
    const std::vector<UInt8> file = getbinaryfromfile(CurrentPlatform().ResourceFolder() + name);
    if (file.empty()) {
        LogLine("t_LoadFontResource: Could not load file „" + name + "“");
        return EmptyFont();
    }
    return FontFromFileBytes(file);
}
