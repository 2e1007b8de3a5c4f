#include "screen/font.h"

#include <algorithm>
#include <random>

#include "runtime/lzw.h"
#include "runtime_fixture.h"
#include "screen/glyph.h"
#include "screen/window.h"

namespace {

using File = std::vector<UInt8>;

// A font file of codes 0-3, 8 x 16 pixels, in the given format, with glyph bytes or a compressed stream.
File FontFile(UInt8 format, const File& data) {
    File file = {16, 'o', 'x', 'f', 'n', format, 1, 2, 3, 4, 0, 3, 8, 16, 0xAB, 0xCD};
    file.resize(16 + data.size());
    std::copy(data.begin(), data.end(), file.begin() + 16);
    return file;
}

File Glyphs() {
    File glyphs(4 * 8 * 16);
    for (std::size_t i = 0; i < glyphs.size(); ++i) glyphs[i] = static_cast<UInt8>(i % 7 == 0 ? 255 : i);
    return glyphs;
}

TEST_F(RuntimeTest, ReadsPlainAndCompressedGlyphData) {
    const t_Font plain = FontFromFileBytes(FontFile(2, Glyphs()));
    EXPECT_EQ(plain.Size * 0x10000 + plain.Reserved, 0x01020304ABCD);
    EXPECT_EQ(plain.Format * 1000000 + plain.End * 10000 + plain.Width * 100 + plain.Height, 2030816);
    EXPECT_EQ(plain.Data, Glyphs());
    // Compressed forms come back in their plain form, even with nothing in them.
    for (UInt8 format : {UInt8{102}, UInt8{100}}) {
        const t_Font font = FontFromFileBytes(FontFile(format, lzw::Encode(Glyphs(), 12)));
        EXPECT_EQ(font.Format, format == 102 ? FontFormatGrey : FontFormatPlain);
        EXPECT_EQ(font.Data, Glyphs());
        EXPECT_EQ(FontFromFileBytes(FontFile(format, {})).Format, font.Format);
    }
}

TEST_F(RuntimeTest, RefusesDamagedAndMissingFilesWithTheirMessages) {
    File wrongType = FontFile(2, {1}), longHeader = FontFile(2, {1, 2}), shortHeader = longHeader;
    wrongType[3] = 'X';
    longHeader[0] = 40;
    shortHeader[0] = 13;  // the glyphs would start inside the header
    std::vector<std::uint32_t> blowUp{'a'};  // describes far more than the limit
    for (std::uint32_t c = 256; c < 256 + 8000; ++c) blowUp.push_back(c);
    File huge{16};
    for (std::uint32_t code : blowUp) huge.insert(huge.end(), {static_cast<UInt8>(code >> 8), static_cast<UInt8>(code)});
    const std::pair<File, std::string> rows[] = {
        {longHeader, "Invalid header size"},          {shortHeader, "Invalid header size"},
        {wrongType, "Invalid file type"},             {FontFile(102, {0, 1, 2}), "Invalid code width 0."},
        {FontFile(100, {25, 1, 2}), "Invalid code width 25."}, {FontFile(102, {9, 0xFF, 0xFF}), "Invalid compressed data."},
        {FontFile(102, huge), "Compressed data too large."}, };
    for (const auto& [file, line] : rows) {
        LogCapture log;
        EXPECT_FALSE(FontFromFileBytes(file).HasGlyphs()) << line;
        EXPECT_EQ(log.Lines(), std::vector<std::string>{"t_LoadFontResource: " + line});
    }
    LogCapture log;
    EXPECT_FALSE(t_LoadFontResource("Nowhere 1x1.font").HasGlyphs());
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[0].rfind("getbinaryfromfile: Error #2 ", 0), 0u) << log.Lines()[0];
    EXPECT_EQ(log.Lines()[1], "t_LoadFontResource: Could not load file „Nowhere 1x1.font“");
}

// Whatever a damaged font file holds, a window using it draws every code without touching another window's memory.
TEST_F(RuntimeTest, ScrambledFontFilesAreSafeToDrawWith) {
    std::mt19937 random(3);
    for (int round = 0; round < 60; ++round) {
        File file = FontFile(round % 2 ? 2 : 102, round % 2 ? Glyphs() : lzw::Encode(Glyphs(), 10));
        for (int flips = 0; flips < 3; ++flips) file[random() % file.size()] ^= static_cast<UInt8>(1u << random() % 8);
        if (round % 3 == 0) file.resize(random() % file.size());
        t_InitWindow(1, 24, false, 64, 32, 0, 0, EmptyFont(), true);
        t_InitWindow(0, round % 4 ? 24 : 4, false, 64, 32, 0, 0, FontFromFileBytes(file), true);
        const t_Window& other = Screen().WindowTable[1];
        const auto first = Screen().VideoMemory.begin() + other.MemoryStart, last = first + (other.MemoryEnd - other.MemoryStart + 1);
        std::fill(first, last, 0x5A);
        for (int c = 0; c < 256 && Screen().WindowTable[0].HasText(); ++c)
            t_PrintSymbol(0, static_cast<UInt8>(c), 0xF1, 1 + c % 4, 1 + c / 4 % 2);
        ASSERT_EQ(std::count(first, last, 0x5A), last - first) << round;
    }
}

}  // namespace
