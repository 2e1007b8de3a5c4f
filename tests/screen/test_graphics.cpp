#include "screen/graphics.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <set>

#include "platform/program_state.h"
#include "runtime_fixture.h"
#include "screen/pixels.h"
#include "screen/window.h"

namespace {

using Point = std::pair<Int, Int>;
using Points = std::set<Point>;
using Bytes = std::vector<int>;

Bytes operator+(Bytes a, const Bytes& b) {  // joins byte lists
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr Int Width = 64, Height = 32;
constexpr Int MinInt = std::numeric_limits<Int>::min(), MaxInt = std::numeric_limits<Int>::max();

class GraphicsTest : public RuntimeTest {
protected:
    static void Open(Int depth, t_RGBColor colour = PaletteColor(15)) {
        ResetProgramState();
        t_InitWindow(0, depth, false, Width, Height, 0, 0, EmptyFont(), true);
        Win().RGBColor = colour;
    }
    static t_Window& Win() { return Screen().WindowTable[0]; }
    static UInt8* Pixels() { return Screen().VideoMemory.data() + Win().MemoryStart; }
    static Bytes At(Int offset, Int count) { return Bytes(Pixels() + offset, Pixels() + offset + count); }
    static Point Pen() { return {Win().PositionX, Win().PositionY}; }
    static Points Lit() {  // of an 8-bit window
        Points lit;
        for (Int i = 0; i < Width * Height; ++i)
            if (Pixels()[i] != 0) lit.insert({i % Width, i / Width});
        return lit;
    }
};

TEST_F(GraphicsTest, RefusesOtherWindowsUninitialisedOnesAndUnknownDepths) {
    LogCapture log;
    for (UInt8 w : {0, 8, 3}) {
        if (w == 8) Open(24);
        g_ClearScreen(w, 1, 0);
        g_Plot(w, 1, 1);
        EXPECT_EQ(g_Scrn(w, 1, 1), (t_RGBColor{255, 0, 0, 0}));
        g_Line(w, 0, 0, 5, 5);
        g_LineTo(w, 5, 5);
    }
    std::vector<std::string> expected, lines;
    for (const char* problem : {"Graphic window #0 not initialized.", "Window is not a graphic window.", "Graphic window #3 not initialized."})
        for (const char* op : {"g_ClearScreen", "g_Plot", "g_Scrn", "g_Line", "g_LineTo"}) expected.push_back(std::string(op) + ": " + problem);
    for (const std::string& line : log.Lines()) if (line.rfind("g_", 0) == 0) lines.push_back(line);
    EXPECT_EQ(lines, expected);
    g_Plot(0, 2, 2);
    Win().BitDepth = 12;
    log.Clear();
    g_Plot(0, 4, 4);
    g_Plot(0, 100, 4);  // outside: skipped before the depth is looked at
    g_Line(0, 0, 0, 1, 0);
    g_ClearScreen(0, 15, 0);
    EXPECT_EQ(log.Lines(), std::vector<std::string>(3, "g_Plot: Illegal bit depth (12)."));
    EXPECT_EQ(Pen(), (Point{2, 2}));
}

TEST_F(GraphicsTest, PlotOutsideTheWindowLeavesPixelsAndPen) {
    Open(32);  // its pixels end exactly where its block ends
    g_Plot(0, 7, 3);
    const Bytes before = At(0, Width * Height * 4);
    for (auto [x, y] : {Point{Width, 0}, {0, Height}, {-1, 0}, {0, -1}, {MaxInt, MaxInt}, {MinInt, 5}}) g_Plot(0, x, y);
    EXPECT_EQ(Pen(), (Point{7, 3}));
    EXPECT_EQ(At(0, Width * Height * 4), before);
    EXPECT_EQ(g_Scrn(0, -1, 0), (t_RGBColor{255, 0, 0, 0}));
    g_Plot(0, Width - 1, Height - 1);  // the last pixel is inside
    EXPECT_EQ(Pen(), (Point{Width - 1, Height - 1}));
    EXPECT_EQ(At((Height * Width - 1) * 4, 4), (Bytes{255, 255, 255, 255}));
}

TEST_F(GraphicsTest, PlotStoresEachDepthsFormOfTheColour) {
    const t_RGBColor orange{0x40, 255, 128, 0};  // grey 127
    // Pixel (x, 1), its first byte, the bytes there before and after, and what g_Scrn sees.
    const struct { const char* name; Int depth; UInt8 textColour; Int x, offset; Bytes before, after; t_RGBColor seen; } rows[] = {
        {"1 bit, foreground 9 sets", 1, 0x90, 10, 9, {0x00}, {0x20}, PaletteColor(15)},
        {"1 bit, foreground 8 clears", 1, 0x8F, 10, 9, {0xFF}, {0xDF}, PaletteColor(0)},
        {"4 bit, even x: high nibble", 4, 0xC3, 6, 35, {0x5A}, {0xCA}, PaletteColor(12)},
        {"4 bit, odd x: low nibble", 4, 0x1E, 7, 35, {0x5A}, {0x51}, PaletteColor(1)},
        {"8 bit grey", 8, 0, 5, 69, {0}, {127}, {0, 127, 127, 127}},
        {"16 bit alpha and grey", 16, 0, 5, 138, {0, 0}, {0x40, 127}, {0x40, 127, 127, 127}}, };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Open(row.depth, orange);
        Win().TextColor = row.textColour;
        std::copy(row.before.begin(), row.before.end(), Pixels() + row.offset);
        g_Plot(0, row.x, 1);
        EXPECT_EQ(At(row.offset - 1, static_cast<Int>(row.after.size()) + 2), Bytes{0} + row.after + Bytes{0});
        EXPECT_EQ(g_Scrn(0, row.x, 1), row.seen);
        EXPECT_EQ(Pen(), (Point{row.x, 1}));
    }
}

TEST_F(GraphicsTest, TrueColourDrawingModes) {
    // The colour: alpha 64, (200, 100, 15); the pixel before: alpha 17, (50, 240, 60).
    const std::tuple<Int, Int, Bytes> rows[] = {
        {24, 0, {200, 100, 15}},     {24, 1, {125, 170, 37}},      {24, 2, {200, 100, 15}},     {24, 3, {200, 100, 15}},
        {24, 4, {125, 170, 37}},     {24, 5, {0, 96, 12}},         {24, 6, {250, 244, 63}},     {24, 7, {250, 148, 51}},
        {24, 8, {50, 240, 60}},      {24, -1, {50, 240, 60}},      {32, 0, {64, 200, 100, 15}}, {32, 2, {255, 200, 100, 15}},
        // 60 * 191 / 255 + 15 * 64 / 255 = 44 + 3; one division would give 48.
        {32, 1, {17, 87, 204, 47}},  {32, 3, {17, 200, 100, 15}},  {32, 4, {17, 125, 170, 37}}, {32, 5, {17, 0, 96, 12}},
        {32, 6, {17, 250, 244, 63}}, {32, 7, {17, 250, 148, 51}},  {32, 100, {17, 50, 240, 60}}, };
    for (const auto& [depth, mode, after] : rows) {
        SCOPED_TRACE("depth " + std::to_string(depth) + " mode " + std::to_string(mode));
        Open(depth, {64, 200, 100, 15});
        const Int size = depth / 8, offset = (3 * Width + 9) * size;
        const Bytes before = depth == 32 ? Bytes{17, 50, 240, 60} : Bytes{50, 240, 60};
        std::copy(before.begin(), before.end(), Pixels() + offset);
        Win().DrawingMode = mode;
        g_Plot(0, 9, 3);
        EXPECT_EQ(At(offset, size), after);
        EXPECT_EQ(Pen(), (Point{9, 3}));  // also when nothing was written
        const t_RGBColor seen = g_Scrn(0, 9, 3);
        EXPECT_EQ((Bytes{seen.Alpha, seen.Red, seen.Green, seen.Blue}), depth == 32 ? after : Bytes{255} + after);
        EXPECT_EQ(At(offset + size, size), At(offset + 2 * size, size));  // the next pixel is untouched
    }
}

TEST_F(GraphicsTest, LinesFollowTheSteppingRule) {
    const Int far = 1'000'000'000'000'000;
    Points row5, row0, row16, column3, diagonal;
    for (Int i = 0; i < Width; ++i) row5.insert({i, 5}), row0.insert({i, 0}), row16.insert({i, 16});
    for (Int i = 0; i < Height; ++i) column3.insert({3, i}), diagonal.insert({i, i});
    const std::tuple<Int, Int, Int, Int, Points, Point> rows[] = {
        {0, 0, 3, 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}, {3, 1}},  {3, 1, 0, 0, {{3, 1}, {2, 1}, {1, 0}, {0, 0}}, {0, 0}},
        {5, 5, 5, 5, {{5, 5}}, {5, 5}},                          {0, 0, 2, 1, {{0, 0}, {1, 1}, {2, 1}}, {2, 1}},  // 0.5 rounds up
        {0, 9, 4, 0, {{0, 9}, {0, 8}, {1, 7}, {1, 6}, {2, 5}, {2, 4}, {3, 3}, {3, 2}, {4, 1}, {4, 0}}, {4, 0}},
        {-2, 0, 2, 4, {{0, 1}, {0, 2}, {1, 3}, {2, 4}}, {2, 4}},  // truncated after adding one half: -1 lands on 0
        {60, 5, 70, 5, {{60, 5}, {61, 5}, {62, 5}, {63, 5}}, {63, 5}},  // the pen stays on the last point inside
        {-5, -5, -1, -9, {}, {0, 0}},                            {-far, 0, Width - 1, 0, row0, {Width - 1, 0}},  // too long to step
        {-far, 5, far, 5, row5, {Width - 1, 5}},                 {far, 5, -far, 5, row5, {0, 5}},
        {3, -far, 3, far, column3, {3, Height - 1}},             {MinInt, MinInt, MaxInt, MaxInt, diagonal, {Height - 1, Height - 1}},
        {MaxInt, 0, MinInt, 0, row0, {0, 0}},                    {-(Int{1} << 40), 0, Int{1} << 40, 32, row16, {Width - 1, 16}}, };
    for (const auto& [x1, y1, x2, y2, points, pen] : rows) {
        SCOPED_TRACE(std::to_string(x1) + "," + std::to_string(y1) + " - " + std::to_string(x2) + "," + std::to_string(y2));
        Open(8);
        const auto started = std::chrono::steady_clock::now();
        g_Line(0, x1, y1, x2, y2);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        EXPECT_EQ(Lit(), points);
        EXPECT_EQ(Pen(), pen);
    }
    Open(8);
    g_Plot(0, 1, 1);
    g_LineTo(0, 4, 1);
    g_LineTo(0, 4, 3);
    EXPECT_EQ(Lit(), (Points{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}}));
    Open(24);  // in exclusive-or mode every point of a line is plotted once, the end too
    Win().DrawingMode = 7;
    g_Line(0, 0, 0, 3, 0);
    EXPECT_EQ(At(0, 15), Bytes(12, 255) + Bytes(3, 0));
}

