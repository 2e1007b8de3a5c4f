#include "screen/graphics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/log.h"
#include "screen/pixels.h"
#include "screen/window.h"

namespace {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;
using UInt64 = std::uint64_t;

// Lines up to this many steps are stepped literally in floating point; longer
// ones are clipped to the window and stepped exactly (see StepClipped).
constexpr UInt64 LiteralStepLimit = UInt64{1} << 20;

// Doubles beyond this are far outside any window and are not converted.
constexpr double FarCoordinate = 4611686018427387904.0;  // 2^62

t_Window* GraphicWindow(const char* op, UInt8 w) {
    if (w >= GraphicWindowCount) {
        LogLine(std::string(op) + ": Window is not a graphic window.");
        return nullptr;
    }
    if (!WindowReady(w)) {
        LogLine(std::string(op) + ": Graphic window #" + std::to_string(w) + " not initialized.");
        return nullptr;
    }
    return &Screen().WindowTable[w];
}

UInt8 Grey(const t_RGBColor& c) { return static_cast<UInt8>((c.Red + c.Green + c.Blue) / 3); }

bool Inside(const t_Window& win, Int x, Int y) { return x >= 0 && y >= 0 && x < win.Width && y < win.Height; }

// The first byte of pixel (x, y), which the caller has found inside the
// window; null when a damaged record would point outside the block.
UInt8* PixelAddress(const t_Window& win, Int x, Int y) {
    const Int depth = win.BitDepth;
    const Int rowBytes = GraphicRowBytes(depth, win.Width);
    if (rowBytes < 0) return nullptr;
    const Int start = win.MemoryStart;
    const Int address = start + y * rowBytes + PixelOffset(depth, x);
    std::vector<UInt8>& memory = Screen().VideoMemory;
    const Int last = address + PixelBytes(depth) - 1;
    if (start < 0 || last > win.MemoryEnd || last >= static_cast<Int>(memory.size())) return nullptr;
    return memory.data() + address;
}

// Combines colour c with the pixel at p (24 bit: red, green, blue; 32 bit:
// alpha first) by drawing mode.
void WriteTrueColour(UInt8* p, Int depth, Int mode, const t_RGBColor& c) {
    UInt8* alpha = depth == 32 ? p : nullptr;
    UInt8* rgb = depth == 32 ? p + 1 : p;
    const std::array<int, 3> colour{c.Red, c.Green, c.Blue};
    auto each = [&](auto combine) {
        for (int i = 0; i < 3; ++i) rgb[i] = static_cast<UInt8>(combine(colour[i], int{rgb[i]}));
    };
    switch (mode) {
        case 0:
        case 2:
        case 3:
            if (alpha && mode == 0) *alpha = c.Alpha;
            if (alpha && mode == 2) *alpha = 255;
            each([](int col, int) { return col; });
            break;
        case 1:
            if (alpha) {
                const int a = c.Alpha;
                each([a](int col, int pix) { return pix * (255 - a) / 255 + col * a / 255; });
            } else {
                each([](int col, int pix) { return (col + pix) / 2; });
            }
            break;
        case 4: each([](int col, int pix) { return (col + pix) / 2; }); break;
        case 5: each([](int col, int pix) { return col & pix; }); break;
        case 6: each([](int col, int pix) { return col | pix; }); break;
        case 7: each([](int col, int pix) { return col ^ pix; }); break;
        default: break;  // other modes leave the pixel as it is
    }
}

// g_Plot after the window checks.
void PlotPixel(t_Window& win, Int x, Int y) {
    if (!Inside(win, x, y)) return;
    const Int depth = win.BitDepth;
    if (GraphicRowBytes(depth, win.Width) < 0) {
        LogLine("g_Plot: Illegal bit depth (" + std::to_string(depth) + ").");
        return;
    }
    ForgetDrawnCells(win);
    UInt8* p = PixelAddress(win, x, y);
    if (!p) return;
    switch (depth) {
        case 1: SetPackedPixel(*p, depth, x, win.TextColor >= 0x90 ? 1 : 0); break;
        case 4: SetPackedPixel(*p, depth, x, win.TextColor >> 4); break;
        case 8: *p = Grey(win.RGBColor); break;
        case 16:
            p[0] = win.RGBColor.Alpha;
            p[1] = Grey(win.RGBColor);
            break;
        default: WriteTrueColour(p, depth, win.DrawingMode, win.RGBColor); break;
    }
    win.PositionX = x;
    win.PositionY = y;
}

// trunc(v + 0.5) of a floating line position; positions too large for an Int
// become -1, which is outside every window as they are.
Int PixelOf(double v) {
    const double t = std::trunc(v + 0.5);
    if (!(t >= -FarCoordinate && t <= FarCoordinate)) return -1;
    return static_cast<Int>(t);
}

// trunc(v + 0.5) of the exact position v = m + g / steps, 0 <= g < steps.
Int PixelOf(Int128 m, UInt64 g, UInt64 steps) {
    Int128 whole = m;  // integer part of v + 0.5
    bool noFraction = false;
    if (g >= steps - g) {  // the fraction of v is at least one half
        whole = m + 1;
        noFraction = g == steps - g;
    }
    // Truncation rounds a negative value with a fraction up towards zero.
    const Int128 t = whole >= 0 || noFraction ? whole : whole + 1;
    const Int128 lowest = INT64_MIN, highest = INT64_MAX;
    return static_cast<Int>(std::clamp(t, lowest, highest));
}

struct LineEnds {
    Int X1, Y1, X2, Y2;
};

// The stepping rule itself: floating positions, increments added before each
// point after the first.
void StepLiteral(t_Window& win, const LineEnds& e, UInt64 steps) {
    const double n = static_cast<double>(steps);
    const double dx = static_cast<double>(e.X2 - e.X1) / n;
    const double dy = static_cast<double>(e.Y2 - e.Y1) / n;
    double x = static_cast<double>(e.X1), y = static_cast<double>(e.Y1);
    for (UInt64 i = 0; i < steps; ++i) {
        if (i > 0) {
            x += dx;
            y += dy;
        }
        PlotPixel(win, PixelOf(x), PixelOf(y));
    }
}

// A line too long to step through: along its longer axis each step moves
// exactly one pixel, so only the steps whose position there rounds into the
// window (-1 rounds to 0) are visited; the other axis is computed exactly
// as start + i * delta / steps.
void StepClipped(t_Window& win, const LineEnds& e, UInt64 steps, bool xMajor) {
    const Int128 a1 = xMajor ? e.X1 : e.Y1, a2 = xMajor ? e.X2 : e.Y2;
    const Int128 b1 = xMajor ? e.Y1 : e.X1, b2 = xMajor ? e.Y2 : e.X2;
    const Int128 extent = xMajor ? win.Width.Load() : win.Height.Load();
    const bool forward = a2 > a1;
    Int128 first = forward ? -1 - a1 : a1 - (extent - 1);
    Int128 last = forward ? extent - 1 - a1 : a1 + 1;
    first = std::max<Int128>(first, 0);
    last = std::min<Int128>(last, static_cast<Int128>(steps) - 1);
    const Int128 delta = b2 - b1;
    const UInt128 size = static_cast<UInt128>(delta < 0 ? -delta : delta);
    for (Int128 i = first; i <= last; ++i) {
        const Int a = PixelOf(forward ? a1 + i : a1 - i, 0, steps);
        const UInt128 travelled = static_cast<UInt128>(i) * size;
        const Int128 whole = static_cast<Int128>(travelled / steps);
        const UInt64 rest = static_cast<UInt64>(travelled % steps);
        Int b;
        if (delta >= 0)
            b = PixelOf(b1 + whole, rest, steps);
        else if (rest == 0)
            b = PixelOf(b1 - whole, 0, steps);
        else
            b = PixelOf(b1 - whole - 1, steps - rest, steps);
        if (xMajor)
            PlotPixel(win, a, b);
        else
            PlotPixel(win, b, a);
    }
}

UInt64 Distance(Int from, Int to) {
    return to >= from ? static_cast<UInt64>(to) - static_cast<UInt64>(from)
                      : static_cast<UInt64>(from) - static_cast<UInt64>(to);
}

void DrawLine(t_Window& win, const LineEnds& e) {
    const UInt64 across = Distance(e.X1, e.X2), down = Distance(e.Y1, e.Y2);
    const UInt64 steps = std::max(across, down);
    if (steps > 0) {
        if (steps <= LiteralStepLimit)
            StepLiteral(win, e, steps);
        else
            StepClipped(win, e, steps, across >= down);
    }
    PlotPixel(win, e.X2, e.Y2);
}

}  // namespace

