// Graphic windows: initialisation and block allocation in the video memory,
// release and compaction, clearing, geometry, host-window management, view
// updates and the auto-update pacing.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "runtime/font.h"
#include "runtime/memory.h"
#include "runtime/program.h"
#include "runtime/window.h"
#include "runtime_fixture.h"
#include "test_fonts.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string P0 = "t_InitWindow: GraphicWindow #0";
const std::string P1 = "t_InitWindow: GraphicWindow #1";

const t_Font& Font8x16() {
    static const t_Font font = CellFont(8, 16);
    return font;
}

// The log without the auto-update thread's lines, which arrive whenever
// that thread gets to run.
std::vector<std::string> RuntimeLines(const LogCapture& log) {
    std::vector<std::string> lines;
    for (const std::string& l : log.Lines())
        if (l.rfind("t_WindowAutoUpdateProcess:", 0) != 0) lines.push_back(l);
    return lines;
}

t_Window& Record(UInt8 w) { return Screen().WindowTable[w]; }
std::vector<UInt8>& Memory() { return Screen().VideoMemory; }

std::vector<UInt8> Bytes(Int start, Int end) {
    return std::vector<UInt8>(Memory().begin() + start, Memory().begin() + end + 1);
}

void FillPattern(Int start, Int end, unsigned seed) {
    for (Int a = start; a <= end; ++a) Memory()[static_cast<std::size_t>(a)] = static_cast<UInt8>((a * 7 + seed) & 0xFF);
}

// Pixel form with the arguments most tests do not care about defaulted;
// auto-update stays off so that refresh counters only count what a test does.
void Init(UInt8 w, Int depth, Int width, Int height, const t_Font& font = EmptyFont(), Int borderWidth = 0,
          Int borderHeight = 0, bool titleVisible = true, bool autoUpdate = false) {
    t_InitWindow(w, depth, autoUpdate, width, height, borderWidth, borderHeight, font, titleVisible);
}

// The runtime exists already, so the logs show only the window's own lines.
class WindowTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        t_CheckMemory();
    }

    // Window 0 (8 bit, text), window 1 (24 bit, text) and window 2 (8 bit,
    // no text), allocated in that order from the top of the video memory.
    void InitThreeWindows() {
        Init(0, 8, 64, 32, Font8x16());
        Init(1, 24, 64, 32, Font8x16());
        Init(2, 8, 32, 32);
        ASSERT_EQ(Record(0).MemoryStart.Load(), 0xFFF000);
        ASSERT_EQ(Record(0).TextMemoryStart, 0xFFE400);
        ASSERT_EQ(Record(1).MemoryStart.Load(), 0xFFC400);
        ASSERT_EQ(Record(1).MemoryEnd.Load(), 0xFFE3FF);
        ASSERT_EQ(Record(1).TextMemoryStart, 0xFFC000);
        ASSERT_EQ(Record(1).TextMemoryEnd, 0xFFC3FF);
        ASSERT_EQ(Record(2).MemoryStart.Load(), 0xFFB400);
        ASSERT_EQ(Record(2).MemoryEnd.Load(), 0xFFBFFF);
        ASSERT_EQ(Screen().HighMemory, 0xFFB3FF);
    }
};

// A fresh runtime: the first t_InitWindow of the test initialises it.
class FirstWindowTest : public RuntimeTest {};

// --- t_InitWindow ---------------------------------------------------------------

TEST_F(WindowTest, PixelFormSetsTheRecordAndTheHostWindow) {
    t_Window& win = Record(4);
    // Fields the initialisation sets, holding something else beforehand.
    win.IgnoreEvents = true;
    win.QuickUpdate = false;
    win.ScrollLock = true;
    win.VerticalBlank = false;
    win.RefreshRate = 5;
    win.UpdateStarted = 77;
    win.UpdateFinished = 88;
    win.DrawingMode = 3;
    win.PositionX = 9;
    win.PositionY = 9;
    win.TextColor = 0x12;
    win.TextHpos = 7;
    win.TextVpos = 7;
    win.LoResOffsetX = 1;
    win.LoResOffsetY = 1;
    win.LoResMode = 1;
    // Fields it leaves alone.
    win.Visible = true;
    win.UpdateDuration = 1234;
    win.DrawingRect = {1, 2, 3, 4};
    win.TextInverse = true;
    win.TextDisplayMode = 3;
    win.TextCursorLevel = 2;
    win.TextRedirectOutput = 3;
    win.InputString = "abc";
    win.InputFinished = true;
    win.InputMode = 2;
    win.InputHpos = 3;
    win.InputVpos = 4;
    win.InputCursorPos = 5;
    win.InputMaxCharacters = 40;

    LogCapture log;
    Init(4, 16, 320, 200, Font8x16(), 7, 5);

    EXPECT_EQ(RuntimeLines(log), (std::vector<std::string>{
                                     "t_InitWindow: GraphicWindow #4 Start.",
                                     "t_InitWindow: GraphicWindow #4 = 320 x 200 pixel x 16 bit = 125K "
                                     "video-memory = $00FE0400.",
                                     "t_InitWindow: GraphicWindow #4 End.",
                                 }));
    EXPECT_TRUE(win.Initialized.Load());
    EXPECT_FALSE(win.IgnoreEvents.Load());
    EXPECT_FALSE(win.AutoUpdate.Load());
    EXPECT_TRUE(win.QuickUpdate.Load());
    EXPECT_FALSE(win.ScrollLock);
    EXPECT_TRUE(win.VerticalBlank.Load());
    EXPECT_EQ(win.UpdateStarted.Load(), 0);
    EXPECT_EQ(win.UpdateFinished.Load(), 0);
    EXPECT_EQ(win.RefreshRate.Load(), 30);
    EXPECT_EQ(win.Window.Load(), 4);
    EXPECT_EQ(win.View.Load(), 4);
    EXPECT_EQ(win.TitleHeight, 28);
    EXPECT_EQ(win.BorderWidth, 7);
    EXPECT_EQ(win.BorderHeight, 5);
    EXPECT_TRUE((win.RGBColorBorder == t_RGBColor{255, 84, 84, 84}));
    EXPECT_EQ(win.BitDepth.Load(), 16);
    EXPECT_EQ(win.Width.Load(), 320);
    EXPECT_EQ(win.Height.Load(), 200);
    EXPECT_TRUE((win.RGBColor == t_RGBColor{255, 0, 0, 0}));
    EXPECT_EQ(win.DrawingMode, 0);
    EXPECT_EQ(win.PositionX, 0);
    EXPECT_EQ(win.PositionY, 0);
    EXPECT_EQ(win.MemoryStart.Load(), 0xFE0400);
    EXPECT_EQ(win.MemoryEnd.Load(), 0xFFFFFF);
    EXPECT_EQ(win.Font.Width, 8);
    EXPECT_EQ(win.Font.Height, 16);
    EXPECT_EQ(win.Font.Data.size(), Font8x16().Data.size());
    EXPECT_EQ(win.TextWidth, 40);
    EXPECT_EQ(win.TextHeight, 12);
    EXPECT_EQ(win.TextFirstColumn, 1);
    EXPECT_EQ(win.TextLastColumn, 40);
    EXPECT_EQ(win.TextFirstLine, 1);
    EXPECT_EQ(win.TextLastLine, 12);
    EXPECT_EQ(win.TextHpos, 1);
    EXPECT_EQ(win.TextVpos, 1);
    EXPECT_EQ(win.TextColor, 0xC0);
    EXPECT_EQ(win.LoResOffsetX, 0);
    EXPECT_EQ(win.LoResOffsetY, 0);
    EXPECT_EQ(win.LoResMode, 0);
    EXPECT_EQ(win.TextMemoryStart, 0xFE0000);
    EXPECT_EQ(win.TextMemoryEnd, 0xFE03FF);
    EXPECT_EQ(Screen().HighMemory, 0xFDFFFF);

    EXPECT_TRUE(win.Visible.Load());
    EXPECT_EQ(win.UpdateDuration.Load(), 1234);
    EXPECT_EQ(win.DrawingRect.Width, 3);
    EXPECT_TRUE(win.TextInverse);
    EXPECT_EQ(win.TextDisplayMode, 3);
    EXPECT_EQ(win.TextCursorLevel, 2);
    EXPECT_EQ(win.TextRedirectOutput, 3);
    EXPECT_EQ(win.InputString, "abc");
    EXPECT_TRUE(win.InputFinished);
    EXPECT_EQ(win.InputMode, 2);
    EXPECT_EQ(win.InputHpos, 3);
    EXPECT_EQ(win.InputVpos, 4);
    EXPECT_EQ(win.InputCursorPos, 5);
    EXPECT_EQ(win.InputMaxCharacters, 40);

    const HeadlessPlatform::HostWindow h = host->Window(4);
    EXPECT_EQ(RectText(h.frame), "100,100,334,238");
    EXPECT_EQ(RectText(h.viewFrame), "7,5,320,200");
    EXPECT_EQ(h.title, "Tabrona");
    EXPECT_EQ(h.styleMask, 7u);
    EXPECT_TRUE((h.background == HostColor{84 / 255.0, 84 / 255.0, 84 / 255.0, 1.0}));
}