TEST_F(GraphicsTest, ClearScreenFillsTheTopRowsOfEachDepth) {
    const std::tuple<Int, Int, Bytes> rows[] = {
        {1, 9, {0xFF}}, {1, 0, {0x00}}, {1, -3, {0x00}},      {4, 9, {0x99}},         {4, 0x12, {0x22}},
        {8, 9, {127}},  {8, 16, {0}},   {16, 9, {0xFF, 127}}, {24, 9, {255, 128, 0}}, {32, 9, {0xFF, 255, 128, 0}}, };
    for (const auto& [depth, colour, pixel] : rows)
        for (const Int count : {Int{0}, Int{10}, Height - 1, Height, Int{-4}}) {
            SCOPED_TRACE("depth " + std::to_string(depth) + " colour " + std::to_string(colour) + " rows " + std::to_string(count));
            Open(depth);
            const Int rowBytes = GraphicRowBytes(depth, Width), filled = count >= 1 && count < Height ? count : Height;
            std::fill_n(Pixels(), rowBytes * Height, 0x5A);
            g_ClearScreen(0, colour, count);
            Bytes expected;
            while (static_cast<Int>(expected.size()) < rowBytes * filled) expected = expected + pixel;
            EXPECT_EQ(At(0, rowBytes * Height), expected + Bytes(rowBytes * (Height - filled), 0x5A));
        }
}

}  // namespace
