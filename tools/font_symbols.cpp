#include "font_symbols.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace font_tool {
namespace {

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

// A line along one axis: vertical at column `at`, or horizontal at row `at`.
void Segment(Glyph& g, bool vertical, int at, int from, int to) {
    if (vertical)
        g.VLine(at, from, to);
    else
        g.HLine(at, from, to);
}

// One direction single and the crossing one double, the same rule either way
// round (`singleVertical` tells which). A single arm ends on the near double
// line when the double one passes through, on the far one at a corner.
void SingleCrossingDouble(Glyph& g, const Arms& a, bool singleVertical) {
    const bool up = a.up != Line::None, down = a.down != Line::None;
    const bool left = a.left != Line::None, right = a.right != Line::None;
    const bool before = singleVertical ? up : left;     // single arms
    const bool after = singleVertical ? down : right;
    const bool sideBefore = singleVertical ? left : up;  // double arms
    const bool sideAfter = singleVertical ? right : down;
    const int mid = singleVertical ? kMidX : kMidY;
    const int last = singleVertical ? kLastY : kLastX;
    const int lastAcross = singleVertical ? kLastX : kLastY;
    const int* doubles = singleVertical ? kDoubleY : kDoubleX;
    const bool through = sideBefore && sideAfter;
    for (int i = 0; i < 2; ++i) {
        if (sideBefore) Segment(g, !singleVertical, doubles[i], 0, mid);
        if (sideAfter) Segment(g, !singleVertical, doubles[i], mid, lastAcross);
    }
    if (before) Segment(g, singleVertical, mid, 0, through ? doubles[0] : doubles[1]);
    if (after) Segment(g, singleVertical, mid, through ? doubles[1] : doubles[0], last);
}

}  // namespace

Glyph BoxPiece(Arms a) {
    Glyph g;
    const Line vertical = std::max(a.up, a.down);
    const Line horizontal = std::max(a.left, a.right);
    const bool doubleV = vertical == Line::Double;
    const bool doubleH = horizontal == Line::Double;
    if (doubleV && doubleH) {
        DoubleLines(g, a);
    } else if (doubleH && vertical != Line::None) {
        SingleCrossingDouble(g, a, true);
    } else if (doubleV && horizontal != Line::None) {
        SingleCrossingDouble(g, a, false);
    } else if (doubleV || doubleH) {
        DoubleLines(g, a);
    } else {
        SingleLines(g, a);
    }
    return g;
}

