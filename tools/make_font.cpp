// make_font: builds the program's 8 x 16 grey bitmap font.
//
// Printable ASCII and the Latin-1 upper half are rendered from DejaVu Sans Mono
// with FreeType; the program's own symbols (line drawing, frame pieces, the
// lock, folder and volume pictures, the visible blank) are drawn pixel by pixel
// so that they join exactly across neighbouring cells. The glyph table is
// LZW-compressed into the "oxfn" font file the runtime loads.
//
//   make_font --ttf PATH --out FILE [--png FILE] [--demo FILE]
//
// The output depends only on the TTF files and the FreeType version, so the
// committed font can be regenerated bit for bit.

#include <ft2build.h>
#include FT_FREETYPE_H

#ifdef MAKE_FONT_WITH_PNG
#include <png.h>
#endif

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/lzw.h"

namespace {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;
constexpr int kGlyphBytes = kCellWidth * kCellHeight;
constexpr int kGlyphCount = 256;
constexpr int kPixelSize = 13;  // 14 px makes some Latin-1 glyphs wider than 8 px
constexpr int kBaseline = 13;   // bitmap_top is measured from this row
constexpr std::uint8_t kInk = 255;

// ---------------------------------------------------------------------------
// One 8 x 16 cell, one grey byte per pixel.

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
    bool Empty() const {
        return std::all_of(px.begin(), px.end(), [](std::uint8_t v) { return v == 0; });
    }
};

using GlyphTable = std::array<Glyph, kGlyphCount>;

// ---------------------------------------------------------------------------
// Which character each rendered code shows. The upper half is Latin-1 except
// where the program converts another Unicode character to that code: the
// glyph must then show what the user typed or pasted (the euro sign on 164,
// "≤" on 197, ...). Codes 34 and 96 keep their ASCII quotes even though the
// curly quotes map there too, and the em dash code is a drawn rule.

const std::map<int, std::uint32_t>& ConvertedCharacters() {
    static const std::map<int, std::uint32_t> table = {
        {161, 0x2208}, {164, 0x20AC}, {168, 0x2122}, {170, 0x2074}, {173, 0x2260},
        {176, 0x02DA}, {180, 0x2019}, {181, 0x03BC}, {184, 0x2022}, {186, 0x2076},
        {188, 0x2079}, {189, 0x2020}, {191, 0x2026}, {197, 0x2264}, {198, 0x2265},
        {208, 0x220F}, {215, 0x2075}, {216, 0x2070}, {221, 0x2211}, {222, 0x222B},
        {229, 0x2077}, {230, 0x2078}, {240, 0x03C0}, {253, 0x221A}, {254, 0x2206},
        {255, 0x221E},
    };
    return table;
}

bool IsRenderedCode(int code) { return (code >= 32 && code <= 126) || (code >= 161 && code <= 255); }

std::uint32_t CharacterOfCode(int code) {
    const auto& table = ConvertedCharacters();
    const auto it = table.find(code);
    return it != table.end() ? it->second : static_cast<std::uint32_t>(code);
}

// ---------------------------------------------------------------------------
// FreeType rendering.

class FreeTypeLibrary {
public:
    FreeTypeLibrary() {
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }
    ~FreeTypeLibrary() {
        for (FT_Face face : faces_) FT_Done_Face(face);
        if (library_) FT_Done_FreeType(library_);
    }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;

    bool Ok() const { return library_ != nullptr; }

    FT_Face Open(const std::string& path) {
        FT_Face face = nullptr;
        if (FT_New_Face(library_, path.c_str(), 0, &face) != 0) return nullptr;
        faces_.push_back(face);
        return face;
    }

private:
    FT_Library library_ = nullptr;
    std::vector<FT_Face> faces_;
};

struct Rendered {
    int width = 0;
    int rows = 0;
    int left = 0;
    int top = 0;
    int advance = 0;  // whole pixels
    std::vector<std::uint8_t> bitmap;  // width * rows grey bytes
};

std::optional<Rendered> RenderCharacter(FT_Face face, int pixelSize, std::uint32_t character) {
    const FT_UInt index = FT_Get_Char_Index(face, character);
    if (index == 0) return std::nullopt;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) return std::nullopt;
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT) != 0) return std::nullopt;
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return std::nullopt;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.num_grays != 256) return std::nullopt;
    Rendered r;
    r.width = static_cast<int>(bm.width);
    r.rows = static_cast<int>(bm.rows);
    r.left = slot->bitmap_left;
    r.top = slot->bitmap_top;
    r.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    r.bitmap.resize(static_cast<std::size_t>(r.width * r.rows));
    for (int y = 0; y < r.rows; ++y) {
        const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        std::memcpy(r.bitmap.data() + static_cast<std::size_t>(y * r.width), row,
                    static_cast<std::size_t>(r.width));
    }
    return r;
}