TEST_F(WindowTest, AutoUpdateFlagComesFromTheArgument) {
    Init(0, 8, 32, 32, EmptyFont(), 0, 0, true, true);
    Init(1, 8, 32, 32, EmptyFont(), 0, 0, true, false);
    EXPECT_TRUE(Record(0).AutoUpdate.Load());
    EXPECT_FALSE(Record(1).AutoUpdate.Load());
}

TEST_F(WindowTest, BlockStartsAreAlignedWithBit11Cleared) {
    struct Case {
        Int width, height;
        Int start;
    };
    // 8 bit, so the need is width x height; the blocks end at 0xFFFFFF.
    const Case cases[] = {
        {32, 32, 0xFFF400},   // 0xFFFC00: bit 10 stays, bit 11 goes
        {64, 32, 0xFFF000},   // 0xFFF800: bit 11 goes
        {32, 33, 0xFFF000},   // 0xFFFBE0
        {96, 32, 0xFFF400},   // 0xFFF400 already aligned
        {128, 32, 0xFFF000},  // 0xFFF000
        {32, 36, 0xFFF000},   // 0xFFFB80
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        LogCapture log;
        Init(0, 8, c.width, c.height);
        EXPECT_EQ(Record(0).MemoryStart.Load(), c.start);
        EXPECT_EQ(Record(0).MemoryEnd.Load(), 0xFFFFFF);
        EXPECT_EQ(Screen().HighMemory, c.start - 1);
        char address[16];
        std::snprintf(address, sizeof address, "$%08llX.", static_cast<unsigned long long>(c.start));
        const std::string head =
            P0 + " = " + std::to_string(c.width) + " x " + std::to_string(c.height) + " pixel x 8 bit = ";
        bool found = false;
        for (const std::string& l : log.Lines()) {
            if (l.rfind(head, 0) != 0) continue;
            found = true;
            const std::string tail = std::string("K video-memory = ") + address;
            EXPECT_EQ(l.substr(l.size() - std::min(l.size(), tail.size())), tail);
        }
        EXPECT_TRUE(found);
    }
    // The text block is aligned the same way: 0xFFEFE0 becomes 0xFFE400.
    Init(0, 8, 64, 32, Font8x16());
    EXPECT_EQ(Record(0).TextMemoryStart, 0xFFE400);
    EXPECT_EQ(Record(0).TextMemoryEnd, 0xFFEFFF);
    EXPECT_EQ(Screen().HighMemory, 0xFFE3FF);
}

TEST_F(WindowTest, SizesOutsideTheLimitsAreReplaced) {
    struct Case {
        Int width, height;
        Int usedWidth, usedHeight;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {20, 9000, 1280, 800, {P0 + " cannot display 20 horizontal pixel.", P0 + " cannot display 9000 vertical pixel."}},
        {31, 31, 1280, 800, {P0 + " cannot display 31 horizontal pixel.", P0 + " cannot display 31 vertical pixel."}},
        {8193, 100, 1280, 100, {P0 + " cannot display 8193 horizontal pixel."}},
        {-5, 8193, 1280, 800, {P0 + " cannot display -5 horizontal pixel.", P0 + " cannot display 8193 vertical pixel."}},
        {32, 32, 32, 32, {}},
        {8192, 40, 8192, 40, {}},
        {40, 8192, 40, 8192, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        LogCapture log;
        Init(0, 8, c.width, c.height);
        EXPECT_EQ(Record(0).Width.Load(), c.usedWidth);
        EXPECT_EQ(Record(0).Height.Load(), c.usedHeight);
        std::vector<std::string> messages;
        for (const std::string& l : log.Lines())
            if (l.find("cannot display") != std::string::npos) messages.push_back(l);
        EXPECT_EQ(messages, c.messages);
        EXPECT_TRUE(Record(0).Initialized.Load());
    }
}

TEST_F(WindowTest, PackedDepthWidthsAreRounded) {
    const std::string four = P0 + " width with 4 bit depth must be a multiple of 4.";
    const std::string one = P0 + " width with 1 bit depth must be a multiple of 8.";
    struct Case {
        Int depth, width;
        Int usedWidth;
        bool message;
        Int start;
    };
    const Case cases[] = {
        {4, 202, 200, true, 0xFFF000},   {4, 201, 200, true, 0xFFF000}, {4, 203, 204, true, 0xFFF000},
        {4, 200, 200, false, 0xFFF000},  {4, 8191, 8192, true, 0xFE0000},  // 8192 x 32 / 2 = 0x20000
        {1, 201, 208, true, 0xFFF400},   {1, 202, 208, true, 0xFFF400}, {1, 207, 208, true, 0xFFF400},
        {1, 200, 200, false, 0xFFF400},  {1, 8190, 8192, true, 0xFF8000},  // 8192 x 32 / 8 = 0x8000
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.depth) + " bit, " + std::to_string(c.width));
        LogCapture log;
        Init(0, static_cast<Int>(c.depth), c.width, 32);
        EXPECT_EQ(Record(0).Width.Load(), c.usedWidth);
        EXPECT_EQ(Record(0).MemoryStart.Load(), c.start);
        EXPECT_EQ(log.Contains(c.depth == 4 ? four : one), c.message);
        const std::string head =
            P0 + " = " + std::to_string(c.usedWidth) + " x 32 pixel x " + std::to_string(c.depth) + " bit = ";
        bool allocated = false;
        for (const std::string& l : log.Lines()) allocated = allocated || l.rfind(head, 0) == 0;
        EXPECT_TRUE(allocated);
    }
}

