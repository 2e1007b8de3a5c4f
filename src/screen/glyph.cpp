#include "screen/glyph.h"

#include <array>
#include <bit>
#include <chrono>
#include <cstring>
#include <new>
#include <string>

#include "platform/current_platform.h"
#include "platform/log.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "runtime/text.h"
#include "screen/font.h"
#include "screen/pixels.h"
#include "screen/window_memory.h"

namespace {

// What a glyph byte g becomes on every kind of pixel for one ink/paper pair.
struct Blend {
    UInt8 Red, Green, Blue;  // 24 and 32 bit
    UInt8 Grey;              // 8 and 16 bit
    UInt8 Nibble;            // 4 bit palette index
    UInt8 Bit;               // 1 bit
};

int Distance(const t_RGBColor& c, int r, int g, int b) {
    const int dr = c.Red - r, dg = c.Green - g, db = c.Blue - b;
    return dr * dr + dg * dg + db * db;
}

UInt8 NearestPaletteIndex(int r, int g, int b) {
    if (r == g && g == b) {
        const int sum = r + g + b;
        return sum < 192 ? 0 : sum < 384 ? 5 : sum < 576 ? 10 : 15;
    }
    UInt8 best = 0;
    int bestDistance = 65535;
    for (int i = 0; i < PaletteSize; ++i) {
        const int d = Distance(PaletteColor(i), r, g, b);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<UInt8>(i);
        }
    }
    return best;
}

int Mix(int paper, int ink, int g) { return (255 - g) * paper / 255 + g * ink / 255; }

Blend MakeBlend(int ink, int paper, int g) {
    const t_RGBColor i = PaletteColor(ink);
    const t_RGBColor p = PaletteColor(paper);
    const int r = Mix(p.Red, i.Red, g);
    const int gr = Mix(p.Green, i.Green, g);
    const int b = Mix(p.Blue, i.Blue, g);
    const int inkGrey = (i.Red + i.Green + i.Blue) / 3;
    const int paperGrey = (p.Red + p.Green + p.Blue) / 3;
    Blend e{};
    e.Red = static_cast<UInt8>(r);
    e.Green = static_cast<UInt8>(gr);
    e.Blue = static_cast<UInt8>(b);
    e.Grey = static_cast<UInt8>(Mix(paperGrey, inkGrey, g));
    e.Nibble = NearestPaletteIndex(r, gr, b);
    e.Bit = (r + gr + b) / 3 >= 128 ? 1 : 0;
    return e;
}

using BlendRow = std::array<Blend, 256>;

// One row of 256 blends for each colour byte (ink * 16 + paper), built once.
const BlendRow& BlendFor(UInt8 colour) {
    static const std::array<BlendRow, 256> table = [] {
        std::array<BlendRow, 256> t{};
        for (int c = 0; c < 256; ++c)
            for (int g = 0; g < 256; ++g) t[c][g] = MakeBlend(c >> 4, c & 15, g);
        return t;
    }();
    return table[colour];
}

void NotGraphic(const char* op) { LogLine(std::string(op) + ": Window is not a graphic window."); }

void NotInitialized(const char* op, UInt8 w) {
    LogLine(std::string(op) + ": Window #" + std::to_string(w) + " not initialized.");
}

bool TextReady(UInt8 w) { return WindowReady(w) && Screen().WindowTable[w].HasText(); }

// The window an operation works on, or nullptr with the log line that says
// why: colour operations need an initialised graphic window, symbols one
// with text as well.
t_Window* CheckedWindow(const char* op, UInt8 w, bool withText = false) {
    if (w >= GraphicWindowCount) {
        NotGraphic(op);
        return nullptr;
    }
    if (!(withText ? TextReady(w) : WindowReady(w))) {
        NotInitialized(op, w);
        return nullptr;
    }
    return &Screen().WindowTable[w];
}


bool BlankRow(const UInt8* grey, Int count) {
    UInt8 any = 0;
    for (Int i = 0; i < count; ++i) any |= grey[i];
    return any == 0;
}

// Most cells of a sheet are blank, and so are the top and bottom rows of
// most glyphs: on the main screen's 24-bit memory such a row is copied
// whole from one row of paper pixels instead of being blended pixel by pixel.
constexpr Int MaxFastRowPixels = 32;