namespace {

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

Glyph& At(GlyphTable& glyphs, int code) { return glyphs[static_cast<std::size_t>(code)]; }

struct BoxCode {
    int code;
    std::string_view arms;  // as for Box()
};

constexpr BoxCode kBoxCodes[] = {
    // Codes 0-31, reached through the character-set shift ("@", "A".."_").
    {0, "--22"},   // ═
    {1, "22--"},   // ║
    {2, "2222"},   // ╬
    {3, "-1-2"},   // ╒
    {4, "-12-"},   // ╕
    {5, "1--2"},   // ╘
    {6, "1-2-"},   // ╛
    {7, "11-2"},   // ╞
    {8, "112-"},   // ╡
    {9, "-122"},   // ╤
    {10, "1-22"},  // ╧
    {11, "1122"},  // ╪
    {12, "-2-1"},  // ╓
    {13, "-21-"},  // ╖
    {14, "2--1"},  // ╙
    {15, "2-1-"},  // ╜
    {16, "22-1"},  // ╟
    {17, "221-"},  // ╢
    {20, "-211"},  // ╥
    {21, "2-11"},  // ╨
    {22, "2211"},  // ╫
    // Centred single line drawing and its double corners.
    {134, "-1-1"},  // ┌
    {135, "-11-"},  // ┐
    {136, "1--1"},  // └
    {137, "1-1-"},  // ┘
    {142, "11-1"},  // ├
    {143, "111-"},  // ┤
    {144, "-111"},  // ┬
    {145, "1-11"},  // ┴
    {146, "1111"},  // ┼
    {147, "-2-2"},  // ╔
    {148, "-22-"},  // ╗
    {149, "2--2"},  // ╚
    {150, "2-2-"},  // ╝
    {151, "22-2"},  // ╠
    {152, "222-"},  // ╣
    {153, "-222"},  // ╦
    {156, "--11"},  // ─ the catalog's header rule
    {157, "11--"},  // │
    {158, "2-22"},  // ╩
};

void DrawBoxPieces(GlyphTable& glyphs) {
    for (const BoxCode& box : kBoxCodes) At(glyphs, box.code) = Box(box.arms);
}

// 18 and 19 enclose a title set into the double top rule (159): the rule
// turns down on both sides of the inverse title like a hanging tab.
void DrawTitleTabs(Glyph& left, Glyph& right) {
    left.HLine(0, 0, 6);
    left.VLine(6, 0, kLastY);
    left.HLine(2, 0, 4);
    left.VLine(4, 2, kLastY);
    right.HLine(0, 1, kLastX);
    right.VLine(1, 0, kLastY);
    right.HLine(2, 3, kLastX);
    right.VLine(3, 2, kLastY);
}

// 23-25: light, medium and dark shade.
void DrawShades(GlyphTable& glyphs) {
    At(glyphs, 23) = Pattern(4, 2, 1);  // ░
    At(glyphs, 24) = Pattern(2, 1, 1);  // ▒
    Glyph dark = Pattern(4, 2, 1);      // ▓ the light one inverted
    for (auto& v : dark.px) v = static_cast<std::uint8_t>(kInk - v);
    At(glyphs, 25) = dark;
}

// 26-31: full and half blocks and a small square.
void DrawBlocks(GlyphTable& glyphs) {
    At(glyphs, 26).Fill(0, 0, kLastX, kLastY);                // █
    At(glyphs, 27).Fill(0, 0, kLastX, kCellHeight / 2 - 1);   // ▀
    At(glyphs, 28).Fill(0, kCellHeight / 2, kLastX, kLastY);  // ▄
    At(glyphs, 29).Fill(0, 0, kCellWidth / 2 - 1, kLastY);    // ▌
    At(glyphs, 30).Fill(kCellWidth / 2, 0, kLastX, kLastY);   // ▐
    At(glyphs, 31).Fill(1, 5, 5, 9);                          // ■ small square
}

// 127: stands for a character the font cannot show.
void DrawPlaceholder(Glyph& g) {
    g.HLine(2, 0, 6);
    g.HLine(13, 0, 6);
    g.VLine(0, 2, 13);
    g.VLine(6, 2, 13);
    for (int y = 3; y <= 12; ++y)
        for (int x = 1; x <= 5; ++x)
            if ((x + y) % 2 == 0) g.Set(x, y);
}

// 128: lock mark of a write-protected file.
void DrawLock(Glyph& g) {
    g.Art(2, {
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
}

// 129-132: four-cell pictures in the catalog's type column. A volume is
// 129 131 131 132, a folder 130 131 131 132: a body between rows 5 and 12
// whose left end tells the two apart (vents of a drive, the tab of a folder).
void DrawCatalogPictures(GlyphTable& glyphs) {
    At(glyphs, 129).Art(5, {
        "..######",
        ".#......",
        ".#.#.#..",
        ".#.#.#..",
        ".#.#.#..",
        ".#.#.#..",
        ".#......",
        "..######",
    });
    At(glyphs, 130).Art(3, {
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
    At(glyphs, 131).Art(5, {
        "########",
        "........",
        "........",
        "........",
        "........",
        "........",
        "........",
        "########",
    });
    At(glyphs, 132).Art(5, {
        "######..",
        "......#.",
        "......#.",
        "......#.",
        "......#.",
        "......#.",
        "......#.",
        "######..",
    });
}

// 133: ring.
void DrawRing(Glyph& g) {
    g.Art(4, {
        "..###...",
        ".#...#..",
        "#.....#.",
        "#.....#.",
        "#.....#.",
        ".#...#..",
        "..###...",
    });
}

// Frame rules. 138/139 are the left/right rules of a column in the header
// line and the right/left edges of a dialog; 140 is the rule under a heading
// and a dialog's bottom edge, 141 the bottom edge of the one-line name prompt
// (heavier, as its box has no title rule above). 154 is a rule at the height
// of the hyphen (row 9 in DejaVu Sans Mono at 13 px); it also stands in for
// the em dash. 155 runs along the bottom edge; 159 is the double top edge of
// a dialog, hugging the top like 140.
void DrawRules(GlyphTable& glyphs) {
    At(glyphs, 138).VLine(0, 0, kLastY);
    At(glyphs, 139).VLine(kLastX, 0, kLastY);
    At(glyphs, 140).HLine(0, 0, kLastX);
    At(glyphs, 141).Fill(0, 0, kLastX, 1);
    At(glyphs, 154).HLine(9, 0, kLastX);
    At(glyphs, 155).HLine(kLastY, 0, kLastX);
    At(glyphs, 159).HLine(0, 0, kLastX);
    At(glyphs, 159).HLine(2, 0, kLastX);
}

// 160: visible blank (shelf sign), sitting on the baseline.
void DrawVisibleBlank(Glyph& g) {
    g.Art(10, {
        ".#....#.",
        ".#....#.",
        ".######.",
    });
}

}  // namespace

void DrawSymbols(GlyphTable& glyphs) {
    DrawBoxPieces(glyphs);
    DrawTitleTabs(At(glyphs, 18), At(glyphs, 19));
    DrawShades(glyphs);
    DrawBlocks(glyphs);
    DrawPlaceholder(At(glyphs, 127));
    DrawLock(At(glyphs, 128));
    DrawCatalogPictures(glyphs);
    DrawRing(At(glyphs, 133));
    DrawRules(glyphs);
    DrawVisibleBlank(At(glyphs, 160));
}

}  // namespace font_tool