TEST_F(WindowTest, UnsupportedDepthIsRefused) {
    for (Int depth : {0, 2, 3, 12, 64, -8}) {
        SCOPED_TRACE(depth);
        LogCapture log;
        Init(0, depth, 64, 32, Font8x16());
        EXPECT_EQ(RuntimeLines(log), (std::vector<std::string>{
                                         P0 + " Start.",
                                         P0 + " unsupported " + std::to_string(depth) + " bit depth.",
                                     }));
        EXPECT_FALSE(Record(0).Initialized.Load());
        EXPECT_EQ(Screen().HighMemory, 0xFFFFFF);
        EXPECT_EQ(host->Window(0).title, "");
    }
}

TEST_F(WindowTest, GraphicMemoryShortageIsRefused) {
    const std::string p2 = "t_InitWindow: GraphicWindow #2";
    struct Case {
        Int depth, width, height;
        std::string need;
    };
    // The fresh video memory has 0xFFFFFF - 65536 = 16,711,679 bytes free (16319K).
    const Case fresh[] = {
        {32, 8192, 8192, "t_InitWindow: Displaying 8192 x 8192 pixel x 32 bit needs 262144K video-memory."},
        {4, 8192, 8192, "t_InitWindow: Displaying 8192 x 8192 pixel x 4 bit needs 32768K video-memory."},
        // One byte more than is free.
        {8, 8192, 2040, "t_InitWindow: Displaying 8192 x 2040 pixel x 8 bit needs 16320K video-memory."},
    };
    for (const Case& c : fresh) {
        SCOPED_TRACE(c.need);
        LogCapture log;
        // An invisible title would be announced after the memory check only.
        Init(2, c.depth, c.width, c.height, Font8x16(), 0, 0, false);
        EXPECT_EQ(RuntimeLines(log), (std::vector<std::string>{
                                         p2 + " Start.",
                                         p2 + " has not enough graphic-video-memory (16319K available).",
                                         c.need,
                                     }));
        EXPECT_FALSE(Record(2).Initialized.Load());
        EXPECT_EQ(Screen().HighMemory, 0xFFFFFF);
        EXPECT_EQ(host->Window(2).styleMask, 7u);
    }

    // With 8 MiB taken, 0x7FFFFF - 65536 = 8,323,071 bytes (8127K) are left.
    Init(1, 32, 2048, 1024);
    ASSERT_EQ(Screen().HighMemory, 0x7FFFFF);
    LogCapture log;
    Init(2, 1, 8192, 8192);
    EXPECT_EQ(RuntimeLines(log), (std::vector<std::string>{
                                     p2 + " Start.",
                                     p2 + " has not enough graphic-video-memory (8127K available).",
                                     "t_InitWindow: Displaying 8192 x 8192 pixel x 1 bit needs 8192K video-memory.",
                                 }));
    EXPECT_FALSE(Record(2).Initialized.Load());
    EXPECT_EQ(Screen().HighMemory, 0x7FFFFF);
}

TEST_F(WindowTest, WindowThatJustFitsIsAccepted) {
    // 8192 x 2039 = 16,703,488 bytes: 0x1000000 - that = 0x12000, already aligned.
    Init(0, 8, 8192, 2039);
    EXPECT_TRUE(Record(0).Initialized.Load());
    EXPECT_EQ(Record(0).MemoryStart.Load(), 0x12000);
    EXPECT_EQ(Screen().HighMemory, 0x11FFF);
}

TEST_F(WindowTest, TextMemoryShortageIsRefused) {
    Init(1, 32, 2048, 1024);  // leaves 8127K
    const std::string p3 = "t_InitWindow: GraphicWindow #3";
    LogCapture log;
    // One-pixel cells: 4096 x 1024 characters need 8 MiB, the pixels only 512K.
    Init(3, 1, 4096, 1024, CellFont(1, 1));
    EXPECT_EQ(RuntimeLines(log), (std::vector<std::string>{
                                     p3 + " Start.",
                                     p3 + " has not enough text-video-memory (8127K available).",
                                     "t_InitWindow: Displaying 4096 x 1024 characters needs 8192K text-video-memory.",
                                 }));
    EXPECT_FALSE(Record(3).Initialized.Load());
    EXPECT_EQ(Screen().HighMemory, 0x7FFFFF);
}

TEST_F(WindowTest, GraphicAndTextTogetherMustFitAboveTheReservedMemory) {
    // 32 bit 8192 x 509 needs 16,678,912 bytes and its 1024 x 31 characters
    // 63,488: each fits the 16,711,679 free bytes, both together do not.
    LogCapture log;
    Init(0, 32, 8192, 509, Font8x16());
    const std::vector<std::string> lines = RuntimeLines(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], P0 + " has not enough graphic-video-memory (16319K available).");
    const std::string head = "t_InitWindow: Displaying 8192 x 509 pixel x 32 bit needs ";
    EXPECT_EQ(lines[2].substr(0, head.size()), head);
    EXPECT_EQ(lines[2].substr(lines[2].size() - 15), "K video-memory.");
    EXPECT_FALSE(Record(0).Initialized.Load());
    EXPECT_EQ(Screen().HighMemory, 0xFFFFFF);

    // Filling the memory window by window never hands out the lowest 64 KiB.
    for (UInt8 w = 0; w < GraphicWindowCount; ++w) Init(w, 32, 2048, 600, Font8x16());
    for (UInt8 w = 0; w < GraphicWindowCount; ++w) {
        const t_Window& win = Record(w);
        if (win.MemoryStart >= 0) {
            EXPECT_GE(win.MemoryStart.Load(), 65536) << int(w);
        }
        if (win.TextMemoryStart >= 0) {
            EXPECT_GE(win.TextMemoryStart, 65536) << int(w);
        }
    }
    EXPECT_GE(Screen().HighMemory, 65535);
    EXPECT_FALSE(Record(7).Initialized.Load());
}