// Copies a rendered character into a cell with its left edge at x0 and its
// top at row y0; returns the number of inked pixels that fell outside.
int PlaceInCell(const Rendered& r, int x0, int y0, Glyph& cell) {
    int clipped = 0;
    for (int y = 0; y < r.rows; ++y) {
        for (int x = 0; x < r.width; ++x) {
            const std::uint8_t v = r.bitmap[static_cast<std::size_t>(y * r.width + x)];
            const int cx = x0 + x;
            const int cy = y0 + y;
            if (cx < 0 || cx >= kCellWidth || cy < 0 || cy >= kCellHeight) {
                if (v != 0) ++clipped;
                continue;
            }
            cell.Set(cx, cy, v);
        }
    }
    return clipped;
}

struct RenderLog {
    std::vector<std::string> fallbacks;
    std::vector<std::string> clipped;
    std::vector<std::string> missing;
};

std::string HexCode(std::uint32_t character) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(character));
    return buffer;
}

// Renders every text code. DejaVu Sans Mono is used as is; a character it
// lacks comes from the proportional DejaVu Sans, shrunk until it fits the
// 8-pixel cell and centred in it.
bool RenderText(FT_Face mono, FT_Face fallback, GlyphTable& glyphs, RenderLog& log) {
    for (int code = 0; code < kGlyphCount; ++code) {
        if (!IsRenderedCode(code)) continue;
        const std::uint32_t character = CharacterOfCode(code);
        Glyph cell;
        if (const auto r = RenderCharacter(mono, kPixelSize, character)) {
            const int clipped = PlaceInCell(*r, r->left, kBaseline - r->top, cell);
            if (clipped > 0 || r->advance != kCellWidth)
                log.clipped.push_back(std::to_string(code) + " " + HexCode(character) + ": " +
                                      std::to_string(clipped) + " pixels outside, advance " +
                                      std::to_string(r->advance));
            glyphs[static_cast<std::size_t>(code)] = cell;
            continue;
        }
        bool placed = false;
        for (int size = kPixelSize; fallback && size >= 6 && !placed; --size) {
            const auto r = RenderCharacter(fallback, size, character);
            if (!r) break;
            const int y0 = kBaseline - r->top;
            if (r->width > kCellWidth || y0 < 0 || y0 + r->rows > kCellHeight) continue;
            PlaceInCell(*r, (kCellWidth - r->width) / 2, y0, cell);
            log.fallbacks.push_back(std::to_string(code) + " " + HexCode(character) +
                                    ": DejaVu Sans at " + std::to_string(size) + " px");
            placed = true;
        }
        if (!placed) {
            log.missing.push_back(std::to_string(code) + " " + HexCode(character));
            return false;
        }
        glyphs[static_cast<std::size_t>(code)] = cell;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Line drawing.
//
// Centred lines: a single line is column 3 or row 7; a double line is columns
// 2 and 4 or rows 6 and 8, so a single line meets the middle of a double one.
// Frame lines hug the cell edge that faces the framed text: the left column
// rule (138) is column 0, the right one (139) column 7, the top rules row 0,
// the bottom rule row 15. Drawn next to each other, 139 and 138 make one
// two-pixel separator on the cell boundary.

constexpr int kMidX = 3;
constexpr int kMidY = 7;
constexpr int kDoubleX[2] = {2, 4};
constexpr int kDoubleY[2] = {6, 8};
constexpr int kLastX = kCellWidth - 1;
constexpr int kLastY = kCellHeight - 1;

enum class Line { None, Single, Double };

struct Arms {
    Line up = Line::None;
    Line down = Line::None;
    Line left = Line::None;
    Line right = Line::None;
};

// Both directions single (or absent).
void SingleLines(Glyph& g, const Arms& a) {
    if (a.up != Line::None) g.VLine(kMidX, 0, kMidY);
    if (a.down != Line::None) g.VLine(kMidX, kMidY, kLastY);
    if (a.left != Line::None) g.HLine(kMidY, 0, kMidX);
    if (a.right != Line::None) g.HLine(kMidY, kMidX, kLastX);
}

// Both directions double (or absent). Each quadrant between two arms gets an
// inner corner; an arm whose neighbour on one side is missing runs on to the
// far line of the crossing direction, which also closes the outer corners.
void DoubleLines(Glyph& g, const Arms& a) {
    const bool up = a.up != Line::None, down = a.down != Line::None;
    const bool left = a.left != Line::None, right = a.right != Line::None;
    for (int side = 0; side < 2; ++side) {     // 0: left half, 1: right half
        for (int half = 0; half < 2; ++half) {  // 0: upper half, 1: lower half
            const bool vertical = half == 0 ? up : down;
            const bool horizontal = side == 0 ? left : right;
            const int x = kDoubleX[side];
            const int y = kDoubleY[half];
            const int edgeY = half == 0 ? 0 : kLastY;
            const int edgeX = side == 0 ? 0 : kLastX;
            if (vertical && horizontal) {
                g.VLine(x, edgeY, y);
                g.HLine(y, edgeX, x);
            } else if (vertical) {
                g.VLine(x, edgeY, kDoubleY[1 - half]);
            } else if (horizontal) {
                g.HLine(y, edgeX, kDoubleX[1 - side]);
            }
        }
    }
}

// Single vertical with double horizontal. A vertical arm ends on the near
// double line when the horizontal passes through, on the far one at a corner.
void SingleVerticalDoubleHorizontal(Glyph& g, const Arms& a) {
    const bool up = a.up != Line::None, down = a.down != Line::None;
    const bool left = a.left != Line::None, right = a.right != Line::None;
    const bool through = left && right;
    for (int y : kDoubleY) {
        if (left) g.HLine(y, 0, kMidX);
        if (right) g.HLine(y, kMidX, kLastX);
    }
    if (up) g.VLine(kMidX, 0, through ? kDoubleY[0] : kDoubleY[1]);
    if (down) g.VLine(kMidX, through ? kDoubleY[1] : kDoubleY[0], kLastY);
}

// Double vertical with single horizontal: the same rule turned by 90 degrees.
void DoubleVerticalSingleHorizontal(Glyph& g, const Arms& a) {
    const bool up = a.up != Line::None, down = a.down != Line::None;
    const bool left = a.left != Line::None, right = a.right != Line::None;
    const bool through = up && down;
    for (int x : kDoubleX) {
        if (up) g.VLine(x, 0, kMidY);
        if (down) g.VLine(x, kMidY, kLastY);
    }
    if (left) g.HLine(kMidY, 0, through ? kDoubleX[0] : kDoubleX[1]);
    if (right) g.HLine(kMidY, through ? kDoubleX[1] : kDoubleX[0], kLastX);
}

Glyph BoxPiece(Arms a) {
    Glyph g;
    const Line vertical = std::max(a.up, a.down);
    const Line horizontal = std::max(a.left, a.right);
    const bool doubleV = vertical == Line::Double;
    const bool doubleH = horizontal == Line::Double;
    if (doubleV && doubleH) {
        DoubleLines(g, a);
    } else if (doubleH && vertical != Line::None) {
        SingleVerticalDoubleHorizontal(g, a);
    } else if (doubleV && horizontal != Line::None) {
        DoubleVerticalSingleHorizontal(g, a);
    } else if (doubleV || doubleH) {
        DoubleLines(g, a);
    } else {
        SingleLines(g, a);
    }
    return g;
}

// Shorthand: arms given as "udlr" with '-' none, '1' single, '2' double.
Glyph Box(std::string_view udlr) {
    auto line = [](char c) { return c == '1' ? Line::Single : c == '2' ? Line::Double : Line::None; };
    return BoxPiece({line(udlr[0]), line(udlr[1]), line(udlr[2]), line(udlr[3])});
}

// A repeating pattern over the whole cell (shades); aligned to the cell so
// that neighbouring cells continue it.
Glyph Pattern(int period, int phase, int density) {
    Glyph g;
    for (int y = 0; y < kCellHeight; ++y)
        for (int x = 0; x < kCellWidth; ++x) {
            const int cell = (x + (y % 2) * phase) % period;
            if (cell < density) g.Set(x, y);
        }
    return g;
}

void DrawSymbols(GlyphTable& glyphs) {
    auto at = [&](int code) -> Glyph& { return glyphs[static_cast<std::size_t>(code)]; };

    // --- Codes 0-31, reached through the character-set shift ("@", "A".."_").
    at(0) = Box("--22");   // ═
    at(1) = Box("22--");   // ║
    at(2) = Box("2222");   // ╬
    at(3) = Box("-1-2");   // ╒
    at(4) = Box("-12-");   // ╕
    at(5) = Box("1--2");   // ╘
    at(6) = Box("1-2-");   // ╛
    at(7) = Box("11-2");   // ╞
    at(8) = Box("112-");   // ╡
    at(9) = Box("-122");   // ╤
    at(10) = Box("1-22");  // ╧
    at(11) = Box("1122");  // ╪
    at(12) = Box("-2-1");  // ╓
    at(13) = Box("-21-");  // ╖
    at(14) = Box("2--1");  // ╙
    at(15) = Box("2-1-");  // ╜
    at(16) = Box("22-1");  // ╟
    at(17) = Box("221-");  // ╢

    // 18 and 19 enclose a title set into the double top rule (159): the rule
    // turns down on both sides of the inverse title like a hanging tab.
    {
        Glyph& g = at(18);
        g.HLine(0, 0, 6);
        g.VLine(6, 0, kLastY);
        g.HLine(2, 0, 4);
        g.VLine(4, 2, kLastY);
    }
    {
        Glyph& g = at(19);
        g.HLine(0, 1, kLastX);
        g.VLine(1, 0, kLastY);
        g.HLine(2, 3, kLastX);
        g.VLine(3, 2, kLastY);
    }

    at(20) = Box("-211");  // ╥
    at(21) = Box("2-11");  // ╨
    at(22) = Box("2211");  // ╫
    at(23) = Pattern(4, 2, 1);  // ░ light shade
    at(24) = Pattern(2, 1, 1);  // ▒ medium shade
    {
        Glyph g = Pattern(4, 2, 1);  // ▓ dark shade: the light one inverted
        for (auto& v : g.px) v = static_cast<std::uint8_t>(kInk - v);
        at(25) = g;
    }
    at(26).Fill(0, 0, kLastX, kLastY);                     // █
    at(27).Fill(0, 0, kLastX, kCellHeight / 2 - 1);        // ▀
    at(28).Fill(0, kCellHeight / 2, kLastX, kLastY);       // ▄
    at(29).Fill(0, 0, kCellWidth / 2 - 1, kLastY);         // ▌
    at(30).Fill(kCellWidth / 2, 0, kLastX, kLastY);        // ▐
    at(31).Fill(1, 5, 5, 9);                               // ■ small square

    // --- 127: stands for a character the font cannot show.
    {
        Glyph& g = at(127);
        g.HLine(2, 0, 6);
        g.HLine(13, 0, 6);
        g.VLine(0, 2, 13);
        g.VLine(6, 2, 13);
        for (int y = 3; y <= 12; ++y)
            for (int x = 1; x <= 5; ++x)
                if ((x + y) % 2 == 0) g.Set(x, y);
    }

    // --- 128: lock mark of a write-protected file.
    at(128).Art(2, {
        "..###...",
        ".#...#..",
        ".#...#..",
        ".#...#..",
        "#######.",
        "#######.",
        "###.###.",
        "###.###.",
        "###.###.",
        "#######.",
        "#######.",
    });

    // --- 129-132: four-cell pictures in the catalog's type column. A volume
    // is 129 131 131 132, a folder 130 131 131 132: a body between rows 5 and
    // 12 whose left end tells the two apart (vents of a drive, the tab of a
    // folder).
    at(129).Art(5, {
        "..######",
        ".#......",
        ".#.#.#..",
        ".#.#.#..",
        ".#.#.#..",
        ".#.#.#..",
        ".#......",
        "..######",
    });
    at(130).Art(3, {
        ".####...",
        "#....#..",
        "#.....##",
        "#.......",
        "#.......",
        "#.......",
        "#.......",
        "#.......",
        "#.......",
        "########",
    });
    at(131).Art(5, {
        "########",
        "........",
        "........",
        "........",
        "........",
        "........",
        "........",
        "########",
    });
    at(132).Art(5, {
        "######..",
        "......#.",
        "......#.",
        "......#.",
        "......#.",
        "......#.",
        "......#.",
        "######..",
    });

    // --- 133: ring.
    at(133).Art(4, {
        "..###...",
        ".#...#..",
        "#.....#.",
        "#.....#.",
        "#.....#.",
        ".#...#..",
        "..###...",
    });

    // --- Centred single line drawing and its double corners.
    at(134) = Box("-1-1");  // ┌
    at(135) = Box("-11-");  // ┐
    at(136) = Box("1--1");  // └
    at(137) = Box("1-1-");  // ┘

    // --- Frame rules. 138/139 are the left/right rules of a column in the
    // header line and the right/left edges of a dialog; 140 is the rule under
    // a heading and a dialog's bottom edge, 141 the bottom edge of the
    // one-line name prompt (heavier, as its box has no title rule above).
    at(138).VLine(0, 0, kLastY);
    at(139).VLine(kLastX, 0, kLastY);
    at(140).HLine(0, 0, kLastX);
    at(141).Fill(0, 0, kLastX, 1);

    at(142) = Box("11-1");  // ├
    at(143) = Box("111-");  // ┤
    at(144) = Box("-111");  // ┬
    at(145) = Box("1-11");  // ┴
    at(146) = Box("1111");  // ┼
    at(147) = Box("-2-2");  // ╔
    at(148) = Box("-22-");  // ╗
    at(149) = Box("2--2");  // ╚
    at(150) = Box("2-2-");  // ╝
    at(151) = Box("22-2");  // ╠
    at(152) = Box("222-");  // ╣
    at(153) = Box("-222");  // ╦

    // 154 is a rule at the height of the hyphen (row 9 in DejaVu Sans Mono at
    // 13 px); it also stands in for the em dash.
    at(154).HLine(9, 0, kLastX);
    at(155).HLine(kLastY, 0, kLastX);  // rule along the bottom edge
    at(156) = Box("--11");             // ─ the catalog's header rule
    at(157) = Box("11--");             // │
    at(158) = Box("2-22");             // ╩

    // 159: the double top edge of a dialog, hugging the top like 140.
    at(159).HLine(0, 0, kLastX);
    at(159).HLine(2, 0, kLastX);

    // --- 160: visible blank (shelf sign), sitting on the baseline.
    at(160).Art(10, {
        ".#....#.",
        ".#....#.",
        ".######.",
    });
}

// ---------------------------------------------------------------------------
// Font file.

std::vector<std::uint8_t> GlyphData(const GlyphTable& glyphs) {
    std::vector<std::uint8_t> data;
    data.reserve(static_cast<std::size_t>(kGlyphCount * kGlyphBytes));
    for (const Glyph& g : glyphs) data.insert(data.end(), g.px.begin(), g.px.end());
    return data;
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

// Picks the code width with the smallest stream (the narrowest on a tie) and
// checks that it decodes back to the same bytes.
bool CompressGlyphs(const std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& best, int& bestWidth) {
    best.clear();
    bestWidth = 0;
    for (int width = 9; width <= 16; ++width) {
        std::vector<std::uint8_t> stream = lzw::Encode(data, width);
        if (stream.empty()) continue;
        if (best.empty() || stream.size() < best.size()) {
            best = std::move(stream);
            bestWidth = width;
        }
    }
    if (best.empty()) return false;
    const lzw::DecodeResult check = lzw::Decode(best.data(), best.size());
    return check.status == lzw::DecodeStatus::Ok && check.bytes == data;
}

std::vector<std::uint8_t> FontFile(const std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& compressed) {
    std::vector<std::uint8_t> file;
    file.push_back(16);  // header size
    for (char c : std::string_view("oxfn")) file.push_back(static_cast<std::uint8_t>(c));
    file.push_back(102);  // compressed grey
    PutBigEndian32(file, static_cast<std::uint32_t>(data.size()));
    file.push_back(0);    // first code
    file.push_back(255);  // last code
    file.push_back(kCellWidth);
    file.push_back(kCellHeight);
    file.push_back(0);
    file.push_back(0);
    file.insert(file.end(), compressed.begin(), compressed.end());
    return file;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// ---------------------------------------------------------------------------
// Preview pictures.

#ifdef MAKE_FONT_WITH_PNG

struct Rgb {
    std::uint8_t r, g, b;
};

class Canvas {
public:
    Canvas(int width, int height, Rgb background)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), background) {}

    void Set(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        pixels_[static_cast<std::size_t>(y * width_ + x)] = c;
    }
    void FillRect(int x, int y, int w, int h, Rgb c) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) Set(x + i, y + j, c);
    }
    // Draws a glyph magnified by scale, blending ink over paper by its grey.
    void DrawGlyph(const Glyph& g, int x0, int y0, int scale, Rgb ink, Rgb paper) {
        for (int y = 0; y < kCellHeight; ++y)
            for (int x = 0; x < kCellWidth; ++x) {
                const int a = g.Get(x, y);
                const Rgb c{Blend(paper.r, ink.r, a), Blend(paper.g, ink.g, a), Blend(paper.b, ink.b, a)};
                FillRect(x0 + x * scale, y0 + y * scale, scale, scale, c);
            }
    }
    bool Save(const std::string& path) const {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) return false;
        // Allocated before setjmp so that an error jump skips no destructor.
        std::vector<png_byte> row(static_cast<std::size_t>(width_) * 3);
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png ? png_create_info_struct(png) : nullptr;
        if (!png || !info || setjmp(png_jmpbuf(png))) {
            png_destroy_write_struct(&png, info ? &info : nullptr);
            std::fclose(file);
            return false;
        }
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width_), static_cast<png_uint_32>(height_), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const Rgb& c = pixels_[static_cast<std::size_t>(y * width_ + x)];
                row[static_cast<std::size_t>(x) * 3] = c.r;
                row[static_cast<std::size_t>(x) * 3 + 1] = c.g;
                row[static_cast<std::size_t>(x) * 3 + 2] = c.b;
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        png_destroy_write_struct(&png, &info);
        return std::fclose(file) == 0;
    }

