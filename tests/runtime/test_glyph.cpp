#include "runtime/glyph.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/window.h"
#include "runtime_fixture.h"

namespace {

// An 8 x 16 font with glyphs 32-127. Glyph 'A' has the coverage values
// 0, 255, 128, 127 at the start of its top row; every other glyph is blank.
t_Font TestFont() {
    t_Font font;
    font.Format = FontFormatGrey;
    font.Start = 32;
    font.End = 127;
    font.Width = 8;
    font.Height = 16;
    font.Data.assign(128 * 128, 0);
    UInt8* a = font.Data.data() + 'A' * 128;
    a[0] = 0;
    a[1] = 255;
    a[2] = 128;
    a[3] = 127;
    return font;
}

class GlyphTest : public RuntimeTest {
protected:
    // A 64 x 64 pixel window (8 x 4 cells) at the given depth.
    void Open(Int depth, t_Font font = TestFont()) {
        t_InitWindow(0, depth, false, 64, 64, 0, 0, font, true);
        ASSERT_TRUE(Screen().WindowTable[0].Initialized);
    }
    t_Window& Win() { return Screen().WindowTable[0]; }
    UInt8* Pixels() { return Screen().VideoMemory.data() + Win().MemoryStart; }
    UInt8 CellChar(Int x, Int y) {
        return Screen().VideoMemory[static_cast<std::size_t>(Win().TextMemoryStart + (y - 1) * Win().TextWidth + x - 1)];
    }
    UInt8 CellColor(Int x, Int y) {
        const Int half = (Win().TextMemoryEnd - Win().TextMemoryStart + 1) / 2;
        return Screen().VideoMemory[static_cast<std::size_t>(Win().TextMemoryStart + half + (y - 1) * Win().TextWidth +
                                                             x - 1)];
    }
    // The RGB of pixel (x, y) of a 24-bit window.
    std::array<int, 3> Rgb(Int x, Int y) {
        const UInt8* p = Pixels() + (y * Win().Width + x) * 3;
        return {p[0], p[1], p[2]};
    }
};

using Rgb3 = std::array<int, 3>;

TEST_F(GlyphTest, ColourFormsSetTextColourAndDrawingColour) {
    Open(24);
    t_Color(0, ColorByte{0x0A});
    t_Color(0, 12);
    EXPECT_EQ(t_GetColor(0), 0xCA);
    EXPECT_EQ(Win().RGBColor, PaletteColor(12));
    t_Color(0, 3, 0x1E);  // only the low nibble of the background counts
    EXPECT_EQ(t_GetColor(0), 0x3E);
    EXPECT_EQ(Win().RGBColor, PaletteColor(3));
    t_Color(0, ColorByte{0x95});
    EXPECT_EQ(t_GetColor(0), 0x95);
    EXPECT_EQ(Win().RGBColor, PaletteColor(9));
    t_Color(0, 0x1D);  // a foreground above 15: the byte keeps its low bits, the colour the low nibble
    EXPECT_EQ(t_GetColor(0), 0xD5);
    EXPECT_EQ(Win().RGBColor, PaletteColor(13));

    t_ColorBorder(0, 0x1E);
    EXPECT_EQ(Win().RGBColorBorder, PaletteColor(14));
    EXPECT_EQ(host->Window(0).background, (HostColor{0, 1, 1, 1}));
}

TEST_F(GlyphTest, ColourOperationsRefuseOtherWindows) {
    LogCapture log;
    t_Color(8, 1);
    t_Color(1, 1);
    EXPECT_EQ(t_GetColor(3), 0);
    t_ColorBorder(9, 1);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "t_Color: Window is not a graphic window.",
                               "t_Color: Window #1 not initialized.",
                               "t_GetColor: Window #3 not initialized.",
                               "t_ColorBorder: Window is not a graphic window.",
                           }));
}

