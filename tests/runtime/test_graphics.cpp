#include "runtime/graphics.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "runtime/window.h"
#include "runtime_fixture.h"

namespace {

using Point = std::pair<Int, Int>;
using Points = std::set<Point>;
using Bytes = std::vector<int>;

constexpr Int Width = 64, Height = 32;
constexpr Int MinInt = std::numeric_limits<Int>::min();
constexpr Int MaxInt = std::numeric_limits<Int>::max();

Int RowBytes(Int depth) { return depth < 8 ? Width * depth / 8 : Width * (depth / 8); }

class GraphicsTest : public RuntimeTest {
protected:
    // A 64 x 32 pixel window without text at the given depth.
    void Open(Int depth) {
        t_InitWindow(0, depth, false, Width, Height, 0, 0, EmptyFont(), true);
        ASSERT_TRUE(Screen().WindowTable[0].Initialized);
        ASSERT_EQ(Win().Width, Width);
    }
    void Reopen(Int depth) {
        ResetRuntime();
        SetUp();
        Open(depth);
    }
    t_Window& Win() { return Screen().WindowTable[0]; }
    UInt8* Pixels() { return Screen().VideoMemory.data() + Win().MemoryStart; }
    Bytes At(Int offset, Int count) {
        const UInt8* p = Pixels() + offset;
        return Bytes(p, p + count);
    }
    Point Pen() { return {Win().PositionX, Win().PositionY}; }
    // Every pixel of an 8-bit window that is not 0.
    Points Lit() {
        Points lit;
        for (Int y = 0; y < Height; ++y)
            for (Int x = 0; x < Width; ++x)
                if (Pixels()[y * Width + x] != 0) lit.insert({x, y});
        return lit;
    }
    // An 8-bit window drawing in white on black.
    void OpenForLines() {
        Reopen(8);
        Win().RGBColor = PaletteColor(15);
    }
};

TEST_F(GraphicsTest, RefusesOtherWindowsAndUninitialisedOnes) {
    const std::vector<std::function<void(UInt8)>> calls = {
        [](UInt8 w) { g_ClearScreen(w, 1, 0); },
        [](UInt8 w) { g_Plot(w, 1, 1); },
        [](UInt8 w) { EXPECT_EQ(g_Scrn(w, 1, 1), (t_RGBColor{255, 0, 0, 0})); },
        [](UInt8 w) { g_Line(w, 0, 0, 5, 5); },
        [](UInt8 w) { g_LineTo(w, 5, 5); },
    };
    LogCapture log;
    // Before any window the runtime's memory does not exist yet.
    for (const auto& call : calls) call(0);
    Open(24);
    for (const auto& call : calls) call(8);
    for (const auto& call : calls) call(3);
    const std::vector<std::string> names = {"g_ClearScreen", "g_Plot", "g_Scrn", "g_Line", "g_LineTo"};
    std::vector<std::string> expected;
    for (const auto& n : names) expected.push_back(n + ": Graphic window #0 not initialized.");
    for (const auto& n : names) expected.push_back(n + ": Window is not a graphic window.");
    for (const auto& n : names) expected.push_back(n + ": Graphic window #3 not initialized.");
    std::vector<std::string> lines;
    for (const std::string& line : log.Lines())
        if (line.rfind("g_", 0) == 0) lines.push_back(line);
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(At(0, 3), (Bytes{0, 0, 0}));
}

TEST_F(GraphicsTest, PlotOutsideTheWindowLeavesPixelsAndPen) {
    Open(24);
    Win().RGBColor = PaletteColor(15);
    g_Plot(0, 7, 3);
    ASSERT_EQ(Pen(), (Point{7, 3}));
    const std::vector<UInt8> before(Pixels(), Pixels() + RowBytes(24) * Height);
    LogCapture log;
    const Point outside[] = {{Width, 0}, {0, Height}, {-1, 0}, {0, -1}, {MaxInt, MaxInt}, {MinInt, 5}};
    for (const Point& p : outside) g_Plot(0, p.first, p.second);
    EXPECT_EQ(Pen(), (Point{7, 3}));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), Pixels()));
    EXPECT_TRUE(log.Lines().empty());
    g_Plot(0, Width - 1, Height - 1);  // the last pixel is inside
    EXPECT_EQ(Pen(), (Point{Width - 1, Height - 1}));
    EXPECT_EQ(At((Height * Width - 1) * 3, 3), (Bytes{255, 255, 255}));
}