private:
    static std::uint8_t Blend(int from, int to, int a) {
        return static_cast<std::uint8_t>((from * (255 - a) + to * a + 127) / 255);
    }
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

constexpr Rgb kPaper{24, 26, 38};
constexpr Rgb kWhite{240, 240, 240};
constexpr Rgb kGridLine{90, 94, 120};
constexpr Rgb kLabel{150, 200, 255};

// All 256 glyphs on a 16 x 16 grid, rows labelled with the high hex digit
// and columns with the low one.
bool SaveGlyphSheet(const GlyphTable& glyphs, const std::string& path) {
    constexpr int scale = 3;
    constexpr int cellW = kCellWidth * scale;
    constexpr int cellH = kCellHeight * scale;
    constexpr int labelScale = 2;
    constexpr int margin = kCellWidth * labelScale * 2 + 8;
    const int width = margin + 16 * (cellW + 1) + 1;
    const int height = margin + 16 * (cellH + 1) + 1;
    Canvas canvas(width, height, kPaper);
    const char* hex = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        const int colX = margin + 1 + i * (cellW + 1) + (cellW - kCellWidth * labelScale) / 2;
        canvas.DrawGlyph(glyphs[static_cast<std::size_t>(hex[i])], colX, 2, labelScale, kLabel, kPaper);
        const int rowY = margin + 1 + i * (cellH + 1) + (cellH - kCellHeight * labelScale) / 2;
        canvas.DrawGlyph(glyphs[static_cast<std::size_t>(hex[i])], 2, rowY, labelScale, kLabel, kPaper);
        canvas.DrawGlyph(glyphs['0'], 2 + kCellWidth * labelScale, rowY, labelScale, kLabel, kPaper);
    }
    for (int i = 0; i <= 16; ++i) {
        canvas.FillRect(margin + i * (cellW + 1), margin, 1, height - margin, kGridLine);
        canvas.FillRect(margin, margin + i * (cellH + 1), width - margin, 1, kGridLine);
    }
    for (int code = 0; code < kGlyphCount; ++code) {
        const int x = margin + 1 + (code % 16) * (cellW + 1);
        const int y = margin + 1 + (code / 16) * (cellH + 1);
        canvas.DrawGlyph(glyphs[static_cast<std::size_t>(code)], x, y, scale, kWhite, kPaper);
    }
    return canvas.Save(path);
}