TEST_F(WindowTest, ReinitialisingMovesLaterWindowsWithTheirContents) {
    InitThreeWindows();
    FillPattern(0xFFC400, 0xFFE3FF, 1);  // window 1 pixels
    FillPattern(0xFFC000, 0xFFC3FF, 2);  // window 1 characters and colours
    FillPattern(0xFFB400, 0xFFBFFF, 3);  // window 2 pixels
    const std::vector<UInt8> graphic1 = Bytes(0xFFC400, 0xFFE3FF);
    const std::vector<UInt8> text1 = Bytes(0xFFC000, 0xFFC3FF);
    const std::vector<UInt8> graphic2 = Bytes(0xFFB400, 0xFFBFFF);

    LogCapture log;
    Init(0, 8, 64, 32, Font8x16());

    // Window 0 held 0x1000 + 0xC00 bytes: everything below moves up by 0x1C00.
    EXPECT_EQ(RuntimeLines(log),
              (std::vector<std::string>{
                  P0 + " Start.",
                  P0 + " high memory = $00FFFFFF, graphic block size to delete = $00001000.",
                  P0 + " high memory = $00FFFFFF, text block size to delete = $00000C00.",
                  P0 + " moving graphic block for win #1$00FFC400...00FFE3FF to$00FFE000...00FFFFFF",
                  P0 + " moving text block for win #1$00FFC000...00FFC3FF to$00FFDC00...00FFDFFF",
                  P0 + " moving graphic block for win #2$00FFB400...00FFBFFF to$00FFD000...00FFDBFF",
                  P0 + " = 64 x 32 pixel x 8 bit = 2K video-memory = $00FFC000.",
                  P0 + " End.",
              }));
    EXPECT_EQ(Record(1).MemoryStart.Load(), 0xFFE000);
    EXPECT_EQ(Record(1).MemoryEnd.Load(), 0xFFFFFF);
    EXPECT_EQ(Record(1).TextMemoryStart, 0xFFDC00);
    EXPECT_EQ(Record(1).TextMemoryEnd, 0xFFDFFF);
    EXPECT_EQ(Record(2).MemoryStart.Load(), 0xFFD000);
    EXPECT_EQ(Record(2).MemoryEnd.Load(), 0xFFDBFF);
    EXPECT_EQ(Record(2).TextMemoryStart, -1);
    EXPECT_EQ(Record(2).TextMemoryEnd, -1);
    EXPECT_TRUE(Bytes(0xFFE000, 0xFFFFFF) == graphic1);
    EXPECT_TRUE(Bytes(0xFFDC00, 0xFFDFFF) == text1);
    EXPECT_TRUE(Bytes(0xFFD000, 0xFFDBFF) == graphic2);
    // The moved windows keep their geometry.
    EXPECT_EQ(t_WindowPos(1, 6), 8);
    EXPECT_EQ(t_WindowPos(2, 8), 32);

    // Window 0 was allocated anew below them and cleared.
    EXPECT_EQ(Record(0).MemoryStart.Load(), 0xFFC000);
    EXPECT_EQ(Record(0).MemoryEnd.Load(), 0xFFCFFF);
    EXPECT_EQ(Record(0).TextMemoryStart, 0xFFB400);
    EXPECT_EQ(Record(0).TextMemoryEnd, 0xFFBFFF);
    EXPECT_EQ(Screen().HighMemory, 0xFFB3FF);
    EXPECT_TRUE(Bytes(0xFFC000, 0xFFC7FF) == std::vector<UInt8>(2048, 0));
    EXPECT_EQ(Memory()[0xFFB400], 0x20);
    EXPECT_EQ(Memory()[0xFFB400 + 0x600], 0xC0);
}

TEST_F(WindowTest, ReinitialisingAMiddleWindowLeavesEarlierWindowsInPlace) {
    InitThreeWindows();
    FillPattern(0xFFE400, 0xFFFFFF, 4);  // window 0, both blocks
    FillPattern(0xFFB400, 0xFFBFFF, 5);  // window 2
    const std::vector<UInt8> window0 = Bytes(0xFFE400, 0xFFFFFF);
    const std::vector<UInt8> window2 = Bytes(0xFFB400, 0xFFBFFF);

    LogCapture log;
    Init(1, 24, 64, 32, Font8x16());
    EXPECT_EQ(RuntimeLines(log),
              (std::vector<std::string>{
                  P1 + " Start.",
                  P1 + " high memory = $00FFE3FF, graphic block size to delete = $00002000.",
                  P1 + " high memory = $00FFE3FF, text block size to delete = $00000400.",
                  P1 + " moving graphic block for win #2$00FFB400...00FFBFFF to$00FFD800...00FFE3FF",
                  P1 + " = 64 x 32 pixel x 24 bit = 6K video-memory = $00FFC000.",
                  P1 + " End.",
              }));
    EXPECT_EQ(Record(0).MemoryStart.Load(), 0xFFF000);
    EXPECT_EQ(Record(0).TextMemoryStart, 0xFFE400);
    EXPECT_TRUE(Bytes(0xFFE400, 0xFFFFFF) == window0);
    EXPECT_EQ(Record(2).MemoryStart.Load(), 0xFFD800);
    EXPECT_EQ(Record(2).MemoryEnd.Load(), 0xFFE3FF);
    EXPECT_EQ(Record(2).TextMemoryStart, -1);
    EXPECT_TRUE(Bytes(0xFFD800, 0xFFE3FF) == window2);
    EXPECT_EQ(Record(1).MemoryStart.Load(), 0xFFC000);
    EXPECT_EQ(Record(1).TextMemoryStart, 0xFFB400);
    EXPECT_EQ(Screen().HighMemory, 0xFFB3FF);
}

// Windows allocated in falling number order lie the other way round in
// memory; compaction must still keep every moved window's contents.
TEST_F(WindowTest, CompactionKeepsContentsWhateverTheAllocationOrder) {
    Init(2, 8, 32, 32);
    Init(1, 8, 64, 32, Font8x16());
    Init(0, 8, 32, 32);
    const Int start1 = Record(1).MemoryStart, end1 = Record(1).MemoryEnd;
    const Int text1 = Record(1).TextMemoryStart, textEnd1 = Record(1).TextMemoryEnd;
    const Int start0 = Record(0).MemoryStart, end0 = Record(0).MemoryEnd;
    FillPattern(start1, end1, 6);
    FillPattern(text1, textEnd1, 7);
    FillPattern(start0, end0, 8);
    const std::vector<UInt8> graphic1 = Bytes(start1, end1);
    const std::vector<UInt8> chars1 = Bytes(text1, textEnd1);
    const std::vector<UInt8> graphic0 = Bytes(start0, end0);

    Init(2, 8, 32, 32);  // releases the topmost block: both others move up
    EXPECT_TRUE(Bytes(Record(1).MemoryStart, Record(1).MemoryEnd) == graphic1);
    EXPECT_TRUE(Bytes(Record(1).TextMemoryStart, Record(1).TextMemoryEnd) == chars1);
    EXPECT_TRUE(Bytes(Record(0).MemoryStart, Record(0).MemoryEnd) == graphic0);
}

TEST_F(WindowTest, FailedReinitialisationReturnsTheReleasedMemory) {
    InitThreeWindows();
    FillPattern(0xFFC400, 0xFFE3FF, 9);
    const std::vector<UInt8> graphic1 = Bytes(0xFFC400, 0xFFE3FF);

    LogCapture log;
    Init(0, 12, 64, 32, Font8x16());
    EXPECT_EQ(RuntimeLines(log),
              (std::vector<std::string>{
                  P0 + " Start.",
                  P0 + " high memory = $00FFFFFF, graphic block size to delete = $00001000.",
                  P0 + " high memory = $00FFFFFF, text block size to delete = $00000C00.",
                  P0 + " moving graphic block for win #1$00FFC400...00FFE3FF to$00FFE000...00FFFFFF",
                  P0 + " moving text block for win #1$00FFC000...00FFC3FF to$00FFDC00...00FFDFFF",
                  P0 + " moving graphic block for win #2$00FFB400...00FFBFFF to$00FFD000...00FFDBFF",
                  P0 + " unsupported 12 bit depth.",
              }));
    EXPECT_FALSE(Record(0).Initialized.Load());
    EXPECT_EQ(Screen().HighMemory, 0xFFB3FF + 0x1C00);
    EXPECT_TRUE(Bytes(0xFFE000, 0xFFFFFF) == graphic1);
}

