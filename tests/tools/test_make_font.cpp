// Tests of the committed bitmap font and of the tool that generates it.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/lzw.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 8;
constexpr int kHeight = 16;
constexpr std::size_t kGlyphBytes = kWidth * kHeight;
constexpr std::size_t kHeaderSize = 16;

fs::path CommittedFontPath() { return fs::path(TABRONA_TEST_RESOURCES) / "MenloRegular 8x16.font"; }

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The committed font, decoded once.
class CommittedFont : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = ReadBytes(CommittedFontPath());
        ASSERT_GT(file_.size(), kHeaderSize) << CommittedFontPath();
        const lzw::DecodeResult decoded = lzw::Decode(file_.data() + kHeaderSize, file_.size() - kHeaderSize);
        ASSERT_EQ(decoded.status, lzw::DecodeStatus::Ok);
        glyphs_ = decoded.bytes;
    }

    std::uint8_t Px(int code, int x, int y) const {
        return glyphs_[static_cast<std::size_t>(code) * kGlyphBytes + static_cast<std::size_t>(y * kWidth + x)];
    }
    bool Ink(int code, int x, int y) const { return Px(code, x, y) != 0; }
    int InkCount(int code) const {
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) n += Ink(code, x, y) ? 1 : 0;
        return n;
    }
    bool RowFull(int code, int y) const {
        for (int x = 0; x < kWidth; ++x)
            if (Px(code, x, y) != 255) return false;
        return true;
    }
    bool ColumnFull(int code, int x) const {
        for (int y = 0; y < kHeight; ++y)
            if (Px(code, x, y) != 255) return false;
        return true;
    }

    std::vector<std::uint8_t> file_;
    std::vector<std::uint8_t> glyphs_;
};

TEST_F(CommittedFont, HeaderDescribesCompressedGrey8x16) {
    EXPECT_EQ(file_[0], 16);
    EXPECT_EQ(std::string(file_.begin() + 1, file_.begin() + 5), "oxfn");
    EXPECT_EQ(file_[5], 102);
    const std::uint32_t size = (std::uint32_t{file_[6]} << 24) | (std::uint32_t{file_[7]} << 16) |
                               (std::uint32_t{file_[8]} << 8) | file_[9];
    EXPECT_EQ(size, 256u * kGlyphBytes);
    EXPECT_EQ(file_[10], 0);
    EXPECT_EQ(file_[11], 255);
    EXPECT_EQ(file_[12], kWidth);
    EXPECT_EQ(file_[13], kHeight);
    EXPECT_EQ(file_[14], 0);
    EXPECT_EQ(file_[15], 0);
    EXPECT_GE(file_[16], 9);  // code width byte of the compressed stream
    EXPECT_LE(file_[16], 16);
}

TEST_F(CommittedFont, DecodesToFullGlyphTable) { EXPECT_EQ(glyphs_.size(), 32768u); }

TEST_F(CommittedFont, TextGlyphsHaveInkExceptSpace) {
    ASSERT_EQ(glyphs_.size(), 32768u);
    EXPECT_EQ(InkCount(' '), 0);
    for (int code = 33; code <= 126; ++code) EXPECT_GT(InkCount(code), 0) << "code " << code;
    for (int code = 161; code <= 255; ++code) EXPECT_GT(InkCount(code), 0) << "code " << code;
    EXPECT_GT(InkCount('A'), 20);
}

TEST_F(CommittedFont, DescendersAndAccentsStayInsideTheCell) {
    ASSERT_EQ(glyphs_.size(), 32768u);
    // Baseline at row 13: "g" reaches below it, "x" does not, "É" has its
    // accent above the capital height.
    bool gBelow = false, xBelow = false;
    for (int x = 0; x < kWidth; ++x) {
        gBelow |= Ink('g', x, 14) || Ink('g', x, 15);
        xBelow |= Ink('x', x, 13) || Ink('x', x, 14) || Ink('x', x, 15);
    }
    EXPECT_TRUE(gBelow);
    EXPECT_FALSE(xBelow);
    bool accent = false;
    for (int x = 0; x < kWidth; ++x) accent |= Ink(201, x, 1) || Ink(201, x, 2);
    EXPECT_TRUE(accent);
}