void g_ClearScreen(UInt8 w, Int colour, Int rows) {
    t_Window* win = GraphicWindow("g_ClearScreen", w);
    if (!win) return;
    const Int depth = win->BitDepth, height = win->Height;
    const Int rowBytes = GraphicRowBytes(depth, win->Width);
    if (rowBytes < 0) return;
    if (rows < 1 || rows >= height) rows = height;
    const t_RGBColor c = PaletteColor(colour);
    std::array<UInt8, 4> pattern{};
    switch (depth) {
        case 1: pattern[0] = colour > 0 ? 0xFF : 0; break;
        case 4: pattern[0] = static_cast<UInt8>((static_cast<UInt64>(colour) << 4) + (colour & 15)); break;
        case 8: pattern[0] = Grey(c); break;
        case 16: pattern = {0xFF, Grey(c)}; break;
        case 24: pattern = {c.Red, c.Green, c.Blue}; break;
        default: pattern = {0xFF, c.Red, c.Green, c.Blue}; break;
    }
    const Int start = win->MemoryStart, count = rows * rowBytes;
    std::vector<UInt8>& memory = Screen().VideoMemory;
    if (start < 0 || start + count - 1 > win->MemoryEnd || start + count > static_cast<Int>(memory.size())) return;
    ForgetDrawnCells(*win);
    const Int unit = PixelBytes(depth);
    UInt8* p = memory.data() + start;
    for (Int i = 0; i < count; ++i) p[i] = pattern[static_cast<std::size_t>(i % unit)];
}

void g_Plot(UInt8 w, Int x, Int y) {
    t_Window* win = GraphicWindow("g_Plot", w);
    if (win) PlotPixel(*win, x, y);
}

t_RGBColor g_Scrn(UInt8 w, Int x, Int y) {
    const t_Window* win = GraphicWindow("g_Scrn", w);
    if (!win || !Inside(*win, x, y)) return {};
    const UInt8* p = PixelAddress(*win, x, y);
    if (!p) return {};
    return ReadPixel(p, win->BitDepth, x);
}

void g_Line(UInt8 w, Int x1, Int y1, Int x2, Int y2) {
    t_Window* win = GraphicWindow("g_Line", w);
    if (win) DrawLine(*win, {x1, y1, x2, y2});
}

void g_LineTo(UInt8 w, Int x, Int y) {
    t_Window* win = GraphicWindow("g_LineTo", w);
    if (win) DrawLine(*win, {win->PositionX, win->PositionY, x, y});
}