// The record of a window whose re-initialisation failed still names its old
// addresses, which now belong to the windows moved into them.
TEST_F(WindowTest, ClearingAWindowLeftUninitialisedTouchesNoOtherWindow) {
    InitThreeWindows();
    Init(0, 12, 64, 32, Font8x16());
    ASSERT_FALSE(Record(0).Initialized.Load());
    FillPattern(0xFFE000, 0xFFFFFF, 10);  // window 1's pixels after the move
    const std::vector<UInt8> graphic1 = Bytes(0xFFE000, 0xFFFFFF);
    const std::vector<UInt8> text1 = Bytes(0xFFDC00, 0xFFDFFF);

    t_ClearWindowMemory(0);
    EXPECT_TRUE(Bytes(0xFFE000, 0xFFFFFF) == graphic1);
    EXPECT_TRUE(Bytes(0xFFDC00, 0xFFDFFF) == text1);
}

TEST_F(WindowTest, WindowWithoutFontHasNoText) {
    Init(3, 24, 64, 32);
    const t_Window& win = Record(3);
    EXPECT_TRUE(win.Initialized.Load());
    EXPECT_EQ(win.TextWidth, -1);
    EXPECT_EQ(win.TextHeight, -1);
    EXPECT_EQ(win.TextLastColumn, -1);
    EXPECT_EQ(win.TextLastLine, -1);
    EXPECT_EQ(win.TextMemoryStart, -1);
    EXPECT_EQ(win.TextMemoryEnd, -1);
    EXPECT_EQ(Screen().HighMemory, win.MemoryStart - 1);
    EXPECT_EQ(t_WindowPos(3, 6), -1);
    EXPECT_EQ(t_WindowPos(3, 7), -1);
    EXPECT_EQ(host->Window(3).title, "Tabrona-Grafik");

    Init(4, 24, 64, 32, Font8x16());
    EXPECT_EQ(host->Window(4).title, "Tabrona");
}

class NamedPlatform : public HeadlessPlatform {
public:
    explicit NamedPlatform(std::string name) : name_(std::move(name)) {}
    std::string ApplicationName() override { return name_; }

private:
    std::string name_;
};

TEST_F(WindowTest, TitleIsTheApplicationNameWithoutItsBundleExtension) {
    struct Case {
        const char* name;
        bool text;
        const char* title;
    };
    const Case cases[] = {
        {"Tabrona.app", true, "Tabrona"},         {"Tabrona.APP", true, "Tabrona"},
        {"Rechner.App", false, "Rechner-Grafik"}, {"Tabrona.application", true, "Tabrona.application"},
        {"Tabrona", false, "Tabrona-Grafik"},
    };
    for (const Case& c : cases) {
        ResetRuntime();
        auto platform = std::make_unique<NamedPlatform>(c.name);
        host = platform.get();
        InstallPlatform(std::move(platform));
        Init(0, 8, 64, 32, c.text ? Font8x16() : EmptyFont());
        EXPECT_EQ(host->Window(0).title, c.title) << c.name;
    }
}

TEST_F(WindowTest, TitleCanBeHiddenAtInitialisation) {
    const std::string p5 = "t_InitWindow: GraphicWindow #5";
    LogCapture log;
    Init(5, 24, 64, 32, EmptyFont(), 2, 3, false);
    EXPECT_EQ(RuntimeLines(log), (std::vector<std::string>{
                                     p5 + " Start.",
                                     p5 + " title will be invisible.",
                                     p5 + " = 64 x 32 pixel x 24 bit = 6K video-memory = $00FFE000.",
                                     p5 + " End.",
                                 }));
    EXPECT_EQ(Record(5).TitleHeight, 0);
    EXPECT_EQ(host->Window(5).styleMask, 0u);
    EXPECT_EQ(RectText(host->Window(5).frame), "100,100,68,38");
    EXPECT_EQ(t_WindowPos(5, 12), 38);
}

TEST_F(WindowTest, NegativeBordersComeFromTheScreenSize) {
    host->SetScreenSize(1600, 1000);
    Init(0, 8, 640, 480, EmptyFont(), -1, -20);
    EXPECT_EQ(Record(0).BorderWidth, 1600 - 640);
    EXPECT_EQ(Record(0).BorderHeight, 1000 - 480);
    Init(1, 8, 640, 480, EmptyFont(), 4, -1);
    EXPECT_EQ(Record(1).BorderWidth, 4);
    EXPECT_EQ(Record(1).BorderHeight, 1000 - 480);
}

TEST_F(WindowTest, WindowWithoutViewStaysUninitialised) {
    host->SetViewExists(3, false);
    const std::string p3 = "t_InitWindow: GraphicWindow #3";
    LogCapture log;
    Init(3, 8, 64, 32, Font8x16());
    const std::vector<std::string> lines = RuntimeLines(log);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], p3 + " Start.");
    EXPECT_EQ(lines[1], p3 + " = 64 x 32 pixel x 8 bit = 2K video-memory = $00FFF000.");
    EXPECT_EQ(lines[2], p3 + " could not be initialized, resource undefined.");
    const t_Window& win = Record(3);
    EXPECT_FALSE(win.Initialized.Load());
    EXPECT_TRUE(win.Font.Data.empty());
    EXPECT_EQ(win.Font.Width, 0);
    EXPECT_EQ(win.Font.HeaderSize, 16);
    // The blocks stay allocated.
    EXPECT_EQ(win.MemoryStart.Load(), 0xFFF000);
    EXPECT_EQ(win.TextMemoryStart, 0xFFE400);
    EXPECT_EQ(Screen().HighMemory, 0xFFE3FF);
    EXPECT_EQ(host->Window(3).title, "");
    EXPECT_EQ(RectText(host->Window(3).frame), "100,100,640,480");

    log.Clear();
    t_WindowUpdate(3, true);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_WindowUpdate: Window #3 view is nil, resource undefined."}));
}

// The view check does not end the initialisation early: its closing line follows.
TEST_F(WindowTest, WindowWithoutViewStillLogsTheEndOfItsInitialisation) {
    host->SetViewExists(3, false);
    LogCapture log;
    Init(3, 8, 64, 32, Font8x16());
    EXPECT_EQ(RuntimeLines(log), (std::vector<std::string>{
                                     "t_InitWindow: GraphicWindow #3 Start.",
                                     "t_InitWindow: GraphicWindow #3 = 64 x 32 pixel x 8 bit = 2K video-memory = $00FFF000.",
                                     "t_InitWindow: GraphicWindow #3 could not be initialized, resource undefined.",
                                     "t_InitWindow: GraphicWindow #3 End.",
                                 }));
}