TEST_F(GlyphTest, BlendsEachChannelAt24Bit) {
    Open(24);
    // Green on black, cell (2, 3): the glyph's top-left pixel is (8, 32).
    t_PrintSymbol(0, 'A', 0xC0, 2, 3);
    EXPECT_EQ(Rgb(8, 32), (Rgb3{0, 0, 0}));
    EXPECT_EQ(Rgb(9, 32), (Rgb3{0, 255, 0}));
    EXPECT_EQ(Rgb(10, 32), (Rgb3{0, 128, 0}));
    EXPECT_EQ(Rgb(11, 32), (Rgb3{0, 127, 0}));
    // Blue on red: each product is divided separately.
    t_PrintSymbol(0, 'A', 0x61, 1, 1);
    EXPECT_EQ(Rgb(2, 0), (Rgb3{127, 0, 128}));
    EXPECT_EQ(Rgb(0, 0), (Rgb3{255, 0, 0}));
    EXPECT_EQ(CellChar(1, 1), 'A');
    EXPECT_EQ(CellColor(1, 1), 0x61);
    // Neighbouring cells are untouched.
    EXPECT_EQ(Rgb(16, 0), (Rgb3{0, 0, 0}));
    EXPECT_EQ(CellChar(2, 1), ' ');
}

TEST_F(GlyphTest, InverseSwapsColoursOnScreenAndInTheColourPlane) {
    Open(24);
    Win().TextInverse = true;
    t_PrintSymbol(0, 'A', 0xC0, 1, 1);
    EXPECT_EQ(Rgb(1, 0), (Rgb3{0, 0, 0}));    // full coverage draws the (swapped) ink: black
    EXPECT_EQ(Rgb(0, 0), (Rgb3{0, 255, 0}));  // no coverage draws the paper: green
    EXPECT_EQ(CellColor(1, 1), 0x0C);
}

TEST_F(GlyphTest, GreyDepthsUseTheGreyOfEachColour) {
    Open(8);
    // White (grey 255) on red (grey 85).
    t_PrintSymbol(0, 'A', 0xF1, 1, 1);
    EXPECT_EQ(Pixels()[0], 85);
    EXPECT_EQ(Pixels()[1], 255);
    EXPECT_EQ(Pixels()[2], 170);
    ResetRuntime();
    SetUp();
    Open(16);
    for (int i = 0; i < 8; ++i) Pixels()[2 * i] = 0x77;
    t_PrintSymbol(0, 'A', 0xF1, 1, 1);
    EXPECT_EQ(Pixels()[0], 0x77);  // the first byte of a 16-bit pixel is left alone
    EXPECT_EQ(Pixels()[1], 85);
    EXPECT_EQ(Pixels()[3], 255);
    EXPECT_EQ(Pixels()[5], 170);
}

TEST_F(GlyphTest, ThirtyTwoBitKeepsAlpha) {
    Open(32);
    Pixels()[4] = 0x12;  // alpha of pixel 1
    t_PrintSymbol(0, 'A', 0xC0, 1, 1);
    const UInt8* p = Pixels();
    EXPECT_EQ(p[0], 0xFF);
    EXPECT_EQ(p[4], 0x12);
    EXPECT_EQ((std::array<int, 3>{p[5], p[6], p[7]}), (Rgb3{0, 255, 0}));
}

TEST_F(GlyphTest, FourBitPicksPaletteIndexesAndKeepsTheOtherNibble) {
    Open(4);
    UInt8* row = Pixels();
    // Cell 2 starts at pixel 8 = byte 4; seed the bytes to see nibbles kept.
    for (int i = 0; i < 4; ++i) row[4 + i] = 0xEE;
    t_PrintSymbol(0, 'A', 0xC0, 2, 1);
    // Pixels 8..11: paper 0, green 12, half green (exactly colour 4), nearly half green.
    EXPECT_EQ(row[4], 0x0C);
    EXPECT_EQ(row[5], 0x44);
    // Grey results go by the sum of the channels: 3 x 128 = 384 -> 10, 3 x 127 -> 5.
    t_PrintSymbol(0, 'A', 0xF0, 1, 1);
    EXPECT_EQ(row[0], 0x0F);
    EXPECT_EQ(row[1], 0xA5);
    // With a font 3 pixels wide, cell 2 starts at the odd pixel 3: it changes
    // only the low nibble of byte 1 and leaves byte 3 alone.
    ResetRuntime();
    SetUp();
    t_Font narrow = TestFont();
    narrow.Width = 3;
    narrow.Height = 2;
    narrow.Data.assign(128 * 6, 0);
    std::fill_n(narrow.Data.begin() + 'A' * 6, 6, 255);
    Open(4, narrow);
    UInt8* pixels = Pixels();
    pixels[1] = 0x3A;
    pixels[3] = 0xEE;
    t_PrintSymbol(0, 'A', 0xF0, 2, 1);
    EXPECT_EQ(pixels[1], 0x3F);
    EXPECT_EQ(pixels[2], 0xFF);
    EXPECT_EQ(pixels[3], 0xEE);
    t_PrintSymbol(0, 'A', 0x6A, 3, 1);  // pixels 6-8: blue ink 6
    EXPECT_EQ(pixels[3], 0x66);
    EXPECT_EQ(pixels[4] >> 4, 6);
}

