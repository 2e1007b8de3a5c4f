#include "font_sheet.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "app/png_writer.h"
#include "platform/platform.h"

namespace font_tool {
namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

constexpr Rgb kPaper{24, 26, 38};
constexpr Rgb kWhite{240, 240, 240};
constexpr Rgb kGridLine{90, 94, 120};
constexpr Rgb kLabel{150, 200, 255};

// An opaque picture that glyphs are drawn into, magnified.
class Canvas {
public:
    Canvas(int width, int height, Rgb background) {
        image_.Width = width;
        image_.Height = height;
        image_.Bytes = std::make_unique<std::uint8_t[]>(image_.Size());
        FillRect(0, 0, width, height, background);
    }

    void Set(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= image_.Width || y >= image_.Height) return;
        std::uint8_t* p = image_.Bytes.get() + (static_cast<std::size_t>(y) * image_.Width + x) * 4;
        p[0] = 255;
        p[1] = c.r;
        p[2] = c.g;
        p[3] = c.b;
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
    bool Save(const std::string& path) const { return WritePng(image_, path); }

private:
    static std::uint8_t Blend(int from, int to, int a) {
        return static_cast<std::uint8_t>((from * (255 - a) + to * a + 127) / 255);
    }
    ArgbImage image_;
};

// ---------------------------------------------------------------------------
// The demo screen: rows of cells, each a code shown normal or inverse.

struct Cell {
    int code;
    bool inverse;
};
using Row = std::vector<Cell>;
using Screen = std::vector<Row>;

constexpr int kInside = 20;  // width inside a dialog's frame

Row Text(std::string_view s, bool inverse = false) {
    Row r;
    for (unsigned char c : s) r.push_back({c, inverse});
    return r;
}

Row Codes(std::initializer_list<int> list, bool inverse = false) {
    Row r;
    for (int c : list) r.push_back({c, inverse});
    return r;
}

Row Repeat(int code, int n, bool inverse = false) { return Row(static_cast<std::size_t>(n), Cell{code, inverse}); }

Row Join(std::initializer_list<Row> pieces) {
    Row r;
    for (const Row& p : pieces) r.insert(r.end(), p.begin(), p.end());
    return r;
}

// The pieces joined with a blank between each two.
Row Spaced(std::initializer_list<Row> pieces) {
    Row r;
    for (const Row& p : pieces) {
        if (!r.empty()) r.push_back({' ', false});
        r.insert(r.end(), p.begin(), p.end());
    }
    return r;
}

std::string Padded(std::string_view s, int n) {
    std::string t(s.substr(0, static_cast<std::size_t>(n)));
    t.resize(static_cast<std::size_t>(n), ' ');
    return t;
}

// A dialog line between its right-edge (139) and left-edge (138) rules.
Row Framed(const Row& inside) { return Join({Text(" "), Codes({139}), inside, Codes({138})}); }

// A dialog's title rule: 139, the double rule with 18 and 19 round the inverse
// title, 138.
Row TitleRule(int lead, std::string_view title) {
    const int trail = kInside - lead - 2 - static_cast<int>(title.size());
    return Framed(Join({Repeat(159, lead), Codes({18}), Text(title, true), Codes({19}), Repeat(159, trail)}));
}

// A dialog's bottom edge, without corners.
Row BottomRule(int code) { return Join({Text("  "), Repeat(code, kInside), Text(" ")}); }

void AddMessage(Screen& screen) {
    screen.push_back(TitleRule(5, " Datei "));
    screen.push_back(Framed(Join({Text("     ", true), Text(Padded(" Text nicht gefunden", kInside - 5))})));
    screen.push_back(Framed(
        Join({Text("  ", true), Text("!"), Text("  ", true), Text(Padded(" Taste dr\xFC" "cken", kInside - 5))})));
    screen.push_back(BottomRule(140));
    screen.push_back({});
}

// File selector: folder line, divider with the entry count, list rows.
void AddFileSelector(Screen& screen) {
    screen.push_back(TitleRule(4, " \xD6" "ffnen "));
    screen.push_back(Framed(Text(Padded("   /home/anna/", kInside), true)));
    screen.push_back(TitleRule(3, " 2 Objekte "));
    screen.push_back(
        Framed(Join({Codes({128}), Text("Daten "), Codes({130, 131, 131, 132}), Text(Padded("", kInside - 11))})));
    screen.push_back(Framed(Text(Padded(" Liste  CALC", kInside))));
    screen.push_back(BottomRule(140));
    screen.push_back({});
}

// Column header in status colours, then normal.
void AddColumnHeader(Screen& screen) {
    for (bool inverse : {true, false})
        screen.push_back(Join({Text("   ", inverse), Codes({139, 138}, inverse), Text("   1   ", inverse),
                               Codes({139, 138}, inverse), Text("   2   ", inverse), Codes({139, 138}, inverse),
                               Text("  ", inverse)}));
    screen.push_back(Join({Text("  7", true), Codes({139}, true), Text(" 12,50   "), Text("Summe")}));
    screen.push_back({});
}

void AddCatalog(Screen& screen) {
    screen.push_back(Text(" Name         Typ   Gr\xF6\xDF" "e"));
    screen.push_back(Repeat(156, 24));
    screen.push_back(Join({Codes({128}), Text("Daten        "), Codes({130, 131, 131, 132}), Text("  12 KB")}));
    screen.push_back(Join({Text(" "), Text("Volume       "), Codes({129, 131, 131, 132}), Text("   ")}));
    screen.push_back(Join({Codes({128}), Text("Liste.calc   "), Text("CALC"), Text("   3 KB")}));
    screen.push_back({});
}

// The middle rows of the boxes: single and double sides round two letters.
Row BoxSides(int first, int second) {
    const Row single = Codes({157, first, 157, second, 157});
    const Row twin = Codes({1, first, 1, second, 1});
    return Spaced({single, twin, single, twin});
}

// Boxes: single, double, mixed.
void AddBoxes(Screen& screen) {
    screen.push_back(Spaced({Codes({134, 156, 144, 156, 135}), Codes({147, 0, 153, 0, 148}), Codes({3, 0, 9, 0, 4}),
                             Codes({12, 156, 20, 156, 13})}));
    screen.push_back(BoxSides('a', 'b'));
    screen.push_back(Spaced({Codes({142, 156, 146, 156, 143}), Codes({151, 0, 2, 0, 152}), Codes({7, 0, 11, 0, 8}),
                             Codes({16, 156, 22, 156, 17})}));
    screen.push_back(BoxSides('c', 'd'));
    screen.push_back(Spaced({Codes({136, 156, 145, 156, 137}), Codes({149, 0, 158, 0, 150}), Codes({5, 0, 10, 0, 6}),
                             Codes({14, 156, 21, 156, 15})}));
    screen.push_back({});
}

// Name prompt: top rule and sides on the first line, bottom rule below.
void AddNamePrompt(Screen& screen) {
    screen.push_back(Framed(Repeat(140, kInside)));
    screen.push_back(Framed(Text(Padded(" Name: Liste.calc", kInside))));
    screen.push_back(BottomRule(141));
    screen.push_back({});
}

// Rules, em dash, visible blank, shades, placeholder.
void AddRules(Screen& screen) {
    screen.push_back(Join({Repeat(154, 4), Text(" Macro Editor "), Repeat(154, 4)}));
    screen.push_back(Join({Text("a-b a"), Codes({154}), Text("b 1"), Codes({160}), Text("000 "),
                           Codes({23, 23, 24, 24, 25, 25, 26, 127})}));
    screen.push_back(Text("Eingebaute Funktionen:"));
    screen.push_back(Repeat(140, 22));
    screen.push_back(Text("\xA4 \xB0 \xB5 \xBF \xD0 \xDD \xDE \xFD \xFF \xC5 \xC6 \xAD \xA1"));
}

// Draws the screen's cells side by side, magnified, inside a margin.
bool SaveScreen(const GlyphTable& glyphs, const Screen& screen, const std::string& path) {
    constexpr int scale = 3;
    constexpr int margin = 8;
    std::size_t columns = 0;
    for (const Row& r : screen) columns = std::max(columns, r.size());
    const int width = static_cast<int>(columns) * kCellWidth * scale + 2 * margin;
    const int height = static_cast<int>(screen.size()) * kCellHeight * scale + 2 * margin;
    Canvas canvas(width, height, kPaper);
    for (std::size_t line = 0; line < screen.size(); ++line) {
        for (std::size_t col = 0; col < screen[line].size(); ++col) {
            const Cell& c = screen[line][col];
            const Rgb ink = c.inverse ? kPaper : kWhite;
            const Rgb paper = c.inverse ? kWhite : kPaper;
            const int x = margin + static_cast<int>(col) * kCellWidth * scale;
            const int y = margin + static_cast<int>(line) * kCellHeight * scale;
            canvas.DrawGlyph(glyphs[static_cast<std::size_t>(c.code)], x, y, scale, ink, paper);
        }
    }
    return canvas.Save(path);
}

}  // namespace

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

bool SaveDemo(const GlyphTable& glyphs, const std::string& path) {
    Screen screen;
    AddMessage(screen);
    AddFileSelector(screen);
    AddColumnHeader(screen);
    AddCatalog(screen);
    AddBoxes(screen);
    AddNamePrompt(screen);
    AddRules(screen);
    return SaveScreen(glyphs, screen, path);
}

}  // namespace font_tool
