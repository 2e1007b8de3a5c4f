#include <algorithm>
#include <atomic>
#include <random>

#include "platform/program_state.h"
#include "runtime/printer.h"
#include "runtime/program.h"
#include "runtime_fixture.h"
#include "screen/memory.h"
#include "screen/pixels.h"
#include "screen/window.h"
#include "test_fonts.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;
const std::string P0 = "t_InitWindow: GraphicWindow #0", P2 = "t_InitWindow: GraphicWindow #2", P3 = "t_InitWindow: GraphicWindow #3";

t_Window& Record(UInt8 w) { return Screen().WindowTable[w]; }
UInt8* Memory(Int address) { return Screen().VideoMemory.data() + address; }

void Init(UInt8 w, Int depth, Int width, Int height, const t_Font& font = EmptyFont(), Int border = 0, bool titleVisible = true) {
    t_InitWindow(w, depth, false, width, height, border, border, font, titleVisible);  // refreshes only when a test asks
}

class WindowTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        t_CheckMemory();
    }
};

TEST_F(WindowTest, InitialisationShowsTheWindowAsAsked) {
    LogCapture log;
    Init(4, 16, 320, 200, CellFont(8, 16), 7);
    EXPECT_EQ(RuntimeLines(log), (Lines{"t_InitWindow: GraphicWindow #4 Start.", "t_InitWindow: GraphicWindow #4 = 320 x 200 pixel x 16 bit = "
                                        "125K video-memory = $00FE0400.", "t_InitWindow: GraphicWindow #4 End."}));
    EXPECT_EQ(t_WindowPos(4, 6) * 100 + t_WindowPos(4, 7), 4012);  // 40 x 12 cells
    const HeadlessPlatform::HostWindow h = host->Window(4);
    EXPECT_EQ(RectText(h.Frame) + " " + RectText(h.ViewFrame) + " " + h.Title, "100,100,334,242 7,7,320,200 Tabrona");
    EXPECT_EQ(h.Background, (HostColor{84 / 255.0, 84 / 255.0, 84 / 255.0, 1.0}));
    log.Clear();
    Init(5, 8, 40, 32, EmptyFont(), 0, false);  // a fractional kilobyte figure has a decimal comma
    EXPECT_EQ(RuntimeLines(log).at(1), "t_InitWindow: GraphicWindow #5 title will be invisible.");
    EXPECT_EQ(RuntimeLines(log).at(2), "t_InitWindow: GraphicWindow #5 = 40 x 32 pixel x 8 bit = 1,25K video-memory = $00FDF000.");
    EXPECT_EQ(host->Window(5).Title + std::to_string(host->Window(5).StyleMask), "Tabrona-Grafik0");  // no font, no text
    Init(6, 8, 640, 480, EmptyFont(), -1);  // borders that fill the screen
    EXPECT_EQ(RectText(host->Window(6).Frame), "100,100,3200,1708");
    log.Clear();
    t_InitWindow(2, 24, 10, 5, 3, "MenloRegular 8x16.font");  // the grid form: cells of its font, titled, auto-updated
    const t_Window& grid = Record(2);
    EXPECT_EQ(RuntimeLines(log).size(), 3u);
    EXPECT_EQ(std::make_tuple(grid.Width.Load(), grid.Height.Load(), grid.BorderWidth, grid.BorderHeight, grid.TitleHeight),
              std::make_tuple(80, 80, 3, 3, 28));
    EXPECT_EQ(std::make_tuple(grid.TextWidth, grid.TextHeight, grid.TextHpos, grid.TextVpos, grid.AutoUpdate.Load()),
              std::make_tuple(10, 5, 1, 1, true));
}