TEST_F(GlyphTest, OneBitThresholdIsTheAverageOfTheBlendedChannels) {
    Open(1);
    UInt8* row = Pixels();
    t_PrintSymbol(0, 'A', 0xC0, 1, 1);  // green averages 85: nothing set
    EXPECT_EQ(row[0], 0x00);
    t_PrintSymbol(0, 'A', 0xF0, 1, 1);  // white: 255 and 128 set, 127 clear
    EXPECT_EQ(row[0], 0x60);
    t_PrintSymbol(0, 'A', 0x0F, 2, 1);  // black on white: the inverse pattern
    EXPECT_EQ(row[1], 0x9F);
}

TEST_F(GlyphTest, CodesOutsideTheFontAreRecordedButNotDrawn) {
    Open(24);
    t_Color(0, ColorByte{0xC0});
    t_PrintSymbol(0, 'A', 0xC0, 1, 1);
    t_PrintSymbol(0, 20, 1, 1);  // below Start: pixels stay
    EXPECT_EQ(Rgb(1, 0), (Rgb3{0, 255, 0}));
    EXPECT_EQ(CellChar(1, 1), 20);
    t_PrintSymbol(0, 200, 0x1F, 1, 1);  // above End
    EXPECT_EQ(Rgb(1, 0), (Rgb3{0, 255, 0}));
    EXPECT_EQ(CellChar(1, 1), 200);
    EXPECT_EQ(CellColor(1, 1), 0x1F);
}

TEST_F(GlyphTest, RefusesCellsOutsideTheWindow) {
    Open(24);
    LogCapture log;
    t_PrintSymbol(0, 'A', 0xC0, 9, 1);
    t_PrintSymbol(0, 'A', 0xC0, 1, 5);
    t_PrintSymbol(0, 'A', 0xC0, 0, 1);
    t_PrintSymbol(0, 'A', 0xC0, 1, -3);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "t_PrintSymbol: Window #0 illegal coordinates (x = 9, y = 1).",
                               "t_PrintSymbol: Window #0 illegal coordinates (x = 1, y = 5).",
                               "t_PrintSymbol: Window #0 illegal coordinates (x = 0, y = 1).",
                               "t_PrintSymbol: Window #0 illegal coordinates (x = 1, y = -3).",
                           }));
    // The last cell is fine.
    t_PrintSymbol(0, 'A', 0xC0, 8, 4);
    EXPECT_EQ(CellChar(8, 4), 'A');
}

TEST_F(GlyphTest, FontFormatsAndShortDataAreHandled) {
    t_Font font = TestFont();
    font.Format = FontFormatPlain;
    Open(24, font);
    LogCapture log;
    t_PrintSymbol(0, 'A', 0xC0, 1, 1);
    Win().Font.Format = 7;
    t_PrintSymbol(0, 'A', 0xC0, 1, 1);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "t_PrintSymbol: Font format must be uncompressed grey for text-printing.",
                               "t_PrintSymbol: Illegal font format.",
                           }));
    EXPECT_EQ(CellChar(1, 1), 'A');
    EXPECT_EQ(Rgb(1, 0), (Rgb3{0, 0, 0}));
    // Data that ends inside glyph 'A': nothing is read past it.
    Win().Font.Format = FontFormatGrey;
    Win().Font.Data.resize('A' * 128 + 5);
    t_PrintSymbol(0, 'A', 0xC0, 1, 1);
    EXPECT_EQ(Rgb(1, 0), (Rgb3{0, 0, 0}));
}

