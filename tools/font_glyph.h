// The font tool's glyph cell: 8 x 16 pixels, one grey byte per pixel, and the
// table of all 256 cells that the tool's modules fill and read.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace font_tool {

inline constexpr int kCellWidth = 8;
inline constexpr int kCellHeight = 16;
inline constexpr int kGlyphBytes = kCellWidth * kCellHeight;
inline constexpr int kGlyphCount = 256;
inline constexpr std::uint8_t kInk = 255;

struct Glyph {
    std::array<std::uint8_t, kGlyphBytes> px{};

    std::uint8_t Get(int x, int y) const { return px[static_cast<std::size_t>(y * kCellWidth + x)]; }

    void Set(int x, int y, std::uint8_t v = kInk) {
        if (x < 0 || x >= kCellWidth || y < 0 || y >= kCellHeight) return;
        px[static_cast<std::size_t>(y * kCellWidth + x)] = v;
    }
    void HLine(int y, int x0, int x1) {
        for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x) Set(x, y);
    }
    void VLine(int x, int y0, int y1) {
        for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y) Set(x, y);
    }
    void Fill(int x0, int y0, int x1, int y1, std::uint8_t v = kInk) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) Set(x, y, v);
    }
    // Draws rows of '#' (full ink) and '+' (half ink) starting at row y0.
    void Art(int y0, std::initializer_list<std::string_view> rows) {
        int y = y0;
        for (std::string_view row : rows) {
            for (int x = 0; x < static_cast<int>(row.size()) && x < kCellWidth; ++x) {
                if (row[static_cast<std::size_t>(x)] == '#') Set(x, y, kInk);
                if (row[static_cast<std::size_t>(x)] == '+') Set(x, y, 128);
            }
            ++y;
        }
    }
};

using GlyphTable = std::array<Glyph, kGlyphCount>;

}  // namespace font_tool