// Writes the glyph's pixels; the caller has checked that the cell lies
// inside the window and that the glyph lies inside the font data.
void DrawGlyph(t_Window& win, const UInt8* glyph, UInt8 colour, Int x, Int y) {
    const BlendRow& blend = BlendFor(colour);
    const Int fw = win.Font.Width, fh = win.Font.Height;
    const Int width = win.Width;
    const Int left = (x - 1) * fw, top = (y - 1) * fh;
    UInt8* base = Screen().VideoMemory.data() + win.MemoryStart.Load();
    const Int depth = win.BitDepth;
    const bool fastRows = depth == 24 && fw <= MaxFastRowPixels;
    std::array<UInt8, MaxFastRowPixels * 3> paper{};
    if (fastRows)
        for (Int gx = 0; gx < fw; ++gx) {
            paper[gx * 3] = blend[0].Red;
            paper[gx * 3 + 1] = blend[0].Green;
            paper[gx * 3 + 2] = blend[0].Blue;
        }
    for (Int gy = 0; gy < fh; ++gy) {
        const UInt8* src = glyph + gy * fw;
        const Int py = top + gy;
        if (fastRows && BlankRow(src, fw)) {
            std::memcpy(base + (py * width + left) * 3, paper.data(), static_cast<std::size_t>(fw * 3));
            continue;
        }
        switch (depth) {
            case 24:
            case 32: {
                // 32-bit pixels lead with an alpha byte that stays as it is.
                const Int size = depth / 8;
                UInt8* dst = base + (py * width + left) * size + (size - 3);
                for (Int gx = 0; gx < fw; ++gx, dst += size) {
                    const Blend& e = blend[src[gx]];
                    dst[0] = e.Red;
                    dst[1] = e.Green;
                    dst[2] = e.Blue;
                }
                break;
            }
            case 8: {
                UInt8* dst = base + py * width + left;
                for (Int gx = 0; gx < fw; ++gx) dst[gx] = blend[src[gx]].Grey;
                break;
            }
            case 16: {
                UInt8* dst = base + (py * width + left) * 2;
                for (Int gx = 0; gx < fw; ++gx) dst[gx * 2 + 1] = blend[src[gx]].Grey;
                break;
            }
            case 1:
            case 4: {
                UInt8* row = base + py * GraphicRowBytes(depth, width);
                for (Int gx = 0; gx < fw; ++gx) {
                    const Int px = left + gx;
                    const Blend& e = blend[src[gx]];
                    SetPackedPixel(row[PixelOffset(depth, px)], depth, px, depth == 1 ? e.Bit : e.Nibble);
                }
                break;
            }
            default: return;
        }
    }
}

// Draws the glyph of c; false when the font has none to draw, so the cell's
// pixels stay as they were.
bool DrawSymbol(t_Window& win, UInt8 c, UInt8 colour, Int x, Int y) {
    const t_Font& font = win.Font;
    if (c < font.Start || c > font.End) return false;
    const Int glyphSize = font.Width * font.Height;
    if (font.Format == FontFormatGrey) {
        // A font shorter than it claims simply lacks the glyph.
        if (static_cast<Int>(font.Data.size()) < (c + 1) * glyphSize) return false;
        DrawGlyph(win, font.Data.data() + c * glyphSize, colour, x, y);
        return true;
    }
    if (font.Format == FontFormatPlain || font.Format == FontFormatPlainCompressed ||
        font.Format == FontFormatGreyCompressed) {
        LogLine("t_PrintSymbol: Font format must be uncompressed grey for text-printing.");
    } else {
        LogLine("t_PrintSymbol: Illegal font format.");
    }
    return false;
}

}  // namespace

void t_Color(UInt8 w, Int foreground) {
    t_Window* win = CheckedWindow("t_Color", w);
    if (!win) return;
    win->TextColor = static_cast<UInt8>(foreground * 16 + (win->TextColor & 15));
    win->RGBColor = PaletteColor(foreground & 15);
}

void t_Color(UInt8 w, Int foreground, Int background) {
    t_Window* win = CheckedWindow("t_Color", w);
    if (!win) return;
    win->TextColor = static_cast<UInt8>(foreground * 16 + (background & 15));
    win->RGBColor = PaletteColor(foreground & 15);
}