TEST_F(WindowTest, SizesAndWidthsAreCorrectedWithAMessage) {
    const std::string four = P0 + " width with 4 bit depth must be a multiple of 4.", one = P0 + " width with 1 bit depth must be a multiple of 8.";
    const struct { Int depth, width, height, usedWidth, usedHeight; Lines messages; } rows[] = {
        {8, 20, 9000, 1280, 800, {P0 + " cannot display 20 horizontal pixel.", P0 + " cannot display 9000 vertical pixel."}},
        {8, 8193, 31, 1280, 800, {P0 + " cannot display 8193 horizontal pixel.", P0 + " cannot display 31 vertical pixel."}},
        {8, 32, 8192, 32, 8192, {}}, {8, 8192, 32, 8192, 32, {}},     {4, 201, 32, 200, 32, {four}},
        {4, 202, 32, 200, 32, {four}}, {4, 203, 32, 204, 32, {four}}, {4, 200, 32, 200, 32, {}},
        {1, 201, 32, 208, 32, {one}},  {1, 207, 32, 208, 32, {one}},   {1, 200, 32, 200, 32, {}}, };
    for (const auto& row : rows) {
        Init(0, 8, 32, 32);  // so that the next one releases the same block
        LogCapture log;
        Init(0, row.depth, row.width, row.height);
        EXPECT_EQ(t_WindowPos(0, 8) * 10000 + t_WindowPos(0, 9), row.usedWidth * 10000 + row.usedHeight) << row.width;
        const Lines lines = RuntimeLines(log);
        EXPECT_EQ(Lines(lines.begin() + 2, lines.end() - 2), row.messages) << row.width;
    }
}

TEST_F(WindowTest, RefusedWindowsTakeNoMemory) {
    const std::string graphic = P2 + " has not enough graphic-video-memory (16319K available).";
    const struct { bool eightMegabytesTaken; Int depth, width, height; t_Font font; Lines lines; } rows[] = {
        {false, 12, 64, 32, CellFont(), {P2 + " unsupported 12 bit depth."}},
        {false, 8, 8192, 2040, {}, {graphic, "t_InitWindow: Displaying 8192 x 2040 pixel x 8 bit needs 16320K video-memory."}},
        // Each block alone would fit, both together would reach into the reserved memory.
        // An invisible title is announced once the graphic block is known to fit.
        {false, 32, 8192, 509, CellFont(), {P2 + " title will be invisible.", graphic,
          "t_InitWindow: Displaying 8192 x 509 pixel x 32 bit needs 16350K video-memory."}},
        {true, 1, 4096, 1024, CellFont(1, 1), {P2 + " title will be invisible.", P2 + " has not enough text-video-memory (8127K available).",
          "t_InitWindow: Displaying 4096 x 1024 characters needs 8192K text-video-memory."}}, };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines.back());
        ResetProgramState();
        t_CheckMemory();
        if (row.eightMegabytesTaken) Init(1, 32, 2048, 1024);
        const Int high = Screen().HighMemory;
        LogCapture log;
        Init(2, row.depth, row.width, row.height, row.font, 0, false);
        const Lines lines = RuntimeLines(log);
        EXPECT_EQ(Lines(lines.begin() + 1, lines.end()), row.lines);
        EXPECT_FALSE(Record(2).Initialized.Load());
        EXPECT_EQ(Screen().HighMemory, high);
        EXPECT_EQ(host->Window(2).StyleMask, row.lines.size() == 3 ? 0u : 7u);
    }
    ResetProgramState();
    Init(0, 8, 8192, 2039);  // exactly what is free, once aligned
    EXPECT_TRUE(Record(0).Initialized.Load());
}