TEST_F(GlyphTest, RedirectionAndNotInitialisedMessages) {
    LogCapture log;
    // Core form: standard output even for a window that does not exist yet.
    Screen().WindowTable[2].TextRedirectOutput = 2;
    t_PrintSymbol(2, 0xE4, 0xC0, 1, 1);
    t_PrintSymbol(2, 'x');  // short forms check the window first
    t_PrintSymbol(2, 'x', 1, 1);
    t_PrintSymbol(3, 'x', 0xC0, 1, 1);
    t_PrintSymbol(9, 'x');
    EXPECT_EQ(log.Text(), "ä"
                          "t_PrintSymbol: Window #2 not initialized.\n"
                          "t_PrintSymbol: Window #2 not initialized.\n"
                          "t_PrintSymbol: Window #3 not initialized.\n"
                          "t_PrintSymbol: Window is not a graphic window.\n");
    Open(24);
    log.Clear();
    Win().TextRedirectOutput = 0;
    t_PrintSymbol(0, 'A', 0xC0, 1, 1);
    EXPECT_EQ(CellChar(1, 1), ' ');
    Win().TextRedirectOutput = 2;
    t_PrintSymbol(0, 'A');
    EXPECT_EQ(CellChar(1, 1), ' ');
    EXPECT_EQ(log.Text(), "A");
}

TEST_F(GlyphTest, ShortFormsUseTheWindowColourAndCursor) {
    Open(24);
    t_Color(0, ColorByte{0x1E});
    Win().TextHpos = 3;
    Win().TextVpos = 2;
    t_PrintSymbol(0, 'A');
    EXPECT_EQ(CellChar(3, 2), 'A');
    EXPECT_EQ(CellColor(3, 2), 0x1E);
    EXPECT_EQ(Win().TextHpos, 3);
    t_PrintSymbol(0, 'Z', 5, 4);
    EXPECT_EQ(CellChar(5, 4), 'Z');
    EXPECT_EQ(CellColor(5, 4), 0x1E);
}

// Pixel (x, y) of an image as alpha, red, green, blue.
std::array<int, 4> ImagePixel(const ArgbImage& image, int x, int y) {
    const std::uint8_t* p = image.bytes.get() + (static_cast<std::size_t>(y) * image.width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

using Argb4 = std::array<int, 4>;

TEST_F(GlyphTest, WindowImageConvertsEveryDepth) {
    struct Case {
        Int depth;
        UInt8 colour;
        Argb4 ink, half;  // pixel 1 (full coverage) and pixel 2 (coverage 128)
    };
    const Case cases[] = {
        {24, 0xC0, {255, 0, 255, 0}, {255, 0, 128, 0}},
        {32, 0xC0, {255, 0, 255, 0}, {255, 0, 128, 0}},
        {8, 0xF1, {255, 255, 255, 255}, {255, 170, 170, 170}},
        {16, 0xF1, {255, 255, 255, 255}, {255, 170, 170, 170}},
        {4, 0xC0, {255, 0, 255, 0}, {255, 0, 128, 0}},
        {1, 0xF0, {255, 255, 255, 255}, {255, 255, 255, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        ResetRuntime();
        SetUp();
        Open(c.depth);
        t_PrintSymbol(0, 'A', c.colour, 1, 1);
        EXPECT_FALSE(t_WindowImage(0).has_value());  // hidden
        t_WindowVisible(0, true);
        const std::optional<ArgbImage> image = t_WindowImage(0);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->width, 64);
        EXPECT_EQ(image->height, 64);
        EXPECT_EQ(ImagePixel(*image, 1, 0), c.ink);
        EXPECT_EQ(ImagePixel(*image, 2, 0), c.half);
        EXPECT_EQ(ImagePixel(*image, 63, 63)[0], 255);
        EXPECT_GT(Win().UpdateFinished, 0);
    }
}

TEST_F(GlyphTest, WindowImageRefusals) {
    LogCapture log;
    EXPECT_FALSE(t_WindowImage(0).has_value());  // before any window: silent
    Open(24);
    log.Clear();
    EXPECT_FALSE(t_WindowImage(1).has_value());
    EXPECT_FALSE(t_WindowImage(9).has_value());
    t_WindowVisible(0, true);
    Win().BitDepth = 12;
    EXPECT_FALSE(t_WindowImage(0).has_value());
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "t_WindowImage: Graphic window #1 not initialized.",
                               "t_WindowImage: Window is not a graphic window.",
                               "t_WindowImage: Illegal bit depth.",
                           }));
}

}  // namespace