void t_Color(UInt8 w, ColorByte colour) {
    t_Window* win = CheckedWindow("t_Color", w);
    if (!win) return;
    win->TextColor = colour.Value;
    win->RGBColor = PaletteColor(colour.Value / 16);
}

UInt8 t_GetColor(UInt8 w) {
    const t_Window* win = CheckedWindow("t_GetColor", w);
    return win ? win->TextColor : 0;
}

void t_ColorBorder(UInt8 w, Int colour) {
    t_Window* win = CheckedWindow("t_ColorBorder", w);
    if (!win) return;
    const t_RGBColor c = PaletteColor(colour & 15);
    win->RGBColorBorder = c;
    const HostColor host{c.Red / 255.0, c.Green / 255.0, c.Blue / 255.0, c.Alpha / 255.0};
    Platform& p = CurrentPlatform();
    p.RunOnGui([&] { p.SetWindowBackground(w, host); });
}

void t_PrintSymbol(UInt8 w, UInt8 c, UInt8 colour, Int x, Int y) {
    if (w >= GraphicWindowCount) {
        NotGraphic("t_PrintSymbol");
        return;
    }
    t_Window& win = Screen().WindowTable[w];
    const Int redirect = win.TextRedirectOutput;
    if (redirect == 2) {
        ConsoleWrite(Utf8(static_cast<char32_t>(c)));
        return;
    }
    if (redirect != 1) return;
    if (!TextReady(w) || !win.Font.HasGlyphs()) {
        NotInitialized("t_PrintSymbol", w);
        return;
    }
    UInt8 ink = colour >> 4, paper = colour & 15;
    if (win.TextInverse) std::swap(ink, paper);
    const t_Font& font = win.Font;
    // Cells left of or above the window would be drawn outside it as well.
    if (x < 1 || y < 1 || font.Width * x > win.Width || font.Height * y > win.Height) {
        LogLine("t_PrintSymbol: Window #" + std::to_string(w) + " illegal coordinates (x = " + std::to_string(x) +
                ", y = " + std::to_string(y) + ").");
        return;
    }
    const UInt8 drawn = static_cast<UInt8>(ink * 16 + paper);
    const Int offset = (y - 1) * win.TextWidth + (x - 1);
    std::vector<std::uint32_t>& cells = win.DrawnCells;
    const std::size_t cellCount = static_cast<std::size_t>(win.TextWidth * win.TextHeight);
    if (cells.size() != cellCount) cells.assign(cellCount, 0);
    const std::uint32_t shown = (1u << 16) | (std::uint32_t{drawn} << 8) | c;
    std::uint32_t& cell = cells[static_cast<std::size_t>(offset)];
    if (cell != shown) {
        cell = DrawSymbol(win, c, drawn, x, y) ? shown : 0;
        PixelsChanged(win);
    }
    UInt8* text = Screen().VideoMemory.data() + win.TextMemoryStart;
    const Int half = (win.TextMemoryEnd - win.TextMemoryStart + 1) / 2;
    text[offset] = c;
    text[half + offset] = drawn;
}

void t_PrintSymbol(UInt8 w, UInt8 c) {
    if (const t_Window* win = CheckedWindow("t_PrintSymbol", w, true))
        t_PrintSymbol(w, c, win->TextColor, win->TextHpos, win->TextVpos);
}

void t_PrintSymbol(UInt8 w, UInt8 c, Int x, Int y) {
    if (const t_Window* win = CheckedWindow("t_PrintSymbol", w, true)) t_PrintSymbol(w, c, win->TextColor, x, y);
}