// A few screen lines as the program draws them, without gaps between cells,
// to check that the pieces join: a dialog with its title, the column header,
// catalog lines, boxes of line drawing, the name prompt, rules and shades.
bool SaveDemo(const GlyphTable& glyphs, const std::string& path) {
    struct Cell {
        int code;
        bool inverse;
    };
    using Row = std::vector<Cell>;
    std::vector<Row> screen;
    auto text = [](std::string_view s, bool inverse = false) {
        Row r;
        for (unsigned char c : s) r.push_back({c, inverse});
        return r;
    };
    auto codes = [](std::initializer_list<int> list, bool inverse = false) {
        Row r;
        for (int c : list) r.push_back({c, inverse});
        return r;
    };
    auto repeat = [](int code, int n, bool inverse = false) { return Row(static_cast<std::size_t>(n), Cell{code, inverse}); };
    auto join = [](std::initializer_list<Row> parts) {
        Row r;
        for (const Row& p : parts) r.insert(r.end(), p.begin(), p.end());
        return r;
    };

    // Dialog as drawn for a message: 139, the title rule with 18 and 19 round
    // the inverse title, 138; then the sides; the bottom rule without corners.
    constexpr int inside = 20;
    auto padded = [&](std::string_view s, int n) {
        std::string t(s.substr(0, static_cast<std::size_t>(n)));
        t.resize(static_cast<std::size_t>(n), ' ');
        return t;
    };
    screen.push_back(join({text(" "), codes({139}), repeat(159, 5), codes({18}), text(" Datei ", true),
                           codes({19}), repeat(159, inside - 14), codes({138})}));
    screen.push_back(join({text(" "), codes({139}), text("     ", true), text(padded(" Text nicht gefunden", inside - 5)),
                           codes({138})}));
    screen.push_back(join({text(" "), codes({139}), text("  ", true), text("!"), text("  ", true),
                           text(padded(" Taste dr\xFC" "cken", inside - 5)), codes({138})}));
    screen.push_back(join({text("  "), repeat(140, inside), text(" ")}));
    screen.push_back({});
    // File selector: folder line, divider with the entry count, list rows.
    screen.push_back(join({text(" "), codes({139}), repeat(159, 4), codes({18}), text(" \xD6" "ffnen ", true),
                           codes({19}), repeat(159, inside - 14), codes({138})}));
    screen.push_back(join({text(" "), codes({139}), text(padded("   /home/anna/", inside), true), codes({138})}));
    screen.push_back(join({text(" "), codes({139}), repeat(159, 3), codes({18}), text(" 2 Objekte ", true),
                           codes({19}), repeat(159, inside - 16), codes({138})}));
    screen.push_back(join({text(" "), codes({139}), codes({128}), text("Daten "), codes({130, 131, 131, 132}),
                           text(padded("", inside - 11)), codes({138})}));
    screen.push_back(join({text(" "), codes({139}), text(padded(" Liste  CALC", inside)), codes({138})}));
    screen.push_back(join({text("  "), repeat(140, inside), text(" ")}));
    screen.push_back({});
    // Column header in status colours, then normal.
    for (bool inverse : {true, false})
        screen.push_back(join({text("   ", inverse), codes({139, 138}, inverse), text("   1   ", inverse),
                               codes({139, 138}, inverse), text("   2   ", inverse), codes({139, 138}, inverse),
                               text("  ", inverse)}));
    screen.push_back(join({text("  7", true), codes({139}, true), text(" 12,50   "), text("Summe")}));
    screen.push_back({});
    // Catalog.
    screen.push_back(text(" Name         Typ   Gr\xF6\xDF" "e"));
    screen.push_back(repeat(156, 24));
    screen.push_back(join({codes({128}), text("Daten        "), codes({130, 131, 131, 132}), text("  12 KB")}));
    screen.push_back(join({text(" "), text("Volume       "), codes({129, 131, 131, 132}), text("   ")}));
    screen.push_back(join({codes({128}), text("Liste.calc   "), text("CALC"), text("   3 KB")}));
    screen.push_back({});
    // Boxes: single, double, mixed.
    screen.push_back(join({codes({134, 156, 144, 156, 135}), text(" "), codes({147, 0, 153, 0, 148}), text(" "),
                           codes({3, 0, 9, 0, 4}), text(" "), codes({12, 156, 20, 156, 13})}));
    screen.push_back(join({codes({157, 'a', 157, 'b', 157}), text(" "), codes({1, 'a', 1, 'b', 1}), text(" "),
                           codes({157, 'a', 157, 'b', 157}), text(" "), codes({1, 'a', 1, 'b', 1})}));
    screen.push_back(join({codes({142, 156, 146, 156, 143}), text(" "), codes({151, 0, 2, 0, 152}), text(" "),
                           codes({7, 0, 11, 0, 8}), text(" "), codes({16, 156, 22, 156, 17})}));
    screen.push_back(join({codes({157, 'c', 157, 'd', 157}), text(" "), codes({1, 'c', 1, 'd', 1}), text(" "),
                           codes({157, 'c', 157, 'd', 157}), text(" "), codes({1, 'c', 1, 'd', 1})}));
    screen.push_back(join({codes({136, 156, 145, 156, 137}), text(" "), codes({149, 0, 158, 0, 150}), text(" "),
                           codes({5, 0, 10, 0, 6}), text(" "), codes({14, 156, 21, 156, 15})}));
    screen.push_back({});
    // Name prompt: top rule and sides on the first line, bottom rule below.
    screen.push_back(join({text(" "), codes({139}), repeat(140, inside), codes({138})}));
    screen.push_back(join({text(" "), codes({139}), text(padded(" Name: Liste.calc", inside)), codes({138})}));
    screen.push_back(join({text("  "), repeat(141, inside), text(" ")}));
    screen.push_back({});
    // Rules, em dash, visible blank, shades, placeholder.
    screen.push_back(join({repeat(154, 4), text(" Macro Editor "), repeat(154, 4)}));
    screen.push_back(join({text("a-b a"), codes({154}), text("b 1"), codes({160}), text("000 "), codes({23, 23, 24, 24, 25, 25, 26, 127})}));
    screen.push_back(join({text("Eingebaute Funktionen:")}));
    screen.push_back(repeat(140, 22));
    screen.push_back(join({text("\xA4 \xB0 \xB5 \xBF \xD0 \xDD \xDE \xFD \xFF \xC5 \xC6 \xAD \xA1")}));

    constexpr int scale = 3;
    std::size_t columns = 0;
    for (const Row& r : screen) columns = std::max(columns, r.size());
    const int width = static_cast<int>(columns) * kCellWidth * scale + 2 * 8;
    const int height = static_cast<int>(screen.size()) * kCellHeight * scale + 2 * 8;
    Canvas canvas(width, height, kPaper);
    for (std::size_t line = 0; line < screen.size(); ++line) {
        for (std::size_t col = 0; col < screen[line].size(); ++col) {
            const Cell& c = screen[line][col];
            const Rgb ink = c.inverse ? kPaper : kWhite;
            const Rgb paper = c.inverse ? kWhite : kPaper;
            canvas.DrawGlyph(glyphs[static_cast<std::size_t>(c.code)], 8 + static_cast<int>(col) * kCellWidth * scale,
                             8 + static_cast<int>(line) * kCellHeight * scale, scale, ink, paper);
        }
    }
    return canvas.Save(path);
}

