#include "runtime/font.h"

#include <gtest/gtest.h>

#include "platform/log.h"
#include "runtime/lzw.h"
#include "runtime_fixture.h"

namespace {

std::vector<UInt8> Header(UInt8 headerSize, UInt8 format, UInt8 start, UInt8 end, UInt8 width, UInt8 height) {
    return {headerSize, 'o', 'x', 'f', 'n', format, 0, 0, 0x12, 0x34, start, end, width, height, 0xAB, 0xCD};
}

TEST(Palette, ColoursAndNames) {
    EXPECT_EQ(PaletteColor(12), (t_RGBColor{255, 0, 255, 0}));
    EXPECT_EQ(PaletteColor(5), (t_RGBColor{255, 84, 84, 84}));
    EXPECT_EQ(PaletteColor(16), (t_RGBColor{255, 0, 0, 0}));
    EXPECT_EQ(PaletteColor(-1), (t_RGBColor{255, 0, 0, 0}));
    EXPECT_EQ(t_ColorName(4), "Dunkelgrün");
    EXPECT_EQ(t_ColorName(15), "Weiß");
    EXPECT_EQ(t_ColorName(16), "");
}

TEST(FontFile, ReadsHeaderFieldsAndPlainData) {
    std::vector<UInt8> file = Header(16, 2, 32, 33, 2, 3);
    for (int i = 0; i < 34 * 6; ++i) file.push_back(static_cast<UInt8>(i));
    const t_Font font = FontFromFileBytes(file);
    EXPECT_EQ(font.HeaderSize, 16);
    EXPECT_EQ(font.Format, 2);
    EXPECT_EQ(font.Size, 0x1234);
    EXPECT_EQ(font.Start, 32);
    EXPECT_EQ(font.End, 33);
    EXPECT_EQ(font.Width, 2);
    EXPECT_EQ(font.Height, 3);
    EXPECT_EQ(font.Reserved, 0xABCD);
    ASSERT_EQ(font.Data.size(), 34u * 6);
    EXPECT_EQ(font.Data[5], 5);
}

TEST(FontFile, DecompressesAndTurnsTheFormatIntoItsPlainForm) {
    std::vector<UInt8> glyphs(4 * 8 * 16);
    for (std::size_t i = 0; i < glyphs.size(); ++i) glyphs[i] = static_cast<UInt8>(i % 7 == 0 ? 255 : 0);
    for (UInt8 format : {UInt8{102}, UInt8{100}}) {
        std::vector<UInt8> file = Header(16, format, 0, 3, 8, 16);
        const auto stream = lzw::Encode(glyphs, 12);
        file.insert(file.end(), stream.begin(), stream.end());
        const t_Font font = FontFromFileBytes(file);
        EXPECT_EQ(font.Format, format == 102 ? 2 : 0);
        EXPECT_EQ(font.Data, glyphs);
    }
    // An empty compressed part still changes the format.
    const t_Font empty = FontFromFileBytes(Header(16, 102, 0, 3, 8, 16));
    EXPECT_EQ(empty.Format, 2);
    EXPECT_TRUE(empty.Data.empty());
}

TEST(FontFile, RefusesDamagedFilesWithTheirMessages) {
    LogCapture log;
    SetLogToStdout(false);
    // Shorter than its header size.
    t_Font font = FontFromFileBytes({40, 'o', 'x', 'f', 'n', 2, 0, 0, 0, 0, 0, 1, 8, 16, 0, 0, 1, 2});
    EXPECT_EQ(font.HeaderSize, 40);
    EXPECT_TRUE(font.Data.empty());
    // Shorter than the fixed fields although the header-size byte is small.
    font = FontFromFileBytes({4, 'o', 'x', 'f', 'n', 2});
    EXPECT_TRUE(font.Data.empty());
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_LoadFontResource: Invalid header size",
                                                     "t_LoadFontResource: Invalid header size"}));
    log.Clear();
    std::vector<UInt8> file = Header(16, 2, 0, 0, 1, 1);
    file[3] = 'X';
    file.push_back(1);
    font = FontFromFileBytes(file);
    EXPECT_TRUE(font.Data.empty());
    EXPECT_EQ(font.Identifier[2], 'X');
    EXPECT_TRUE(log.Contains("t_LoadFontResource: Invalid file type"));
    // Hostile compressed streams: code widths 0 and 25, a code out of order.
    for (std::vector<UInt8> tail : {std::vector<UInt8>{0, 1, 2}, std::vector<UInt8>{25, 1, 2, 3, 4},
                                    std::vector<UInt8>{9, 0xFF, 0xFF, 0xFF}}) {
        std::vector<UInt8> bad = Header(16, 102, 0, 255, 8, 16);
        bad.insert(bad.end(), tail.begin(), tail.end());
        font = FontFromFileBytes(bad);
        EXPECT_TRUE(font.Data.empty());
        EXPECT_EQ(font.Format, 2);
    }
    EXPECT_TRUE(log.Contains("t_LoadFontResource: Invalid code width 0."));
    EXPECT_TRUE(log.Contains("t_LoadFontResource: Invalid code width 25."));
    EXPECT_TRUE(log.Contains("t_LoadFontResource: Invalid compressed data."));
    SetLogToStdout(true);
}

class FontResourceTest : public RuntimeTest {};

TEST_F(FontResourceTest, LoadsTheCommittedScreenFont) {
    const t_Font font = t_LoadFontResource(DefaultFontName);
    EXPECT_EQ(font.Format, FontFormatGrey);
    EXPECT_EQ(font.Width, 8);
    EXPECT_EQ(font.Height, 16);
    EXPECT_EQ(font.Start, 0);
    EXPECT_EQ(font.End, 255);
    ASSERT_EQ(font.Data.size(), 256u * 128);
}

TEST_F(FontResourceTest, MissingFileLogsBothLinesAndGivesTheEmptyFont) {
    LogCapture log;
    const t_Font font = t_LoadFontResource("Nowhere 1x1.font");
    EXPECT_FALSE(font.HasGlyphs());
    EXPECT_EQ(font.HeaderSize, 16);
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("getbinaryfromfile: Error #2 ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "t_LoadFontResource: Could not load file „Nowhere 1x1.font“");
}

}  // namespace