namespace {

// A pixel as the 32-bit word whose bytes in memory are alpha, red, green, blue.
constexpr std::uint32_t Argb(UInt8 r, UInt8 g, UInt8 b) {
    if constexpr (std::endian::native == std::endian::little)
        return 0xFFu | (std::uint32_t{r} << 8) | (std::uint32_t{g} << 16) | (std::uint32_t{b} << 24);
    else
        return 0xFF000000u | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

void Store(std::uint32_t* out, std::uint32_t word) { std::memcpy(out, &word, sizeof word); }

// The picture is copied while the program thread may be drawing: a frame
// can show a half-drawn character, and nothing else can go wrong. That one
// intended race stays in the copying functions below, which the thread
// sanitizer leaves out.
#define RACY_COPY __attribute__((no_sanitize("thread")))

RACY_COPY std::uint32_t Load(const UInt8* src) {
    std::uint32_t word;
    std::memcpy(&word, src, sizeof word);
    return word;
}

// On little-endian machines a pixel is one word load, shift and store. The
// 24-bit load reads one byte past the pixel; the video memory has spare
// bytes after its last block for that.
RACY_COPY void ConvertTrueColour(const UInt8* src, std::uint32_t* out, Int depth, Int pixels) {
    if constexpr (std::endian::native == std::endian::little) {
        if (depth == 24)
            for (Int i = 0; i < pixels; ++i, src += 3) Store(out + i, (Load(src) << 8) | 0xFFu);
        else
            for (Int i = 0; i < pixels; ++i, src += 4) Store(out + i, Load(src) | 0xFFu);
    } else {
        const Int skip = depth == 32 ? 1 : 0;
        for (Int i = 0; i < pixels; ++i, src += depth / 8)
            Store(out + i, Argb(src[skip], src[skip + 1], src[skip + 2]));
    }
}

RACY_COPY void ConvertPixels(const UInt8* src, std::uint32_t* out, Int depth, Int pixels) {
    // The main screen is true colour and converted in bulk; the few
    // windows of other depths go pixel by pixel.
    if (depth == 24 || depth == 32) {
        ConvertTrueColour(src, out, depth, pixels);
        return;
    }
    for (Int i = 0; i < pixels; ++i) {
        const t_RGBColor c = ReadPixel(src + PixelOffset(depth, i), depth, i);
        Store(out + i, Argb(c.Red, c.Green, c.Blue));
    }
}

}  // namespace

Int PixelChangesOf(UInt8 w) {
    if (!Runtime().MemoryInitialized || w >= GraphicWindowCount) return 0;
    return Screen().WindowTable[w].PixelChanges;
}

std::optional<ArgbImage> ViewRefresh(UInt8 w) {
    if (!Runtime().MemoryInitialized || w >= GraphicWindowCount) return std::nullopt;
    t_Window& win = Screen().WindowTable[w];
    win.VerticalBlank = false;
    std::optional<ArgbImage> image = t_WindowImage(w);
    win.VerticalBlank = true;
    return image;
}

std::optional<ArgbImage> t_WindowImage(UInt8 w) {
    if (w >= GraphicWindowCount) {
        NotGraphic("t_WindowImage");
        return std::nullopt;
    }
    if (!Runtime().MemoryInitialized) return std::nullopt;
    const t_Window& win = Screen().WindowTable[w];
    if (!win.Initialized) {
        LogLine("t_WindowImage: Graphic window #" + std::to_string(w) + " not initialized.");
        return std::nullopt;
    }
    if (!win.Visible) return std::nullopt;
    const auto started = std::chrono::steady_clock::now();
    Screen().WindowTable[w].PicturesMade = win.PicturesMade + 1;
    const Int depth = win.BitDepth, width = win.Width, height = win.Height, start = win.MemoryStart;
    const Int rowBytes = GraphicRowBytes(depth, width);
    if (rowBytes < 0) {
        LogLine("t_WindowImage: Illegal bit depth.");
        return std::nullopt;
    }
    const std::vector<UInt8>& memory = Screen().VideoMemory;
    ArgbImage image;
    image.Width = static_cast<int>(width);
    image.Height = static_cast<int>(height);
    // The program thread may re-initialise the window meanwhile; never read
    // outside the video memory.
    bool collected = start >= 0 && start + rowBytes * height + 1 <= static_cast<Int>(memory.size());
    if (collected) {
        try {
            image.Bytes = std::make_unique_for_overwrite<std::uint8_t[]>(image.Size());
        } catch (const std::bad_alloc&) {
            collected = false;
        }
    }
    if (!collected) {
        LogLine("t_WindowImage: Data could not be collected, image could not be created.");
        return std::nullopt;
    }
    auto* out = reinterpret_cast<std::uint32_t*>(image.Bytes.get());
    for (Int row = 0; row < height; ++row)
        ConvertPixels(memory.data() + start + row * rowBytes, out + row * width, depth, width);
    Screen().WindowTable[w].UpdateDuration =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count();
    Screen().WindowTable[w].UpdateFinished = NowMilliseconds();
    return image;
}