// Windows opened, re-opened and refused in random order: the blocks of the open windows always fill the top
// of the video memory without gaps or overlaps, never reach into the lowest 64 KiB, and keep their contents.
TEST_F(WindowTest, BlocksStayPackedAndKeepTheirContentsThroughReinitialisation) {
    std::mt19937 random(2024);
    const std::pair<Int, Int> shapes[] = {{67, 107}, {77, 133}, {95, 97}, {64, 32}, {8192, 8192}};  // 8 bit: 1, 1, -1 mod 1024
    std::vector<std::vector<UInt8>> saved;  // the contents of every block
    for (int step = 0; step < 150; ++step) {
        const UInt8 w = static_cast<UInt8>(random() % GraphicWindowCount);
        const Int depth = std::array<Int, 7>{1, 4, 8, 16, 24, 32, 12}[random() % 7];
        auto [width, height] = shapes[random() % 5];
        if (random() % 2) std::tie(width, height) = std::pair<Int, Int>(32 + random() % 300, 32 + random() % 200);
        const bool text = random() % 2;
        SCOPED_TRACE("step " + std::to_string(step) + ": window " + std::to_string(w) + ", " + std::to_string(depth) + " bit");
        Init(w, depth, width, height, text ? CellFont(8, 16) : EmptyFont());
        const t_Window& win = Record(w);
        if (win.Initialized) {  // a new window is black and blank
            const Int pixels = GraphicRowBytes(depth, win.Width) * height, cells = win.TextWidth * win.TextHeight;
            ASSERT_GE(win.MemoryEnd - win.MemoryStart + 1, pixels);
            ASSERT_EQ(std::count(Memory(win.MemoryStart), Memory(win.MemoryStart + pixels), 0), depth == 32 ? pixels * 3 / 4 : pixels);
            ASSERT_EQ(win.HasText(), text);
            ASSERT_GE(win.TextMemoryEnd - win.TextMemoryStart + 1, text ? 2 * cells : 0);
        } else if (random() % 2) {
            t_ClearWindowMemory(w);  // its old addresses belong to other windows now
        }
        std::vector<std::tuple<Int, Int, int>> blocks;  // from, to, window
        for (int k = 0; k < GraphicWindowCount; ++k)
            for (auto [from, to] : {std::pair{Record(k).MemoryStart.Load(), Record(k).MemoryEnd.Load()},
                                    {Record(k).TextMemoryStart, Record(k).TextMemoryEnd}})
                if (Record(k).Initialized && from >= 0) blocks.push_back({from, to, k});
        std::sort(blocks.begin(), blocks.end());
        const std::vector<std::vector<UInt8>> before = std::exchange(saved, {});
        Int next = Screen().HighMemory + 1;
        ASSERT_GE(next, ReservedLowMemory);
        for (auto [from, to, k] : blocks) {
            ASSERT_EQ(from, next) << "gap or overlap";
            next = to + 1;
            saved.emplace_back(Memory(from), Memory(to + 1));
            ASSERT_TRUE(k == w || std::find(before.begin(), before.end(), saved.back()) != before.end())
                << "window " << k << " lost its contents";
            const UInt8 mark = static_cast<UInt8>(random());  // a fresh mark for every block
            for (Int a = from; a <= to; ++a) *Memory(a) = static_cast<UInt8>(a * 7 + mark);
            saved.back().assign(Memory(from), Memory(to + 1));
        }
        ASSERT_EQ(next, 0x1000000);
    }
}