TEST_F(GraphicsTest, OneBitPlotSetsTheBitForForegroundNineAndAbove) {
    Open(1);
    const struct {
        UInt8 colour;
        int byte;  // pixel (10, 2) lives in byte 1 + 8 * 2, bit 5
    } cases[] = {{0xC0, 0x20}, {0x80, 0x00}, {0x90, 0x20}, {0x8F, 0x00}, {0xF0, 0x20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colour);
        Win().TextColor = c.colour;
        g_Plot(0, 10, 2);
        EXPECT_EQ(Pixels()[17], c.byte);
        EXPECT_EQ(g_Scrn(0, 10, 2), PaletteColor(c.byte ? 15 : 0));
    }
    // Clearing keeps the neighbouring bits.
    Pixels()[17] = 0xFF;
    Win().TextColor = 0x80;
    g_Plot(0, 10, 2);
    EXPECT_EQ(Pixels()[17], 0xDF);
    EXPECT_EQ(Pen(), (Point{10, 2}));
    EXPECT_EQ(g_Scrn(0, 11, 2), PaletteColor(15));
}

TEST_F(GraphicsTest, FourBitPlotWritesOnlyItsNibble) {
    Open(4);
    Win().TextColor = 0xC3;
    UInt8* row1 = Pixels() + RowBytes(4);
    row1[3] = 0x5A;
    g_Plot(0, 6, 1);  // even x: high nibble of byte 3
    EXPECT_EQ(row1[3], 0xCA);
    Win().TextColor = 0x1E;
    g_Plot(0, 7, 1);  // odd x: low nibble gets the foreground
    EXPECT_EQ(row1[3], 0xC1);
    EXPECT_EQ(g_Scrn(0, 6, 1), PaletteColor(12));
    EXPECT_EQ(g_Scrn(0, 7, 1), PaletteColor(1));
    EXPECT_EQ(row1[2], 0);
    EXPECT_EQ(row1[4], 0);
}

TEST_F(GraphicsTest, GreyDepthsStoreTheGreyOfTheDrawingColour) {
    Open(8);
    Win().RGBColor = {0x40, 255, 128, 0};  // grey 383 / 3 = 127
    g_Plot(0, 5, 2);
    EXPECT_EQ(Pixels()[2 * Width + 5], 127);
    EXPECT_EQ(g_Scrn(0, 5, 2), (t_RGBColor{0, 127, 127, 127}));  // alpha 0 at 8 bit

    Reopen(16);
    Win().RGBColor = {0x40, 255, 128, 0};
    g_Plot(0, 5, 2);
    EXPECT_EQ(At((2 * Width + 5) * 2, 2), (Bytes{0x40, 127}));
    EXPECT_EQ(g_Scrn(0, 5, 2), (t_RGBColor{0x40, 127, 127, 127}));
    EXPECT_EQ(g_Scrn(0, 6, 2), (t_RGBColor{0, 0, 0, 0}));
}