#endif  // MAKE_FONT_WITH_PNG

// ---------------------------------------------------------------------------

struct Options {
    std::string ttf;
    std::string out;
    std::string png;
    std::string demo;
};

void Usage() {
    std::cerr << "usage: make_font --ttf PATH --out FILE [--png FILE] [--demo FILE]\n"
                 "  --ttf   DejaVu Sans Mono (DejaVuSans.ttf beside it supplies missing characters)\n"
                 "  --out   the font file to write\n"
                 "  --png   a picture of all 256 glyphs\n"
                 "  --demo  a picture of line-drawing combinations\n";
}

std::optional<Options> ParseArguments(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string* target = arg == "--ttf"    ? &o.ttf
                              : arg == "--out"  ? &o.out
                              : arg == "--png"  ? &o.png
                              : arg == "--demo" ? &o.demo
                                                : nullptr;
        if (!target || i + 1 >= argc) return std::nullopt;
        *target = argv[++i];
    }
    if (o.ttf.empty() || o.out.empty()) return std::nullopt;
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options) {
        Usage();
        return 2;
    }
#ifndef MAKE_FONT_WITH_PNG
    if (!options->png.empty() || !options->demo.empty()) {
        std::cerr << "make_font: built without libpng, pictures are not available\n";
        return 2;
    }