TEST_F(RuntimeTest, TheFirstGraphicWindowStartsTheRuntimeAndBecomesTheDefault) {
    LogCapture log;
    Init(9, 8, 64, 32);
    t_InitWindow(0, 24, 121, 50, 4, "Nowhere 8x16.font");
    EXPECT_EQ(RuntimeLines(log).front(), "t_InitWindow: Window is not a graphic window.");
    EXPECT_EQ(RuntimeLines(log).back(), "t_InitWindow: Font 'Nowhere 8x16.font' not found.");
    EXPECT_FALSE(Runtime().MemoryInitStarted.Load());
    log.Clear();
    host->SetViewExists(3, false);
    Init(3, 8, 64, 32, CellFont(8, 16));  // even a window that cannot be shown
    Init(0, 8, 64, 32);
    EXPECT_EQ(Screen().DefaultWindow.Load(), 3);
    EXPECT_FALSE(Record(3).Initialized.Load() || Record(3).Font.HasGlyphs());
    ASSERT_TRUE(WaitFor([&] { return log.Contains("t_WindowAutoUpdateProcess: Start."); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const Lines all = log.Lines(), lines = RuntimeLines(log);
    EXPECT_EQ(std::count(all.begin(), all.end(), "t_WindowAutoUpdateProcess: Start."), 1);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 6),
              (Lines{P3 + " Start.", "t_InitMemory: Start.", "t_InitMemory: End.", P3 + " = 64 x 32 pixel x 8 bit = 2K video-memory = $00FFF000.",
                     P3 + " could not be initialized, resource undefined.", P3 + " End."}));
    log.Clear();
    t_InitMemory();  // only once
    t_WindowUpdate(3, true);
    t_WindowUpdate(8, true);
    EXPECT_EQ(RuntimeLines(log), (Lines{"t_WindowUpdate: Window #3 view is nil, resource undefined.", "t_WindowUpdate: Window is not a graphic window."}));
}

TEST_F(WindowTest, SizingGraphicTextAndMainWindows) {
    Init(0, 24, 640, 480, CellFont(8, 16), 10);
    t_WindowSize(0, 30, 40, 320, 200);
    EXPECT_EQ(RectText(host->Window(0).Frame) + " " + RectText(host->Window(0).ViewFrame), "30,40,340,248 10,10,320,200");
    t_WindowSize(0, -1, -1, -1, -1);  // keeps the place, takes the size from the record
    EXPECT_EQ(RectText(host->Window(0).Frame), "30,40,660,528");
    t_WindowSize(9, 10, 20, 500, 400);  // text windows keep room around their scroll view
    t_WindowSize(8, 1, 2, 700, 0);
    t_WindowSize(12, 10, 20, 800, 600);
    EXPECT_EQ(RectText(host->Window(9).Frame) + " " + RectText(host->Window(9).ScrollFrame), "10,20,500,428 20,20,460,351");
    EXPECT_EQ(RectText(host->Window(8).Frame) + " " + RectText(host->Window(8).ScrollFrame), "1,2,700,28 10,10,660,452");
    EXPECT_EQ(RectText(host->Window(12).Frame), "10,20,800,628");
}

TEST_F(WindowTest, ShowingCentringAndMissingWindows) {
    Init(0, 24, 64, 32);
    t_WindowTitleVisible(0, false);
    EXPECT_EQ(t_WindowPos(0, 12) * 10 + host->Window(0).StyleMask, 320);  // no title bar in the outer height
    t_WindowVisible(0, true);
    EXPECT_TRUE(host->Window(0).Visible && Record(0).Visible.Load());
    Record(0).UpdateDuration = 1234;  // hiding forgets it
    t_WindowVisible(0, false);
    EXPECT_FALSE(host->Window(0).Visible || Record(0).Visible.Load());
    EXPECT_EQ(Record(0).UpdateDuration.Load(), 0);
    // The pasteboard window shows the clipboard's text; the printer keeps its own.
    host->SetClipboardString("Zeile 1\tZelle");
    host->SetTextViewString(9, "Gedruckt");
    for (UInt8 w : {8, 9}) t_WindowVisible(w, true);
    EXPECT_EQ(host->Window(8).Text + "|" + host->Window(9).Text, "Zeile 1\tZelle|Gedruckt");
    host->SetWindowExists(11, false);
    LogCapture log;
    t_WindowTitle(11, "x");
    t_WindowCenter(13);
    t_WindowSize(3, 1, 2, 3, 4);
    EXPECT_EQ(t_WindowPos(11, 4), 0);
    EXPECT_EQ(log.Lines(), (Lines{"t_WindowTitle: Window does not exist.", "t_WindowCenter: Window does not exist.",
                                  "t_WindowSize: Window #3 not initialized.", "t_WindowPos: Window does not exist."}));
    struct NoTextViewPlatform : HeadlessPlatform {
        bool HasTextView(int) override { return false; }
    };
    InstallPlatform(std::make_unique<NoTextViewPlatform>());
    log.Clear();
    for (UInt8 w : {8, 9, 10}) t_WindowVisible(w, true);
    EXPECT_EQ(log.Lines(), (Lines{"t_WindowVisible: Pasteboard window is nil, resource undefined.",
                                  "t_WindowVisible: Virtual printer window is nil, resource undefined.",
                                  "t_WindowVisible: System console window is nil, resource undefined."}));
}

// A resized text window lays out its text view (and ruler) by its frame;
// other windows leave them alone. The printer's text goes in and out whole.
TEST_F(WindowTest, TextWindowLayoutAndThePrinterText) {
    for (int w : {0, 8, 9, 10, 12}) host->SetWindowFrame(w, {5, 5, 700, 500});
    for (int w : {0, 12, 8, 9}) WindowDidResize(w);
    EXPECT_EQ(host->Window(8).ScrollFrame, (HostRect{10, 10, 680, 452}));
    EXPECT_EQ(host->Window(9).ScrollFrame, (HostRect{20, 20, 660, 417}));
    EXPECT_EQ(std::pair(host->Window(9).RulerWidth, host->Window(9).RulerHeight), std::pair(652.0, 19.0));
    EXPECT_EQ(host->Window(10).ScrollFrame, (HostRect{20, 20, 600, 400}));  // not resized
    p_SetPrinter("Seite 1\nÄrger");
    EXPECT_EQ(p_GetPrinter() + "|" + host->Window(9).Text, "Seite 1\nÄrger|Seite 1\nÄrger");
    host->SetWindowExists(9, false);
    LogCapture log;
    p_SetPrinter("x");
    EXPECT_EQ(p_GetPrinter(), "");
    EXPECT_EQ(log.Lines(), (Lines{"p_SetPrinter: Virtual printer window is nil, resource undefined.",
                                  "p_GetPrinter: Virtual printer window is nil, resource undefined."}));
}

TEST_F(WindowTest, UpdateRequestsAndAutoUpdatePacing) {
    for (UInt8 w = 0; w < 6; ++w) Init(w, 8, 32, 32);
    LogCapture log;
    // 0: 20 per second; 1: rate 0 (never due); 2: once a second; 3: image being built; 4: auto-update off;
    // 5: pixels that never change after the first picture.
    Record(0).RefreshRate = 20;
    Record(1).RefreshRate = 0;
    Record(2).RefreshRate = 1;
    Record(3).VerticalBlank = false;
    // The pacing runs on a clock the test moves (by a little more than the
    // periods: the clock is read in whole milliseconds); the pixels change
    // all the time.
    std::atomic<double> now{1000};
    host->SetClock([&now] { return now.load(); });
    std::atomic<bool> changing{true};
    std::thread writer([&] {
        while (changing) {
            for (UInt8 w = 0; w < 5; ++w) PixelsChanged(Record(w));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const auto requests = [&](int w) { return host->Window(w).NeedsDisplayCount; };
    // Some passes of the thread with the clock standing still.
    const auto passes = [&] {
        const Int from = Screen().AutoUpdatePasses;
        return WaitFor([&] { return Screen().AutoUpdatePasses >= from + 20; });
    };
    for (UInt8 w : {0, 1, 2, 3, 5}) Record(w).AutoUpdate = true;
    ASSERT_TRUE(WaitFor([&] { return requests(0) == 1 && requests(2) == 1 && requests(5) == 1; }));
    ASSERT_TRUE(passes());
    for (int w : {0, 2, 5}) EXPECT_EQ(requests(w), 1) << w;
    now = now + 0.06;  // window 0's next refresh, at 20 a second
    ASSERT_TRUE(WaitFor([&] { return requests(0) == 2; }));
    ASSERT_TRUE(passes());
    EXPECT_EQ(requests(0), 2);
    EXPECT_EQ(requests(2), 1);
    now = now + 1.01;  // window 2's, at one a second; window 5 has nothing new
    ASSERT_TRUE(WaitFor([&] { return requests(0) == 3 && requests(2) == 2; }));
    ASSERT_TRUE(passes());
    for (int w : {1, 3, 4}) EXPECT_EQ(requests(w), 0) << w;
    EXPECT_EQ(requests(5), 1);
    host->SetViewExists(0, false);
    now = now + 0.06;
    EXPECT_TRUE(WaitFor([&] { return log.Contains("t_WindowAutoUpdateProcess: Window #0 view is nil, resource undefined."); }));
    changing = false;
    writer.join();
}

}  // namespace