TEST_F(GraphicsTest, TrueColourDrawingModes) {
    // C = alpha 64, (200, 100, 15); P = alpha 17, (50, 240, 60).
    const t_RGBColor colour{64, 200, 100, 15};
    const struct {
        Int depth, mode;
        Bytes after;
    } cases[] = {
        {24, 0, {200, 100, 15}},
        {24, 1, {125, 170, 37}},
        {24, 2, {200, 100, 15}},
        {24, 3, {200, 100, 15}},
        {24, 4, {125, 170, 37}},
        {24, 5, {0, 96, 12}},
        {24, 6, {250, 244, 63}},
        {24, 7, {250, 148, 51}},
        {24, 8, {50, 240, 60}},
        {24, -1, {50, 240, 60}},
        {32, 0, {64, 200, 100, 15}},
        // 60 * 191 / 255 + 15 * 64 / 255 = 44 + 3; one division would give 48.
        {32, 1, {17, 87, 204, 47}},
        {32, 2, {255, 200, 100, 15}},
        {32, 3, {17, 200, 100, 15}},
        {32, 4, {17, 125, 170, 37}},
        {32, 5, {17, 0, 96, 12}},
        {32, 6, {17, 250, 244, 63}},
        {32, 7, {17, 250, 148, 51}},
        {32, 8, {17, 50, 240, 60}},
        {32, 100, {17, 50, 240, 60}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.depth) + " mode " + std::to_string(c.mode));
        Reopen(c.depth);
        const Int size = c.depth / 8, offset = (3 * Width + 9) * size;
        const Bytes before = c.depth == 32 ? Bytes{17, 50, 240, 60} : Bytes{50, 240, 60};
        for (Int i = 0; i < size; ++i) Pixels()[offset + i] = static_cast<UInt8>(before[i]);
        Win().RGBColor = colour;
        Win().DrawingMode = c.mode;
        g_Plot(0, 9, 3);
        EXPECT_EQ(At(offset, size), c.after);
        EXPECT_EQ(Pen(), (Point{9, 3}));  // also when nothing was written
        const t_RGBColor read = g_Scrn(0, 9, 3);
        const Bytes seen = c.depth == 32 ? Bytes{read.Alpha, read.Red, read.Green, read.Blue}
                                         : Bytes{read.Red, read.Green, read.Blue};
        EXPECT_EQ(seen, c.after);
        if (c.depth == 24) {
            EXPECT_EQ(read.Alpha, 255);
        }
        const Bytes cleared = c.depth == 32 ? Bytes{255, 0, 0, 0} : Bytes{0, 0, 0};
        EXPECT_EQ(At(offset + size, size), cleared);  // the next pixel is untouched
    }
}

TEST_F(GraphicsTest, ExclusiveOrTwiceRestoresThePixel) {
    for (const Int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        Reopen(depth);
        const Int size = depth / 8;
        for (Int i = 0; i < size; ++i) Pixels()[i] = static_cast<UInt8>(0x35 + 0x22 * i);
        const Bytes original = At(0, size);
        Win().RGBColor = {9, 0xA5, 0x0F, 0xF0};
        Win().DrawingMode = 7;
        g_Plot(0, 0, 0);
        EXPECT_NE(At(0, size), original);
        g_Plot(0, 0, 0);
        EXPECT_EQ(At(0, size), original);
    }
}

TEST_F(GraphicsTest, IllegalBitDepthIsReportedByPlot) {
    Open(24);
    g_Plot(0, 2, 2);
    Win().BitDepth = 12;
    LogCapture log;
    g_Plot(0, 4, 4);
    g_Plot(0, 100, 4);  // outside: skipped before the depth is looked at
    g_Line(0, 0, 0, 1, 0);
    g_ClearScreen(0, 15, 0);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "g_Plot: Illegal bit depth (12).",
                               "g_Plot: Illegal bit depth (12).",
                               "g_Plot: Illegal bit depth (12).",
                           }));
    EXPECT_EQ(Pen(), (Point{2, 2}));
    EXPECT_EQ(g_Scrn(0, 0, 0), (t_RGBColor{255, 0, 0, 0}));
    Win().BitDepth = 24;
    EXPECT_EQ(At(0, 6), (Bytes{0, 0, 0, 0, 0, 0}));
}

