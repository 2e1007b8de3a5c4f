#include "screen/glyph.h"

#include <algorithm>

#include "platform/program_state.h"
#include "runtime_fixture.h"
#include "screen/pixels.h"
#include "screen/window.h"

namespace {

using Bytes = std::vector<int>;
using Lines = std::vector<std::string>;

// Glyphs 32-127 of 8 x 16 pixels; 'A' starts with the coverage values 0, 255, 128, 127, every other glyph is blank.
t_Font TestFont() {
    t_Font font{.Format = FontFormatGrey, .Start = 32, .End = 127, .Width = 8, .Height = 16, .Data = std::vector<UInt8>(128 * 128)};
    std::copy_n(std::begin({0, 255, 128, 127}), 4, font.Data.begin() + 'A' * 128);
    return font;
}

class GlyphTest : public RuntimeTest {
protected:
    static void Open(Int depth, const t_Font& font = TestFont()) {
        ResetProgramState();
        t_InitWindow(0, depth, false, 64, 64, 0, 0, font, true);
    }
    static t_Window& Win() { return Screen().WindowTable[0]; }
    static UInt8* Pixels() { return Screen().VideoMemory.data() + Win().MemoryStart; }
    static Bytes At(Int offset, Int count) { return Bytes(Pixels() + offset, Pixels() + offset + count); }
    static UInt8 Cell(Int x, Int y, bool colour = false) {
        const Int half = colour ? (Win().TextMemoryEnd - Win().TextMemoryStart + 1) / 2 : 0;
        return Screen().VideoMemory[static_cast<std::size_t>(Win().TextMemoryStart + half + (y - 1) * Win().TextWidth + x - 1)];
    }
};

TEST_F(GlyphTest, ColourFormsSetTextColourAndDrawingColour) {
    Open(24);
    t_Color(0, ColorByte{0x0A});
    t_Color(0, 12);
    EXPECT_EQ(t_GetColor(0), 0xCA);
    EXPECT_EQ(Win().RGBColor, PaletteColor(12));
    t_Color(0, 3, 0x1E);  // only the low nibble of the background counts
    EXPECT_EQ(t_GetColor(0), 0x3E);
    t_Color(0, 0x1D);  // a foreground above 15: the byte keeps its low bits, the colour the low nibble
    EXPECT_EQ(t_GetColor(0), 0xDE);
    EXPECT_EQ(Win().RGBColor, PaletteColor(13));
    LogCapture log;
    t_Color(8, 1);
    t_Color(1, 1, 2);
    EXPECT_EQ(t_GetColor(3), 0);
    EXPECT_EQ(log.Lines(), (Lines{"t_Color: Window is not a graphic window.", "t_Color: Window #1 not initialized.", "t_GetColor: Window #3 not initialized."}));
}

TEST_F(GlyphTest, GlyphsBlendInkAndPaperAtEveryDepth) {
    // The cell (x, y) and its top row's first byte; `seed` is what the row held before; `bytes` the
    // glyph's top row after; `shown` its pixels 1 and 2 (coverage 255, 128) in the picture as ARGB.
    const struct { const char* name; Int depth; UInt8 colour, seed; bool inverse; Int x, y, offset; Bytes bytes, shown; } rows[] = {
        {"24 green on black", 24, 0xC0, 0, false, 2, 3, (32 * 64 + 8) * 3, {0, 0, 0, 0, 255, 0, 0, 128, 0, 0, 127, 0}, {}},
        {"24 blue on red", 24, 0x61, 0, false, 1, 1, 0, {255, 0, 0, 0, 0, 255, 127, 0, 128}, {255, 0, 0, 255, 255, 127, 0, 128}},
        {"24 inverse", 24, 0xC0, 0, true, 1, 1, 0, {0, 255, 0, 0, 0, 0}, {255, 0, 0, 0, 255, 0, 127, 0}},
        {"32 keeps alpha", 32, 0xC0, 0x12, false, 1, 1, 0, {0x12, 0, 0, 0, 0x12, 0, 255, 0, 0x12, 0, 128, 0},
         {255, 0, 255, 0, 255, 0, 128, 0}},
        {"8 grey", 8, 0xF1, 0, false, 1, 1, 0, {85, 255, 170}, {255, 255, 255, 255, 255, 170, 170, 170}},
        {"16 grey in the second byte", 16, 0xF1, 0x77, false, 1, 1, 0, {0x77, 85, 0x77, 255, 0x77, 170},
         {255, 255, 255, 255, 255, 170, 170, 170}}, {"4 nearest palette colour, second line", 4, 0xC0, 0, false, 2, 2, 16 * 32 + 4, {0x0C, 0x44}, {}},
        {"4 greys by the channel sum", 4, 0xF0, 0, false, 1, 1, 0, {0x0F, 0xA5}, {255, 255, 255, 255, 255, 168, 168, 168}},
        {"1 green stays dark", 1, 0xC0, 0xFF, false, 1, 1, 0, {0x00, 0xFF}, {255, 0, 0, 0, 255, 0, 0, 0}},
        {"1 white from half cover", 1, 0xF0, 0, false, 1, 1, 0, {0x60}, {255, 255, 255, 255, 255, 255, 255, 255}},
        {"1 black on white, second line", 1, 0x0F, 0, false, 2, 2, 16 * 8 + 1, {0x9F}, {}}, };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Open(row.depth);
        Win().TextInverse = row.inverse;
        std::fill_n(Pixels(), GraphicRowBytes(row.depth, 64), row.seed);
        t_PrintSymbol(0, 'A', row.colour, row.x, row.y);
        EXPECT_EQ(At(row.offset, static_cast<Int>(row.bytes.size())), row.bytes);
        EXPECT_EQ(Cell(row.x, row.y), 'A');
        EXPECT_EQ(Cell(row.x, row.y, true), row.inverse ? (row.colour << 4 | row.colour >> 4) & 0xFF : row.colour);
        if (row.shown.empty()) continue;
        EXPECT_FALSE(t_WindowImage(0).has_value());  // hidden
        t_WindowVisible(0, true);
        const std::optional<ArgbImage> image = t_WindowImage(0);
        ASSERT_TRUE(image.has_value());
        ASSERT_EQ(image->Width * image->Height, 64 * 64);
        EXPECT_EQ(Bytes(image->Bytes.get() + 4, image->Bytes.get() + 12), row.shown);
        EXPECT_EQ(Bytes(image->Bytes.get() + 64 * 64 * 4 - 4, image->Bytes.get() + 64 * 64 * 4), (Bytes{255, 0, 0, 0}));
    }
    t_WindowVisible(0, true);
    LogCapture log;
    EXPECT_FALSE(t_WindowImage(1).has_value());
    EXPECT_FALSE(t_WindowImage(9).has_value());
    Win().BitDepth = 12;
    EXPECT_FALSE(t_WindowImage(0).has_value());
    EXPECT_EQ(log.Lines(), (Lines{"t_WindowImage: Graphic window #1 not initialized.", "t_WindowImage: Window is not a graphic window.",
                                  "t_WindowImage: Illegal bit depth."}));
}