TEST_F(FirstWindowTest, DefaultWindowAndTheAutoUpdateThreadComeWithTheFirstGraphicWindow) {
    LogCapture log;
    Init(9, 8, 64, 32);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_InitWindow: Window is not a graphic window."}));
    EXPECT_FALSE(Runtime().MemoryInitStarted.Load());
    EXPECT_EQ(Screen().DefaultWindow.Load(), 255);

    // Even a refused window becomes the default one.
    Init(3, 12, 64, 32);
    EXPECT_TRUE(Runtime().MemoryInitialized.Load());
    EXPECT_EQ(Screen().DefaultWindow.Load(), 3);
    EXPECT_TRUE(Screen().AutoUpdateStarted.Load());
    Init(0, 8, 64, 32);
    Init(3, 8, 64, 32);
    EXPECT_EQ(Screen().DefaultWindow.Load(), 3);

    ASSERT_TRUE(WaitFor([&] { return log.Contains("t_WindowAutoUpdateProcess: Start."); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    int starts = 0;
    for (const std::string& l : log.Lines()) starts += l == "t_WindowAutoUpdateProcess: Start.";
    EXPECT_EQ(starts, 1);
    const std::vector<std::string> lines = RuntimeLines(log);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], "t_InitWindow: GraphicWindow #3 Start.");
    EXPECT_EQ(lines[2], "t_InitMemory: Start.");
    EXPECT_EQ(lines[3], "t_InitMemory: End.");
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tabrona-window-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

TEST_F(WindowTest, GridFormSizesTheWindowInCharacterCells) {
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    // A font file: 16-byte header, format 2, codes 0-255, 8 x 16 cells.
    std::vector<char> file = {16, 'o', 'x', 'f', 'n', 2, 0, 0, char(0x80), 0, 0, char(255), 8, 16, 0, 0};
    file.resize(16 + 256 * 8 * 16, 0);
    std::ofstream(folder.Path() + "/Test 8x16.font", std::ios::binary).write(file.data(), std::streamsize(file.size()));
    host->SetResourceFolder(folder.Path());

    t_InitWindow(2, 24, 10, 5, 3, "Test 8x16.font");
    const t_Window& win = Record(2);
    EXPECT_TRUE(win.Initialized.Load());
    EXPECT_EQ(win.Width.Load(), 80);
    EXPECT_EQ(win.Height.Load(), 80);
    EXPECT_EQ(win.BorderWidth, 3);
    EXPECT_EQ(win.BorderHeight, 3);
    EXPECT_TRUE(win.AutoUpdate.Load());
    EXPECT_EQ(win.TitleHeight, 28);
    EXPECT_EQ(win.TextWidth, 10);
    EXPECT_EQ(win.TextHeight, 5);
    EXPECT_EQ(win.Font.Width, 8);
    EXPECT_EQ(host->Window(2).title, "Tabrona");
}

TEST_F(FirstWindowTest, GridFormWithAMissingFontChangesNothing) {
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    host->SetResourceFolder(folder.Path());
    LogCapture log;
    t_InitWindow(0, 24, 121, 50, 4, DefaultFontName);
    const std::vector<std::string> lines = log.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "t_InitWindow: Font 'MenloRegular 8x16.font' not found.");
    for (const std::string& l : lines) EXPECT_EQ(l.find("t_InitWindow: GraphicWindow"), std::string::npos) << l;
    EXPECT_FALSE(Runtime().MemoryInitStarted.Load());
    EXPECT_EQ(Screen().DefaultWindow.Load(), 255);
    EXPECT_FALSE(Record(0).Initialized.Load());
    EXPECT_EQ(host->Window(0).title, "");
}

// --- t_ClearWindowMemory ----------------------------------------------------------

TEST_F(WindowTest, ClearingGraphicBlocksAtEveryDepth) {
    struct Case {
        Int depth;
        Int rowBytes;  // for 64 pixels
    };
    const Case cases[] = {{1, 8}, {4, 32}, {8, 64}, {16, 128}, {24, 192}, {32, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        Init(0, c.depth, 64, 32);
        const Int start = Record(0).MemoryStart;
        FillPattern(start, Record(0).MemoryEnd, 11);
        t_ClearWindowMemory(0);
        const std::vector<UInt8> pixels = Bytes(start, start + c.rowBytes * 32 - 1);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const UInt8 expected = (c.depth == 32 && i % 4 == 0) ? 0xFF : 0;
            if (pixels[i] != expected) {
                ADD_FAILURE() << "byte " << i << " is " << int(pixels[i]);
                break;
            }
        }
    }
}

TEST_F(WindowTest, ClearingTextPlanes) {
    Init(0, 24, 64, 32, Font8x16());  // 8 x 2 characters
    t_Window& win = Record(0);
    const Int start = win.TextMemoryStart, end = win.TextMemoryEnd;
    const Int half = (end - start + 1) / 2;
    // Initialisation cleared them with the initial colour.
    EXPECT_EQ(Memory()[static_cast<std::size_t>(start)], 0x20);
    EXPECT_EQ(Memory()[static_cast<std::size_t>(start + half)], 0xC0);

    FillPattern(start, end, 12);
    win.TextColor = 0x5A;
    t_ClearWindowMemory(0);
    EXPECT_TRUE(Bytes(start, start + half - 1) == std::vector<UInt8>(static_cast<std::size_t>(half), 0x20));
    EXPECT_TRUE(Bytes(start + half, start + 2 * half - 1) == std::vector<UInt8>(static_cast<std::size_t>(half), 0x5A));
    // Line 2, column 3: its character and its colour half a block further.
    EXPECT_EQ(Memory()[static_cast<std::size_t>(start + 8 + 2)], 0x20);
    EXPECT_EQ(Memory()[static_cast<std::size_t>(start + 8 + 2 + half)], 0x5A);
}

TEST_F(WindowTest, ClearingANonGraphicWindowNumberDoesNothing) {
    Init(0, 24, 64, 32, Font8x16());
    FillPattern(Record(0).TextMemoryStart, Record(0).MemoryEnd, 13);
    const std::vector<UInt8> before = Bytes(Record(0).TextMemoryStart, Record(0).MemoryEnd);
    LogCapture log;
    t_ClearWindowMemory(8);
    t_ClearWindowMemory(12);
    t_ClearWindowMemory(255);
    EXPECT_TRUE(Bytes(Record(0).TextMemoryStart, Record(0).MemoryEnd) == before);
    EXPECT_TRUE(log.Lines().empty());
}

// --- t_WindowPos ------------------------------------------------------------------

TEST_F(WindowTest, PositionSelectorsOfAGraphicWindow) {
    Init(0, 24, 640, 480, Font8x16(), 10, 6);
    t_Window& win = Record(0);
    win.TextFirstColumn = 3;
    win.TextLastColumn = 70;
    win.TextFirstLine = 2;
    win.TextLastLine = 25;
    // The host frame differs from the record on purpose: sizes come from the record.
    host->SetWindowFrame(0, {123.7, 45.9, 999, 999});

    struct Case {
        Int selector, value;
    };
    const Case cases[] = {
        {0, 3},    {1, 2},    {2, 70},   {3, 25},   {4, 68},   {5, 24},  {6, 80},
        {7, 30},   {8, 640},  {9, 480},  {10, 660}, {11, 492}, {12, 520}, {13, 123},
        {14, 514},  // 1080 - 45.9 - 520, truncated
        {15, 1920}, {16, 1080}, {17, 28}, {18, 10}, {19, 6},   {20, 45},  {21, 0},
        {-1, 0},   {100, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(t_WindowPos(0, c.selector), c.value) << "selector " << c.selector;

    t_WindowTitleVisible(0, false);
    EXPECT_EQ(t_WindowPos(0, 9), 480);
    EXPECT_EQ(t_WindowPos(0, 11), 492);
    EXPECT_EQ(t_WindowPos(0, 12), 492);
    EXPECT_EQ(t_WindowPos(0, 17), 0);

    host->SetScreenSize(2560, 1440);
    EXPECT_EQ(t_WindowPos(0, 15), 2560);
    EXPECT_EQ(t_WindowPos(0, 16), 1440);
}

TEST_F(WindowTest, PositionSelectorsOfHostWindows) {
    struct Case {
        Int selector, value;
    };
    // Frame 800.9 x 600.6 at (50.5, 60.25): OW 800, OH 600; title bar 28.
    const Case cases[] = {
        {0, 0},      {1, 0},      {2, 799},  {3, 599},  {4, 800},  {5, 600}, {6, 800},
        {7, 600},    {8, 800},    {9, 572},  {10, 800}, {11, 572}, {12, 600}, {13, 50},
        {14, 419},  // 1080 - 60.25 - 600, truncated
        {15, 1920}, {16, 1080}, {17, 28},  {18, 0},   {19, 0},   {20, 60},  {21, 0},
        {-3, 0},
    };
    for (int w = 8; w <= 12; ++w) {
        host->SetWindowFrame(w, {50.5, 60.25, 800.9, 600.6});
        for (const Case& c : cases)
            EXPECT_EQ(t_WindowPos(static_cast<UInt8>(w), c.selector), c.value)
                << "window " << w << ", selector " << c.selector;
    }
}

TEST_F(WindowTest, PositionOfMissingOrUnknownWindowsIsZero) {
    host->SetWindowExists(10, false);
    LogCapture log;
    EXPECT_EQ(t_WindowPos(10, 4), 0);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_WindowPos: Window does not exist."}));
    for (UInt8 w : {13, 100, 255})
        for (Int selector : {4, 10, 15, 16, 17}) EXPECT_EQ(t_WindowPos(w, selector), 0) << int(w) << "/" << selector;
}

// --- t_WindowSize -----------------------------------------------------------------

TEST_F(WindowTest, SizingAGraphicWindow) {
    Init(0, 24, 640, 480, Font8x16(), 10, 6);
    t_WindowSize(0, 30, 40, 320, 200);
    EXPECT_EQ(RectText(host->Window(0).frame), "30,40,340,240");
    EXPECT_EQ(RectText(host->Window(0).viewFrame), "10,6,320,200");
    EXPECT_EQ(Record(0).Width.Load(), 640);
    EXPECT_EQ(Record(0).Height.Load(), 480);

    // -1 keeps the position and takes the size from the record.
    t_WindowSize(0, -1, -1, -1, -1);
    EXPECT_EQ(RectText(host->Window(0).frame), "30,40,660,520");
    EXPECT_EQ(RectText(host->Window(0).viewFrame), "10,6,640,480");

    t_WindowTitleVisible(0, false);
    t_WindowSize(0, -1, -1, -1, -1);
    EXPECT_EQ(RectText(host->Window(0).frame), "30,40,660,492");

    LogCapture log;
    t_WindowSize(3, 1, 2, 3, 4);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_WindowSize: Window #3 not initialized."}));
    EXPECT_EQ(RectText(host->Window(3).frame), "100,100,640,480");
}

TEST_F(WindowTest, SizingTextWindowsKeepsRoomForTheScrollView) {
    t_WindowSize(9, 10, 20, 500, 400);
    EXPECT_EQ(RectText(host->Window(9).frame), "10,20,500,428");
    EXPECT_EQ(RectText(host->Window(9).scrollFrame), "20,20,460,351");

    // Non-positive arguments keep the scroll view's size.
    t_WindowSize(9, -1, -1, -1, -1);
    EXPECT_EQ(RectText(host->Window(9).frame), "10,20,500,428");
    EXPECT_EQ(RectText(host->Window(9).scrollFrame), "20,20,460,351");

    t_WindowSize(10, 5, 6, 0, 300);
    EXPECT_EQ(RectText(host->Window(10).frame), "5,6,0,328");
    EXPECT_EQ(RectText(host->Window(10).scrollFrame), "20,20,600,251");

    t_WindowSize(8, 1, 2, 700, -5);
    EXPECT_EQ(RectText(host->Window(8).frame), "1,2,700,23");
    EXPECT_EQ(RectText(host->Window(8).scrollFrame), "10,10,660,452");
}

TEST_F(WindowTest, SizingMainAndPreferencesWindowsAddsTheTitleBar) {
    t_WindowSize(12, 10, 20, 800, 600);
    EXPECT_EQ(RectText(host->Window(12).frame), "10,20,800,628");
    t_WindowSize(11, -1, -1, -1, -1);
    EXPECT_EQ(RectText(host->Window(11).frame), "100,100,640,480");
}

// --- title, centre, front ---------------------------------------------------------

TEST_F(WindowTest, TitleVisibilityChangesTitleHeightAndStyle) {
    Init(0, 24, 64, 32);
    t_WindowTitleVisible(0, false);
    EXPECT_EQ(Record(0).TitleHeight, 0);
    EXPECT_EQ(host->Window(0).styleMask, 0u);
    t_WindowTitleVisible(0, true);
    EXPECT_EQ(Record(0).TitleHeight, 28);
    EXPECT_EQ(host->Window(0).styleMask, 7u);
    t_WindowTitleVisible(9, false);
    EXPECT_EQ(host->Window(9).styleMask, 0u);
}

TEST_F(WindowTest, TitleCentreAndFrontAct) {
    t_WindowTitle(9, "Drucker");
    EXPECT_EQ(host->Window(9).title, "Drucker");
    t_WindowCenter(12);
    EXPECT_EQ(RectText(host->Window(12).frame), "640,300,640,480");
    EXPECT_EQ(host->Window(12).centerCount, 1);
    t_WindowFront(10);
    EXPECT_EQ(host->Window(10).frontCount, 1);
    EXPECT_TRUE(host->Window(10).visible);
}

TEST_F(WindowTest, OperationsOnMissingHostWindowsAreReported) {
    host->SetWindowExists(11, false);
    struct Case {
        const char* name;
        void (*call)(UInt8);
    };
    const Case cases[] = {
        {"t_WindowTitle", [](UInt8 w) { t_WindowTitle(w, "x"); }},
        {"t_WindowTitleVisible", [](UInt8 w) { t_WindowTitleVisible(w, true); }},
        {"t_WindowCenter", [](UInt8 w) { t_WindowCenter(w); }},
        {"t_WindowFront", [](UInt8 w) { t_WindowFront(w); }},
        {"t_WindowVisible", [](UInt8 w) { t_WindowVisible(w, true); }},
        {"t_WindowSize", [](UInt8 w) { t_WindowSize(w, 1, 2, 3, 4); }},
        {"t_WindowPos", [](UInt8 w) { EXPECT_EQ(t_WindowPos(w, 4), 0); }},
    };
    for (const Case& c : cases) {
        std::vector<UInt8> windows = {11};
        if (std::string(c.name) != "t_WindowPos") windows.push_back(13);
        for (UInt8 w : windows) {
            LogCapture log;
            c.call(w);
            EXPECT_EQ(log.Lines(), (std::vector<std::string>{std::string(c.name) + ": Window does not exist."}))
                << c.name << " on " << int(w);
        }
    }
    EXPECT_EQ(host->Window(11).title, "");
    EXPECT_FALSE(host->Window(11).visible);
}

// --- t_WindowVisible --------------------------------------------------------------

TEST_F(WindowTest, ShowingAndHidingGraphicAndHostWindows) {
    Init(0, 24, 64, 32);
    t_Window& win = Record(0);
    win.UpdateDuration = 1234;
    t_WindowVisible(0, true);
    EXPECT_TRUE(host->Window(0).visible);
    EXPECT_TRUE(win.Visible.Load());
    EXPECT_EQ(win.UpdateDuration.Load(), 1234);
    t_WindowVisible(0, false);
    EXPECT_FALSE(host->Window(0).visible);
    EXPECT_FALSE(win.Visible.Load());
    EXPECT_EQ(win.UpdateDuration.Load(), 0);

    for (UInt8 w : {11, 12}) {
        t_WindowVisible(w, true);
        EXPECT_TRUE(host->Window(w).visible) << int(w);
        t_WindowVisible(w, false);
        EXPECT_FALSE(host->Window(w).visible) << int(w);
    }
}

TEST_F(WindowTest, ShowingThePasteboardWindowShowsTheClipboardText) {
    host->SetClipboardString("Zeile 1\tZelle\rZeile 2");
    host->SetTextViewString(8, "alt");
    t_WindowVisible(8, true);
    EXPECT_TRUE(host->Window(8).visible);
    EXPECT_EQ(host->Window(8).text, "Zeile 1\tZelle\rZeile 2");

    t_WindowVisible(8, false);
    EXPECT_FALSE(host->Window(8).visible);
    EXPECT_EQ(host->Window(8).text, "Zeile 1\tZelle\rZeile 2");

    // No text on the clipboard: an empty text.
    host->ClearClipboard();
    t_WindowVisible(8, true);
    EXPECT_TRUE(host->Window(8).visible);
    EXPECT_EQ(host->Window(8).text, "");
}

TEST_F(WindowTest, ShowingPrinterAndConsoleKeepsTheirText) {
    host->SetClipboardString("Ablage");
    for (UInt8 w : {9, 10}) {
        host->SetTextViewString(w, "Gedruckt");
        t_WindowVisible(w, true);
        EXPECT_TRUE(host->Window(w).visible) << int(w);
        EXPECT_EQ(host->Window(w).text, "Gedruckt") << int(w);
        t_WindowVisible(w, false);
        EXPECT_FALSE(host->Window(w).visible) << int(w);
    }
}

class NoTextViewPlatform : public HeadlessPlatform {
public:
    bool HasTextView(int) override { return false; }
};

TEST_F(WindowTest, TextWindowsWithoutTextViewAreReported) {
    auto platform = std::make_unique<NoTextViewPlatform>();
    host = platform.get();
    InstallPlatform(std::move(platform));
    host->SetClipboardString("Ablage");
    struct Case {
        UInt8 window;
        const char* line;
    };
    const Case cases[] = {
        {8, "t_WindowVisible: Pasteboard window is nil, resource undefined."},
        {9, "t_WindowVisible: Virtual printer window is nil, resource undefined."},
        {10, "t_WindowVisible: System console window is nil, resource undefined."},
    };
    for (const Case& c : cases) {
        for (bool visible : {true, false}) {
            LogCapture log;
            t_WindowVisible(c.window, visible);
            EXPECT_EQ(log.Lines(), (std::vector<std::string>{c.line}));
        }
        EXPECT_FALSE(host->Window(c.window).visible);
    }
}

// --- t_WindowUpdate and the auto-update thread ------------------------------------

TEST_F(WindowTest, UpdateRequestsReachTheView) {
    Init(0, 24, 64, 32);
    t_WindowUpdate(0, true);
    t_WindowUpdate(0, true);
    t_WindowUpdate(0, false);
    EXPECT_EQ(host->Window(0).needsDisplayCount, 2);
    EXPECT_EQ(host->Window(0).displayNowCount, 1);

    host->SetViewExists(6, false);
    struct Case {
        UInt8 window;
        const char* line;
    };
    const Case cases[] = {
        {9, "t_WindowUpdate: Window is not a graphic window."},
        {8, "t_WindowUpdate: Window is not a graphic window."},
        {255, "t_WindowUpdate: Window is not a graphic window."},
        {6, "t_WindowUpdate: Window #6 view is nil, resource undefined."},
    };
    for (const Case& c : cases) {
        for (bool deferred : {true, false}) {
            LogCapture log;
            t_WindowUpdate(c.window, deferred);
            EXPECT_EQ(log.Lines(), (std::vector<std::string>{c.line}));
        }
    }
    for (int w : {6, 8, 9}) {
        EXPECT_EQ(host->Window(w).needsDisplayCount, 0) << w;
        EXPECT_EQ(host->Window(w).displayNowCount, 0) << w;
    }
}

TEST_F(WindowTest, AutoUpdateIsPacedByTheRefreshRate) {
    for (UInt8 w = 0; w < 4; ++w) Init(w, 8, 32, 32);
    // 0: 20 per second; 1: rate 0 (never due); 2: auto-update off; 3: image
    // being built (no vertical blank).
    Record(0).RefreshRate = 20;
    Record(1).RefreshRate = 0;
    Record(3).VerticalBlank = false;
    const Int startMs = NowMilliseconds();
    const auto start = Clock::now();
    for (UInt8 w : {0, 1, 3}) Record(w).AutoUpdate = true;

    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int requests = host->Window(0).needsDisplayCount;
    const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(requests, 2);
    // At most one request per 50 ms, plus the one made at once.
    EXPECT_LE(requests, elapsedMs / 50 + 2);
    EXPECT_GE(Record(0).UpdateStarted.Load(), startMs);
    EXPECT_LE(Record(0).UpdateStarted.Load(), NowMilliseconds());
    for (int w : {1, 2, 3}) EXPECT_EQ(host->Window(w).needsDisplayCount, 0) << w;
    EXPECT_EQ(Record(1).UpdateStarted.Load(), 0);
}

TEST_F(WindowTest, AutoUpdateReportsAMissingView) {
    LogCapture log;
    Init(1, 8, 32, 32, EmptyFont(), 0, 0, true, true);
    ASSERT_TRUE(WaitFor([&] { return host->Window(1).needsDisplayCount > 0; }));
    host->SetViewExists(1, false);
    EXPECT_TRUE(
        WaitFor([&] { return log.Contains("t_WindowAutoUpdateProcess: Window #1 view is nil, resource undefined."); }));
}

}  // namespace