TEST_F(GraphicsTest, LinesFollowTheSteppingRule) {
    const struct {
        Int x1, y1, x2, y2;
        Points points;
    } cases[] = {
        {0, 0, 3, 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {3, 1, 0, 0, {{3, 1}, {2, 1}, {1, 0}, {0, 0}}},
        {5, 5, 5, 5, {{5, 5}}},
        {2, 0, 2, 3, {{2, 0}, {2, 1}, {2, 2}, {2, 3}}},
        {0, 0, 2, 1, {{0, 0}, {1, 1}, {2, 1}}},  // y = 0.5 rounds up
        {1, 1, 4, 4, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}},
        {0, 9, 4, 0, {{0, 9}, {0, 8}, {1, 7}, {1, 6}, {2, 5}, {2, 4}, {3, 3}, {3, 2}, {4, 1}, {4, 0}}},
        // Positions are truncated after adding one half: x = -1 lands on 0.
        {-2, 0, 2, 4, {{0, 1}, {0, 2}, {1, 3}, {2, 4}}},
        {60, 0, 70, 0, {{60, 0}, {61, 0}, {62, 0}, {63, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x1) + "," + std::to_string(c.y1) + " - " + std::to_string(c.x2) + "," +
                     std::to_string(c.y2));
        OpenForLines();
        g_Line(0, c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(Lit(), c.points);
    }
}

TEST_F(GraphicsTest, LinePenEndsAtTheLastPlottedPoint) {
    OpenForLines();
    g_Line(0, 0, 0, 3, 1);
    EXPECT_EQ(Pen(), (Point{3, 1}));
    g_Line(0, 60, 5, 70, 5);  // the end is outside: the pen stays on the last inside point
    EXPECT_EQ(Pen(), (Point{63, 5}));
    g_Line(0, -5, -5, -1, -9);  // nothing inside
    EXPECT_EQ(Pen(), (Point{63, 5}));
}

TEST_F(GraphicsTest, LineToStartsAtThePen) {
    OpenForLines();
    g_Plot(0, 1, 1);
    g_LineTo(0, 4, 1);
    g_LineTo(0, 4, 3);
    EXPECT_EQ(Lit(), (Points{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}}));
    EXPECT_EQ(Pen(), (Point{4, 3}));
}

TEST_F(GraphicsTest, ExclusiveOrLinePlotsEachPointOnce) {
    Open(24);
    Win().RGBColor = PaletteColor(15);
    Win().DrawingMode = 7;
    g_Line(0, 0, 0, 3, 0);
    for (Int x = 0; x <= 3; ++x) EXPECT_EQ(g_Scrn(0, x, 0), PaletteColor(15)) << x;
    EXPECT_EQ(g_Scrn(0, 4, 0), PaletteColor(0));
}

Points Row(Int y, Int from, Int to) {
    Points p;
    for (Int x = from; x <= to; ++x) p.insert({x, y});
    return p;
}

Points Column(Int x, Int from, Int to) {
    Points p;
    for (Int y = from; y <= to; ++y) p.insert({x, y});
    return p;
}

Points Diagonal(Int count) {
    Points p;
    for (Int i = 0; i < count; ++i) p.insert({i, i});
    return p;
}

TEST_F(GraphicsTest, HugeLinesFinishAndPlotOnlyTheirPointsInTheWindow) {
    const Int far = 1'000'000'000'000'000;  // 1e15
    const struct {
        Int x1, y1, x2, y2;
        Points points;
        Point pen;
    } cases[] = {
        {-far, 5, far, 5, Row(5, 0, Width - 1), {Width - 1, 5}},
        {far, 5, -far, 5, Row(5, 0, Width - 1), {0, 5}},
        {3, -far, 3, far, Column(3, 0, Height - 1), {3, Height - 1}},
        {MinInt, MinInt, MaxInt, MaxInt, Diagonal(Height), {Height - 1, Height - 1}},
        {MaxInt, 0, MinInt, 0, Row(0, 0, Width - 1), {0, 0}},
        {MinInt, 7, MaxInt, 7, Row(7, 0, Width - 1), {Width - 1, 7}},
        // The rise over the window is far below a pixel.
        {-(Int{1} << 40), 0, Int{1} << 40, 32, Row(16, 0, Width - 1), {Width - 1, 16}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x1) + "," + std::to_string(c.y1) + " - " + std::to_string(c.x2) + "," +
                     std::to_string(c.y2));
        OpenForLines();
        const auto started = std::chrono::steady_clock::now();
        g_Line(0, c.x1, c.y1, c.x2, c.y2);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        EXPECT_EQ(Lit(), c.points);
        EXPECT_EQ(Pen(), c.pen);
    }
}

TEST_F(GraphicsTest, LongLinesMatchShortLinesOfTheSameSlope) {
    // Slopes that are exact binary fractions step without rounding noise, so
    // a line of millions of steps must light the same pixels as a short one.
    // The centres put a step at -1 just before the window's edge, which
    // rounds onto the edge.
    const struct {
        Int dx, dy;
    } slopes[] = {{2, 1}, {4, -1}, {-2, 1}, {1, 4}, {-1, -2}, {1, -2}, {1, 1}};
    const Point centres[] = {{20, 16}, {0, 12}, {12, 0}};
    for (const auto& s : slopes) {
        for (const Point& c : centres) {
            SCOPED_TRACE(std::to_string(s.dx) + "/" + std::to_string(s.dy) + " through " +
                         std::to_string(c.first) + "," + std::to_string(c.second));
            auto draw = [&](Int k) {
                OpenForLines();
                g_Line(0, c.first - k * s.dx, c.second - k * s.dy, c.first + k * s.dx, c.second + k * s.dy);
                return Lit();
            };
            const Points shortLine = draw(64);
            ASSERT_GT(shortLine.size(), 8u);
            EXPECT_EQ(draw(Int{1} << 22), shortLine);
        }
    }
}