TEST_F(GlyphTest, RefusedAndUndrawableSymbols) {
    Open(24);
    LogCapture log;
    t_PrintSymbol(0, 20, 0x1F, 1, 1);  // outside the font's codes: recorded, not drawn
    t_PrintSymbol(0, 200, 0x1F, 2, 1);
    for (auto [x, y] : {std::pair{9, 1}, {1, 5}, {0, 1}, {1, -3}}) t_PrintSymbol(0, 'A', 0xC0, x, y);
    t_PrintSymbol(0, 'A', 0xC0, 8, 4);  // the last cell is fine
    Win().Font.Format = FontFormatPlain;
    t_PrintSymbol(0, 'A', 0xC0, 1, 2);
    Win().Font.Format = 7;
    t_PrintSymbol(0, 'A', 0xC0, 1, 2);
    Win().Font.Format = FontFormatGrey;
    Win().Font.Data.resize('A' * 128 + 5);  // the data ends inside the glyph
    t_PrintSymbol(0, 'A', 0xC0, 1, 3);
    Lines expected;
    for (const char* at : {"x = 9, y = 1", "x = 1, y = 5", "x = 0, y = 1", "x = 1, y = -3"})
        expected.push_back(std::string("t_PrintSymbol: Window #0 illegal coordinates (") + at + ").");
    expected.push_back("t_PrintSymbol: Font format must be uncompressed grey for text-printing.");
    expected.push_back("t_PrintSymbol: Illegal font format.");
    EXPECT_EQ(log.Lines(), expected);
    EXPECT_EQ(std::string({char(Cell(1, 1)), char(Cell(1, 1, true)), char(Cell(2, 1)), char(Cell(8, 4)), char(Cell(1, 2)), char(Cell(1, 3))}),
              "\x14\x1F\xC8" "AAA");
    EXPECT_EQ(std::count(Pixels(), Pixels() + 64 * 48 * 3, 0), 64 * 48 * 3);
    EXPECT_EQ(At((48 * 64 + 57) * 3, 3), (Bytes{0, 255, 0}));
}

TEST_F(GlyphTest, OutputCanBeRedirectedToStandardOutputOrNowhere) {
    Open(24);
    LogCapture log;
    Win().TextRedirectOutput = 2;
    t_PrintSymbol(0, 0xE4, 0xC0, 1, 1);
    Win().TextRedirectOutput = 0;
    t_PrintSymbol(0, 'B', 0xC0, 1, 1);
    EXPECT_EQ(log.Text(), "ä");
    EXPECT_EQ(Cell(1, 1), ' ');
}

}  // namespace