#endif

    FreeTypeLibrary freetype;
    if (!freetype.Ok()) {
        std::cerr << "make_font: FreeType could not be initialised\n";
        return 1;
    }
    FT_Face mono = freetype.Open(options->ttf);
    if (!mono) {
        std::cerr << "make_font: cannot open font '" << options->ttf << "'\n";
        return 1;
    }
    const std::filesystem::path fallbackPath = std::filesystem::path(options->ttf).parent_path() / "DejaVuSans.ttf";
    FT_Face fallback = freetype.Open(fallbackPath.string());

    GlyphTable glyphs{};
    RenderLog log;
    const bool complete = RenderText(mono, fallback, glyphs, log);
    for (const std::string& line : log.fallbacks) std::cerr << "make_font: fallback " << line << "\n";
    for (const std::string& line : log.clipped) std::cerr << "make_font: does not fit the cell: " << line << "\n";
    if (!complete) {
        for (const std::string& line : log.missing) std::cerr << "make_font: no glyph for " << line << "\n";
        return 1;
    }
    DrawSymbols(glyphs);

    const std::vector<std::uint8_t> data = GlyphData(glyphs);
    std::vector<std::uint8_t> compressed;
    int codeWidth = 0;
    if (!CompressGlyphs(data, compressed, codeWidth)) {
        std::cerr << "make_font: compressed glyph data does not decode back to the original\n";
        return 1;
    }
    const std::vector<std::uint8_t> file = FontFile(data, compressed);
    if (!WriteFile(options->out, file)) {
        std::cerr << "make_font: cannot write '" << options->out << "'\n";
        return 1;
    }
    std::cerr << "make_font: " << options->out << ": " << file.size() << " bytes, code width " << codeWidth << "\n";

#ifdef MAKE_FONT_WITH_PNG
    if (!options->png.empty() && !SaveGlyphSheet(glyphs, options->png)) {
        std::cerr << "make_font: cannot write '" << options->png << "'\n";
        return 1;
    }
    if (!options->demo.empty() && !SaveDemo(glyphs, options->demo)) {
        std::cerr << "make_font: cannot write '" << options->demo << "'\n";
        return 1;
    }
#endif
    return 0;
}