TEST_F(GraphicsTest, ClearScreenFillsEachDepth) {
    const struct {
        Int depth, colour;
        Bytes pixel;  // the bytes of one row's start
    } cases[] = {
        {1, 9, {0xFF}},
        {1, 0, {0x00}},
        {1, -3, {0x00}},
        {4, 9, {0x99}},
        {4, 0x12, {0x22}},
        {8, 9, {127}},
        {8, 16, {0}},  // outside the palette: black
        {16, 9, {0xFF, 127}},
        {24, 9, {255, 128, 0}},
        {32, 9, {0xFF, 255, 128, 0}},
        {32, 0, {0xFF, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        for (const Int rows : {Int{0}, Int{10}, Height, Height + 5, Int{-4}}) {
            SCOPED_TRACE("depth " + std::to_string(c.depth) + " colour " + std::to_string(c.colour) + " rows " +
                         std::to_string(rows));
            Reopen(c.depth);
            const Int rowBytes = RowBytes(c.depth);
            std::memset(Pixels(), 0x5A, static_cast<std::size_t>(rowBytes * Height));
            g_ClearScreen(0, c.colour, rows);
            const Int filled = rows == 10 ? 10 : Height;
            Bytes expectedRow;
            while (static_cast<Int>(expectedRow.size()) < rowBytes)
                expectedRow.insert(expectedRow.end(), c.pixel.begin(), c.pixel.end());
            for (Int y = 0; y < filled; ++y) ASSERT_EQ(At(y * rowBytes, rowBytes), expectedRow) << "row " << y;
            for (Int y = filled; y < Height; ++y) ASSERT_EQ(At(y * rowBytes, rowBytes), Bytes(rowBytes, 0x5A));
            EXPECT_EQ(Pen(), (Point{0, 0}));
        }
    }
}

TEST_F(GraphicsTest, ScrnOutsideGivesOpaqueBlack) {
    Open(8);
    std::memset(Pixels(), 0x80, static_cast<std::size_t>(Width * Height));
    const Point outside[] = {{-1, 0}, {0, -1}, {Width, 0}, {0, Height}, {MinInt, MaxInt}};
    for (const Point& p : outside) EXPECT_EQ(g_Scrn(0, p.first, p.second), (t_RGBColor{255, 0, 0, 0}));
    EXPECT_EQ(g_Scrn(0, Width - 1, Height - 1), (t_RGBColor{0, 0x80, 0x80, 0x80}));
}

TEST_F(GraphicsTest, ScrnReadsEachDepthAsStored) {
    const struct {
        Int depth;
        Bytes stored;  // the bytes at the start of row 1
        Int x;
        t_RGBColor seen;
    } cases[] = {
        {1, {0x40}, 1, PaletteColor(15)},
        {1, {0x40}, 2, PaletteColor(0)},
        {4, {0x7B}, 0, PaletteColor(7)},
        {4, {0x7B}, 1, PaletteColor(11)},
        {8, {0x33}, 0, {0, 0x33, 0x33, 0x33}},
        {16, {0x44, 0x99}, 0, {0x44, 0x99, 0x99, 0x99}},
        {24, {1, 2, 3}, 0, {255, 1, 2, 3}},
        {32, {4, 5, 6, 7}, 0, {4, 5, 6, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.depth) + " x " + std::to_string(c.x));
        Reopen(c.depth);
        UInt8* row1 = Pixels() + RowBytes(c.depth);
        for (std::size_t i = 0; i < c.stored.size(); ++i) row1[i] = static_cast<UInt8>(c.stored[i]);
        EXPECT_EQ(g_Scrn(0, c.x, 1), c.seen);
    }
}

}  // namespace
