// Runtime initialisation: video memory, window table, menu actions, and the
// rule that nothing happens to a graphic window before it.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "runtime/font.h"
#include "runtime/memory.h"
#include "runtime/window.h"
#include "runtime_fixture.h"

namespace {

class MemoryInitTest : public RuntimeTest {};

// Every field of a record as a freshly created window table holds it.
void ExpectDefaultRecord(const t_Window& w, int k) {
    SCOPED_TRACE("window " + std::to_string(k));
    EXPECT_FALSE(w.Initialized.Load());
    EXPECT_FALSE(w.Visible.Load());
    EXPECT_FALSE(w.IgnoreEvents.Load());
    EXPECT_FALSE(w.AutoUpdate.Load());
    EXPECT_FALSE(w.QuickUpdate.Load());
    EXPECT_FALSE(w.ScrollLock);
    EXPECT_TRUE(w.VerticalBlank.Load());
    EXPECT_EQ(w.UpdateStarted.Load(), 0);
    EXPECT_EQ(w.UpdateFinished.Load(), 0);
    EXPECT_EQ(w.UpdateDuration.Load(), 0);
    EXPECT_EQ(w.RefreshRate.Load(), 30);
    EXPECT_EQ(w.Window.Load(), NoHostRef);
    EXPECT_EQ(w.View.Load(), NoHostRef);
    EXPECT_EQ(w.DrawingRect.X, 0);
    EXPECT_EQ(w.DrawingRect.Y, 0);
    EXPECT_EQ(w.DrawingRect.Width, 0);
    EXPECT_EQ(w.DrawingRect.Height, 0);
    EXPECT_EQ(w.TitleHeight, 0);
    EXPECT_EQ(w.BorderWidth, 0);
    EXPECT_EQ(w.BorderHeight, 0);
    EXPECT_TRUE((w.RGBColorBorder == t_RGBColor{255, 0, 0, 0}));
    EXPECT_EQ(w.BitDepth.Load(), 0);
    EXPECT_EQ(w.Width.Load(), 0);
    EXPECT_EQ(w.Height.Load(), 0);
    EXPECT_TRUE((w.RGBColor == t_RGBColor{255, 0, 0, 0}));
    EXPECT_EQ(w.DrawingMode, 0);
    EXPECT_EQ(w.PositionX, 0);
    EXPECT_EQ(w.PositionY, 0);
    EXPECT_EQ(w.MemoryStart.Load(), -1);
    EXPECT_EQ(w.MemoryEnd.Load(), -1);
    EXPECT_EQ(w.Font.HeaderSize, 16);
    EXPECT_TRUE((w.Font.Identifier == std::array<UInt8, 4>{'o', 'x', 'f', 'n'}));
    EXPECT_EQ(w.Font.Format, 0);
    EXPECT_EQ(w.Font.Size, 0);
    EXPECT_EQ(w.Font.Start, 0);
    EXPECT_EQ(w.Font.End, 0);
    EXPECT_EQ(w.Font.Width, 0);
    EXPECT_EQ(w.Font.Height, 0);
    EXPECT_EQ(w.Font.Reserved, 0);
    EXPECT_TRUE(w.Font.Data.empty());
    EXPECT_EQ(w.TextWidth, 0);
    EXPECT_EQ(w.TextHeight, 0);
    EXPECT_EQ(w.TextFirstColumn, 0);
    EXPECT_EQ(w.TextLastColumn, 0);
    EXPECT_EQ(w.TextFirstLine, 0);
    EXPECT_EQ(w.TextLastLine, 0);
    EXPECT_EQ(w.TextHpos, 0);
    EXPECT_EQ(w.TextVpos, 0);
    EXPECT_EQ(w.TextColor, 0);
    EXPECT_FALSE(w.TextInverse);
    EXPECT_EQ(w.TextDisplayMode, 0);
    EXPECT_EQ(w.TextCursorLevel, 0);
    EXPECT_EQ(w.TextRedirectOutput, 1);
    EXPECT_TRUE(w.InputString.empty());
    EXPECT_FALSE(w.InputFinished);
    EXPECT_EQ(w.InputMode, 0);
    EXPECT_EQ(w.InputHpos, 0);
    EXPECT_EQ(w.InputVpos, 0);
    EXPECT_EQ(w.InputCursorPos, 0);
    EXPECT_EQ(w.InputMaxCharacters, 0);
    EXPECT_EQ(w.LoResOffsetX, 0);
    EXPECT_EQ(w.LoResOffsetY, 0);
    EXPECT_EQ(w.LoResMode, 0);
    EXPECT_EQ(w.TextMemoryStart, -1);
    EXPECT_EQ(w.TextMemoryEnd, -1);
}

// Puts something other than the default into every kind of field.
void Scribble(t_Window& w) {
    w.Initialized = true;
    w.Visible = true;
    w.QuickUpdate = true;
    w.VerticalBlank = false;
    w.RefreshRate = 7;
    w.UpdateDuration = 99;
    w.DrawingRect = {1, 2, 3, 4};
    w.TitleHeight = 5;
    w.RGBColor = {1, 2, 3, 4};
    w.Width = 64;
    w.MemoryStart = 4096;
    w.Font.Width = 8;
    w.Font.Data.assign(10, 1);
    w.TextColor = 0x12;
    w.TextRedirectOutput = 2;
    w.InputString = "abc";
    w.TextMemoryStart = 8192;
}

TEST_F(MemoryInitTest, InitMemoryCreatesVideoMemoryAndDefaultWindowTable) {
    WindowMemory& screen = Screen();
    for (t_Window& w : screen.WindowTable) Scribble(w);
    screen.HighMemory = 12345;
    host->SetTextViewString(8, "left over");

    LogCapture log;
    t_InitMemory();

    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_InitMemory: Start.", "t_InitMemory: End."}));
    EXPECT_TRUE(Runtime().MemoryInitStarted.Load());
    EXPECT_TRUE(Runtime().MemoryInitialized.Load());
    EXPECT_EQ(screen.HighMemory, 0xFFFFFF);
    ASSERT_EQ(screen.VideoMemory.size(), 16777231u);
    EXPECT_TRUE(std::all_of(screen.VideoMemory.begin(), screen.VideoMemory.end(), [](UInt8 b) { return b == 0xFF; }));
    for (int k = 0; k < GraphicWindowCount; ++k) ExpectDefaultRecord(screen.WindowTable[k], k);
    EXPECT_EQ(screen.DefaultWindow.Load(), 255);
    EXPECT_EQ(host->Window(8).text, "");
}

TEST_F(MemoryInitTest, InitMemoryRunsOnlyOnce) {
    t_InitMemory();
    WindowMemory& screen = Screen();
    screen.VideoMemory[70000] = 0x12;
    screen.HighMemory = 0x800000;
    screen.WindowTable[2].Width = 640;
    Runtime().MenuActionTable.clear();

    LogCapture log;
    t_InitMemory();
    t_CheckMemory();
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(screen.VideoMemory[70000], 0x12);
    EXPECT_EQ(screen.HighMemory, 0x800000);
    EXPECT_EQ(screen.WindowTable[2].Width.Load(), 640);
    EXPECT_TRUE(Runtime().MenuActionTable.empty());
}

TEST_F(MemoryInitTest, CheckMemoryRunsTheInitialisationWhenNobodyHasStartedIt) {
    LogCapture log;
    t_CheckMemory();
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_InitMemory: Start.", "t_InitMemory: End."}));
    EXPECT_TRUE(Runtime().MemoryInitialized.Load());
    EXPECT_EQ(Screen().VideoMemory.size(), 16777231u);
}

TEST_F(MemoryInitTest, CheckMemoryWaitsWhileAnotherThreadInitialises) {
    // Another thread has begun t_InitMemory but not finished it.
    Runtime().MemoryInitStarted = true;
    LogCapture log;
    std::atomic<bool> returned{false};
    std::thread waiter([&] {
        t_CheckMemory();
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    Runtime().MemoryInitialized = true;
    waiter.join();
    EXPECT_TRUE(returned.load());
    // It waited; it did not initialise a second time.
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_TRUE(Screen().VideoMemory.empty());
}

TEST_F(MemoryInitTest, WindowRecordOperationsBeforeTheFirstInitWindowChangeNothing) {
    const HeadlessPlatform::HostWindow before = host->Window(0);
    LogCapture log;
    t_ClearWindowMemory(0);
    t_WindowVisible(0, true);
    t_WindowUpdate(0, true);
    t_WindowUpdate(0, false);
    t_WindowSize(0, 1, 2, 300, 200);

    const HeadlessPlatform::HostWindow after = host->Window(0);
    EXPECT_FALSE(after.visible);
    EXPECT_EQ(after.needsDisplayCount, 0);
    EXPECT_EQ(after.displayNowCount, 0);
    EXPECT_EQ(RectText(after.frame), RectText(before.frame));
    EXPECT_EQ(RectText(after.viewFrame), RectText(before.viewFrame));
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_WindowSize: Window #0 not initialized."}));
    EXPECT_FALSE(Runtime().MemoryInitStarted.Load());
    EXPECT_FALSE(Runtime().MemoryInitialized.Load());
    EXPECT_TRUE(Screen().VideoMemory.empty());
    ExpectDefaultRecord(Screen().WindowTable[0], 0);

    // Geometry questions are answered from the host window meanwhile.
    EXPECT_EQ(t_WindowPos(0, 10), 640);
    EXPECT_EQ(t_WindowPos(0, 9), 480 - 28);
    EXPECT_EQ(t_WindowPos(0, 16), 1080);
    EXPECT_EQ(t_WindowPos(0, 0), 0);
}

// Title, style, centring and bringing to front are operations on a graphic
// window too; before the runtime exists they must leave its host window alone.
TEST_F(MemoryInitTest, HostSideWindowOperationsBeforeTheFirstInitWindowChangeNothing) {
    const HeadlessPlatform::HostWindow before = host->Window(0);
    t_WindowTitle(0, "Vorher");
    t_WindowTitleVisible(0, false);
    t_WindowCenter(0);
    t_WindowFront(0);

    const HeadlessPlatform::HostWindow after = host->Window(0);
    EXPECT_EQ(after.title, before.title);
    EXPECT_EQ(after.styleMask, before.styleMask);
    EXPECT_EQ(after.centerCount, 0);
    EXPECT_EQ(RectText(after.frame), RectText(before.frame));
    EXPECT_EQ(after.frontCount, 0);
    EXPECT_FALSE(after.visible);
}

}  // namespace
