// The main screen as the program sets it up: window 0 with the committed
// font, window 1 for the print preview, and the whole character set drawn
// in every colour.
#include <gtest/gtest.h>

#include "runtime/glyph.h"
#include "runtime/window.h"
#include "runtime_fixture.h"

namespace {

class MainScreenTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        t_InitWindow(0, 24, 121, 50, 8, DefaultFontName);
        t_InitWindow(1, 4, true, 200, 368, 0, 0, EmptyFont(), true);
    }
    static UInt8 Memory(Int address) { return Screen().VideoMemory[static_cast<std::size_t>(address)]; }
};

// Background colour of the character-set drawing.
constexpr int Paper = 2;

int Blend(int paper, int ink, int g) { return (255 - g) * paper / 255 + g * ink / 255; }

TEST_F(MainScreenTest, WindowsAreLaidOutAsTheProgramNeedsThem) {
    const t_Window& main = Screen().WindowTable[0];
    ASSERT_TRUE(main.Initialized);
    EXPECT_EQ(main.Width, 968);
    EXPECT_EQ(main.Height, 800);
    EXPECT_EQ(main.TextWidth, 121);
    EXPECT_EQ(main.TextHeight, 50);
    EXPECT_EQ(main.BorderWidth, 8);
    EXPECT_EQ(main.TitleHeight, 28);
    EXPECT_EQ(main.MemoryEnd, 0xFFFFFF);
    EXPECT_EQ(main.MemoryStart % 1024, 0);
    EXPECT_GE(main.MemoryEnd - main.MemoryStart + 1, 968 * 800 * 3);
    EXPECT_EQ(main.TextMemoryEnd, main.MemoryStart - 1);
    EXPECT_EQ(host->Window(0).title, "Tabrona");
    EXPECT_EQ(host->Window(0).frame.width, 968 + 16);
    EXPECT_EQ(host->Window(0).frame.height, 800 + 16 + 28);

    const t_Window& preview = Screen().WindowTable[1];
    ASSERT_TRUE(preview.Initialized);
    EXPECT_EQ(preview.Width, 200);
    EXPECT_EQ(preview.Height, 368);
    EXPECT_EQ(preview.TextWidth, -1);
    EXPECT_FALSE(preview.HasText());
    EXPECT_EQ(preview.MemoryEnd, main.TextMemoryStart - 1);
    EXPECT_EQ(host->Window(1).title, "Tabrona-Grafik");
    EXPECT_EQ(Screen().DefaultWindow, 0);
}

TEST_F(MainScreenTest, CharacterSetInSixteenColoursLandsInCellsColoursAndPixels) {
    const t_Window& win = Screen().WindowTable[0];
    const t_Font& font = win.Font;
    // 256 codes in 3 rows of up to 120 per colour: 16 colours fill lines 2 to 49.
    auto cellOf = [](int code, int colour) { return std::pair<Int, Int>{1 + code % 120, 2 + colour * 3 + code / 120}; };
    for (int colour = 0; colour < 16; ++colour)
        for (int code = 0; code < 256; ++code) {
            const auto [x, y] = cellOf(code, colour);
            t_PrintSymbol(0, static_cast<UInt8>(code), static_cast<UInt8>(colour * 16 + Paper), x, y);
        }
    const Int half = (win.TextMemoryEnd - win.TextMemoryStart + 1) / 2;
    const UInt8* pixels = Screen().VideoMemory.data() + win.MemoryStart;
    int inkPixels = 0;
    for (int colour = 0; colour < 16; ++colour) {
        const t_RGBColor ink = PaletteColor(colour), paper = PaletteColor(Paper);
        for (int code = 0; code < 256; ++code) {
            const auto [x, y] = cellOf(code, colour);
            const Int cell = win.TextMemoryStart + (y - 1) * 121 + (x - 1);
            ASSERT_EQ(Memory(cell), code);
            ASSERT_EQ(Memory(cell + half), colour * 16 + Paper);
            for (int gy = 0; gy < 16; ++gy)
                for (int gx = 0; gx < 8; ++gx) {
                    const int g = font.Data[static_cast<std::size_t>(code * 128 + gy * 8 + gx)];
                    const UInt8* p = pixels + (((y - 1) * 16 + gy) * 968 + (x - 1) * 8 + gx) * 3;
                    ASSERT_EQ(p[0], Blend(paper.Red, ink.Red, g)) << code << " " << colour;
                    ASSERT_EQ(p[1], Blend(paper.Green, ink.Green, g));
                    ASSERT_EQ(p[2], Blend(paper.Blue, ink.Blue, g));
                    inkPixels += g == 255;
                }
        }
    }
    EXPECT_GT(inkPixels, 16 * 256 * 4);  // the font really has ink
    // Untouched cells keep the cleared state: a blank in colour 0xC0, black pixels.
    EXPECT_EQ(Memory(win.TextMemoryStart), ' ');
    EXPECT_EQ(Memory(win.TextMemoryStart + half), 0xC0);
    EXPECT_EQ(pixels[0], 0);

    t_WindowVisible(0, true);
    const std::optional<ArgbImage> image = t_WindowImage(0);
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->width, 968);
    ASSERT_EQ(image->height, 800);
    for (Int i = 0; i < 968 * 800; ++i) {
        const std::uint8_t* out = image->bytes.get() + i * 4;
        ASSERT_EQ(out[0], 255);
        ASSERT_EQ(out[1], pixels[i * 3]);
        ASSERT_EQ(out[2], pixels[i * 3 + 1]);
        ASSERT_EQ(out[3], pixels[i * 3 + 2]);
    }
}

TEST_F(MainScreenTest, PreviewWindowDrawsNoText) {
    LogCapture log;
    t_PrintSymbol(1, 'A');
    t_Color(1, 12);
    EXPECT_EQ(t_GetColor(1), 0xC0);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"t_PrintSymbol: Window #1 not initialized."});
    t_WindowVisible(1, true);
    const std::optional<ArgbImage> image = t_WindowImage(1);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width * image->height, 200 * 368);
}

}  // namespace