TEST_F(CommittedFont, ConvertedCharactersReplaceLatin1Glyphs) {
    ASSERT_EQ(glyphs_.size(), 32768u);
    auto inkInRows = [&](int code, int from, int to) {
        for (int y = from; y <= to; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (Ink(code, x, y)) return true;
        return false;
    };
    // 197 and 198 show "≤" and "≥": nothing at capital height, where "Å"
    // and "Æ" would have ink.
    EXPECT_FALSE(inkInRows(197, 0, 4));
    EXPECT_FALSE(inkInRows(198, 0, 4));
    EXPECT_TRUE(inkInRows('A', 0, 4));
    // 229 and 230 show superscript seven and eight: nothing near the
    // baseline, where "å" and "æ" would have ink.
    EXPECT_FALSE(inkInRows(229, 9, 15));
    EXPECT_FALSE(inkInRows(230, 9, 15));
    EXPECT_TRUE(inkInRows(229, 0, 8));
    // 255 shows "∞": no descender as "ÿ" would have.
    EXPECT_FALSE(inkInRows(255, 13, 15));
    EXPECT_TRUE(inkInRows('y', 13, 15));
}

TEST_F(CommittedFont, FrameRulesRunAlongTheCellEdges) {
    ASSERT_EQ(glyphs_.size(), 32768u);
    EXPECT_TRUE(ColumnFull(138, 0));  // left column rule, dialog right edge
    EXPECT_EQ(InkCount(138), kHeight);
    EXPECT_TRUE(ColumnFull(139, 7));  // right column rule, dialog left edge
    EXPECT_EQ(InkCount(139), kHeight);
    EXPECT_TRUE(RowFull(140, 0));     // dialog bottom edge meets the sides above
    EXPECT_EQ(InkCount(140), kWidth);
    EXPECT_TRUE(RowFull(141, 0));
    EXPECT_TRUE(RowFull(155, 15));
    EXPECT_TRUE(RowFull(154, 9));     // rule at hyphen height (em dash)
    EXPECT_TRUE(RowFull(159, 0));     // double top edge of a dialog
    EXPECT_TRUE(RowFull(159, 2));
    EXPECT_EQ(InkCount(159), 2 * kWidth);
}

TEST_F(CommittedFont, TitleJunctionsContinueTheTopEdge) {
    ASSERT_EQ(glyphs_.size(), 32768u);
    // 18 stands right of a run of 159, 19 left of one: the two lines must
    // meet it on the shared cell edge, and nothing else may touch that edge.
    for (int y = 0; y < kHeight; ++y) {
        EXPECT_EQ(Ink(18, 0, y), Ink(159, 7, y)) << "row " << y;
        EXPECT_EQ(Ink(19, 7, y), Ink(159, 0, y)) << "row " << y;
    }
    // Both reach down to the bottom of the title line.
    bool down18 = false, down19 = false;
    for (int x = 0; x < kWidth; ++x) {
        down18 |= Ink(18, x, 15);
        down19 |= Ink(19, x, 15);
    }
    EXPECT_TRUE(down18);
    EXPECT_TRUE(down19);
}

// Arms of the line-drawing pieces: up, down, left, right; '-' none,
// '1' single, '2' double.
struct Piece {
    int code;
    const char* arms;
};

constexpr Piece kPieces[] = {
    {0, "--22"},   {1, "22--"},   {2, "2222"},   {3, "-1-2"},   {4, "-12-"},   {5, "1--2"},
    {6, "1-2-"},   {7, "11-2"},   {8, "112-"},   {9, "-122"},   {10, "1-22"},  {11, "1122"},
    {12, "-2-1"},  {13, "-21-"},  {14, "2--1"},  {15, "2-1-"},  {16, "22-1"},  {17, "221-"},
    {20, "-211"},  {21, "2-11"},  {22, "2211"},  {134, "-1-1"}, {135, "-11-"}, {136, "1--1"},
    {137, "1-1-"}, {142, "11-1"}, {143, "111-"}, {144, "-111"}, {145, "1-11"}, {146, "1111"},
    {147, "-2-2"}, {148, "-22-"}, {149, "2--2"}, {150, "2-2-"}, {151, "22-2"}, {152, "222-"},
    {153, "-222"}, {156, "--11"}, {157, "11--"}, {158, "2-22"},
};

TEST_F(CommittedFont, LineDrawingPiecesMeetTheirNeighbours) {
    ASSERT_EQ(glyphs_.size(), 32768u);
    // A single line crosses the edge at column 3 / row 7, a double one at
    // columns 2 and 4 / rows 6 and 8; an edge without an arm stays blank, so
    // any two pieces whose arms face each other join without a gap.
    for (const Piece& p : kPieces) {
        SCOPED_TRACE("code " + std::to_string(p.code) + " arms " + p.arms);
        for (int side = 0; side < 4; ++side) {
            const bool vertical = side < 2;
            const int fixed = side == 0 ? 0 : side == 1 ? kHeight - 1 : side == 2 ? 0 : kWidth - 1;
            const int length = vertical ? kWidth : kHeight;
            const int centre = vertical ? 3 : 7;
            auto edge = [&](int i) { return vertical ? Ink(p.code, i, fixed) : Ink(p.code, fixed, i); };
            for (int i = 0; i < length; ++i) {
                bool expected = false;
                if (p.arms[side] == '1') expected = i == centre;
                if (p.arms[side] == '2') expected = i == centre - 1 || i == centre + 1;
                EXPECT_EQ(edge(i), expected) << "side " << side << " position " << i;
            }
        }
    }
}

TEST_F(CommittedFont, VolumeAndFolderPicturesJoinTheirMiddlePart) {
    ASSERT_EQ(glyphs_.size(), 32768u);
    // 129/130 131 131 132: each right edge continues into the next left edge.
    for (int y = 0; y < kHeight; ++y) {
        EXPECT_EQ(Ink(129, 7, y), Ink(131, 0, y)) << "row " << y;
        EXPECT_EQ(Ink(130, 7, y), Ink(131, 0, y)) << "row " << y;
        EXPECT_EQ(Ink(131, 7, y), Ink(131, 0, y)) << "row " << y;
        EXPECT_EQ(Ink(131, 7, y), Ink(132, 0, y)) << "row " << y;
    }
    EXPECT_GT(InkCount(131), 0);
    EXPECT_NE(InkCount(129), InkCount(130));
    EXPECT_GT(InkCount(128), 20);  // the lock is a solid mark
    EXPECT_GT(InkCount(160), 0);   // the visible blank is visible
}

#ifdef MAKE_FONT_EXE

// Runs a program with arguments (no shell, so paths with blanks need no
// quoting) and returns its exit status, or -1 when it did not exit normally.
int RunProgram(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class TempFile {
public:
    explicit TempFile(const std::string& name)
        : path_(fs::temp_directory_path() / (name + "_" + std::to_string(getpid()))) {
        fs::remove(path_);
    }
    ~TempFile() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

bool TtfAvailable() { return fs::exists(DEJAVU_SANS_MONO_TTF); }

TEST(MakeFontTool, RegeneratesTheCommittedFontByteForByte) {
    if (!TtfAvailable()) GTEST_SKIP() << DEJAVU_SANS_MONO_TTF << " is not installed";
    TempFile out("make_font_regenerated.font");
    ASSERT_EQ(RunProgram({MAKE_FONT_EXE, "--ttf", DEJAVU_SANS_MONO_TTF, "--out", out.path().string()}), 0);
    const std::vector<std::uint8_t> generated = ReadBytes(out.path());
    const std::vector<std::uint8_t> committed = ReadBytes(CommittedFontPath());
    ASSERT_FALSE(committed.empty());
    EXPECT_EQ(generated.size(), committed.size());
    EXPECT_TRUE(generated == committed) << "regenerate resources/MenloRegular 8x16.font with make_font";
}

TEST(MakeFontTool, RejectsIncompleteCommandLine) {
    TempFile out("make_font_incomplete.font");
    EXPECT_NE(RunProgram({MAKE_FONT_EXE}), 0);
    EXPECT_NE(RunProgram({MAKE_FONT_EXE, "--out", out.path().string()}), 0);
    EXPECT_NE(RunProgram({MAKE_FONT_EXE, "--ttf", DEJAVU_SANS_MONO_TTF, "--out"}), 0);
    EXPECT_NE(RunProgram({MAKE_FONT_EXE, "--ttf", DEJAVU_SANS_MONO_TTF, "--out", out.path().string(), "--bogus", "x"}), 0);
    EXPECT_FALSE(fs::exists(out.path()));
}

TEST(MakeFontTool, FailsWithoutWritingWhenTheFontCannotBeOpened) {
    TempFile out("make_font_nofont.font");
    const fs::path missing = fs::temp_directory_path() / "make_font_no_such_font.ttf";
    EXPECT_NE(RunProgram({MAKE_FONT_EXE, "--ttf", missing.string(), "--out", out.path().string()}), 0);
    EXPECT_FALSE(fs::exists(out.path()));
}

#else

TEST(MakeFontTool, RegeneratesTheCommittedFontByteForByte) {
    GTEST_SKIP() << "make_font was not built (FreeType not found)";
}

#endif

}  // namespace
