// The event queues, waiting for keys, typed text, the mouse handler with its
// coordinates and messages, and the menu handler with its actions.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "input/events.h"
#include "platform/current_platform.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/charset.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "runtime_fixture.h"
#include "screen/text_output.h"
#include "screen/window.h"
#include "test_fonts.h"
#include "test_support.h"

namespace {

// Window geometry of the tests: 121 x 50 cells of 8 x 16 pixels, borders of 8.
constexpr Int Width = 121 * 8;
constexpr Int Height = 50 * 16;
constexpr Int Border = 8;

t_Event Key(Int value) {
    t_Event e;
    e.Kind = 1;
    e.Value = value;
    return e;
}

std::vector<Int> TakeAllValues() {
    std::vector<Int> values;
    t_Event e;
    while (TakeKeyEvent(e)) values.push_back(e.Value);
    return values;
}

HostMenuItem Item(Int tag, const std::string& title = "Eintrag") {
    HostMenuItem item;
    item.MenuTitle = "Fenster";
    item.ItemTitle = title;
    item.Tag = tag;
    return item;
}

class EventsTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        OpenWindow(0);
    }

    static void OpenWindow(UInt8 w) {
        t_InitWindow(w, 24, false, Width, Height, Border, Border, CellFont(), true);
        ASSERT_TRUE(WindowReady(w));
    }
    static t_Window& Win(UInt8 w = 0) { return Screen().WindowTable[w]; }
};

TEST_F(EventsTest, KeyQueueIsFirstInFirstOutWithItsPendingFlag) {
    EXPECT_EQ(t_TakeKey(), -1);
    for (Int v : {1, -5, 3}) AppendKeyEvent(Key(v));
    EXPECT_TRUE(EventPendingFlag());
    EXPECT_EQ(NewestKeyEvent()->Value, 3);
    EXPECT_EQ(t_TakeKey(), 1);
    EXPECT_EQ(t_TakeKey(), -5);  // taken as it is; only t_WaitKey skips it
    EXPECT_EQ(CurrentEvent().Value, -5);
    EXPECT_TRUE(EventPendingFlag());
    EXPECT_EQ(TakeAllValues(), (std::vector<Int>{3}));
    EXPECT_FALSE(EventPendingFlag());
    EXPECT_EQ(CurrentEvent().Value, 3);

    AppendKeyEvent(Key(19));
    ClearKeyQueue();
    EXPECT_FALSE(EventPendingFlag());
    AppendKeyEvent(Key(6));
    SetEventPendingFromQueue();
    EXPECT_TRUE(EventPendingFlag());
}

// Typed-ahead keys are taken without showing the cursor: negative values
// are skipped; values that are no scalar give U+0000.
TEST_F(EventsTest, WaitKeyShowsTheCursorOnlyWhileItWaits) {
    const std::pair<Int, std::string> cases[] = {
        {'A', "A"}, {233, "é"}, {0x20AC, "€"}, {3, "\x03"}, {0xD800, std::string(1, '\0')},
        {0x110000, std::string(1, '\0')},
    };
    AppendKeyEvent(Key(-1));
    for (const auto& [value, text] : cases) AppendKeyEvent(Key(value));
    LogCapture log;
    // Window 5 is not open: a cursor call on it would leave a log line.
    for (const auto& [value, text] : cases) EXPECT_EQ(t_WaitKey(5), text) << value;
    EXPECT_TRUE(RuntimeLines(log).empty());
    EXPECT_FALSE(EventPendingFlag());
    // With nothing typed ahead, the cursor is switched on (here: its message
    // for the closed window 5) before the wait begins.
    std::thread typist([&] {
        EXPECT_TRUE(WaitFor([&] { return log.Contains("t_CursorOn: Window #5 not initialized."); }));
        AppendKeyEvent(Key('z'));
    });
    EXPECT_EQ(t_WaitKey(5), "z");
    typist.join();
    EXPECT_EQ(RuntimeLines(log), (std::vector<std::string>{"t_CursorOn: Window #5 not initialized.",
                                                     "t_CursorOff: Window #5 not initialized."}));
}

TEST_F(EventsTest, TypeStringQueuesOneKeyPerCharacter) {
    const std::pair<const char*, std::vector<Int>> cases[] = {
        {"Aé€\n", {65, 233, 27, '2', '0', 'A', 'C', 29, 13}},
        {"a\r\nb\rc", {'a', 13, 'b', 13, 'c'}},
        {"😀", {27, 'D', '8', '3', 'D', 29, 27, 'D', 'E', '0', '0', 29}},
        {"", {}},
    };
    for (const auto& [text, codes] : cases) {
        t_TypeString(text);
        EXPECT_EQ(EventPendingFlag(), !codes.empty()) << text;
        EXPECT_EQ(TakeAllValues(), codes) << text;
    }
    t_TypeString("\n");
    t_Event e;
    ASSERT_TRUE(TakeKeyEvent(e));
    EXPECT_EQ(e.Description, "Ctrl-M");
}

TEST_F(EventsTest, ClickPositionsAndTheirLogLines) {
    struct Case {
        const char* what;
        UInt8 window;
        double x, y;
        Int clickX, clickY;  // -3: refused, nothing queued
        std::string refusal;
    };
    // Host coordinates have their origin at the bottom left; the drawing
    // area spans x = 8..975 and y = 8..807.
    const std::vector<Case> cases = {
        {"top-left pixel", 0, 8, 808, 0, 0, ""},
        {"inside", 0, 108.7, 708.2, 100, 100, ""},
        {"bottom-right pixel", 0, 975, 9, Width - 1, Height - 1, ""},
        {"right of the right edge", 0, Border + Width + 5, 400, -2, 408, ""},
        {"in the left border", 0, 3, 400, -1, 408, ""},
        {"in the title area above", 0, 100, Border + Height + 10, 92, -1, ""},
        {"in the bottom border", 0, 100, 8, 92, -2, ""},
        {"far away", 0, 1e300, -1e300, -2, -2, ""},
        {"unknown window", 9, 12.9, 34.1, -3, -3, "t_MouseEventHandler: Unknown window, AbsX = 12, AbsY = 34"},
        {"closed window", 3, 12.9, 34.1, -3, -3, "t_MouseEventHandler: Window #3 not initialized."},
    };
    std::atomic<int> hookRuns{0};
    SetMouseHook([&] { ++hookRuns; });
    int expectedRuns = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture log;
        t_MouseEventHandler(c.window, c.x, c.y, 1, HostModifiers{});
        std::vector<std::string> expected = {
            "t_MouseEventHandler: Graphic #" + std::to_string(c.window) + " window, X = " + std::to_string(c.clickX) +
                ", Y = " + std::to_string(c.clickY),
            "t_MouseEventHandler: Calling program mouse handler asynchronously."};
        if (!c.refusal.empty()) expected.insert(expected.begin(), c.refusal);
        EXPECT_EQ(RuntimeLines(log), expected);
        t_Event e;
        EXPECT_EQ(TakeMouseEvent(c.window, e), c.refusal.empty());
        EXPECT_EQ(e.ClickX * 10000 + e.ClickY, c.refusal.empty() ? c.clickX * 10000 + c.clickY : 0);
        ++expectedRuns;  // the hook runs for every click, refused or not
        EXPECT_TRUE(WaitFor([&] { return hookRuns == expectedRuns; }));
    }
    EXPECT_FALSE(MouseEventPendingFlag());
}

TEST_F(EventsTest, MouseEventsAreTakenPerWindowWithTheirButtonsAndModifiers) {
    OpenWindow(3);
    HostModifiers shiftAlt;
    shiftAlt.Shift = true;
    shiftAlt.Alt = true;
    viewMouseDown(3, 20, 20, 2, shiftAlt, true);
    EXPECT_TRUE(RightMouseClick() && !LeftMouseClick());
    viewMouseDown(0, 30, 30, 1, HostModifiers{}, false);
    EXPECT_TRUE(LeftMouseClick() && !RightMouseClick());
    Win().IgnoreEvents = true;
    viewMouseDown(0, 40, 40, 1, HostModifiers{}, false);
    t_Event e;
    ASSERT_TRUE(TakeMouseEvent(3, e));
    EXPECT_EQ(e.WindowX * 1000 + e.Index * 100 + e.Mods, 20'000 + 200 + (2 | 16));
    EXPECT_TRUE(e.ShiftPressed && e.CommandPressed);
    EXPECT_FALSE(TakeMouseEvent(3, e));
    ASSERT_TRUE(TakeMouseEvent(0, e));
    EXPECT_EQ(e.WindowX, 30);
    EXPECT_FALSE(MouseEventPendingFlag());

    LogCapture log;
    viewMouseDown(2, 50, 50, 1, HostModifiers{}, false);
    t_WindowVisible(0, true);
    t_MouseEventPostCloseBoxClick(0);
    EXPECT_FALSE(host->Window(0).Visible);
    EXPECT_EQ(RuntimeLines(log), (std::vector<std::string>{"viewMouseDown: Graphic window (2) not initialized.",
                                                     "t_MouseEventPostCloseBoxClick: Window = 0"}));
    EXPECT_EQ(MouseQueueLength() + KeyQueueLength(), 0u);
}

TEST_F(EventsTest, HooksRunOnNamedThreadsOfTheirOwn) {
    std::atomic<int> runs{0};
    std::string mouseThread, menuThread;
    SetMouseHook([&] {
        mouseThread = CurrentPlatform().CurrentThreadDescription();
        ++runs;
    });
    SetMenuHook([&] {
        menuThread = CurrentPlatform().CurrentThreadDescription();
        ++runs;
    });
    t_MouseEventHandler(0, 50, 50, 1, HostModifiers{});
    ASSERT_TRUE(WaitFor([&] { return runs == 1; }));
    t_MenuEventHandler(Item(216));  // an action of the table: no hook
    t_MenuEventHandler(Item(999));  // a tag the table does not know
    ASSERT_TRUE(WaitFor([&] { return runs == 2; }));
    EXPECT_NE(mouseThread.find("name = t_EventMouse"), std::string::npos) << mouseThread;
    EXPECT_NE(menuThread.find("name = t_EventMenu"), std::string::npos) << menuThread;
    EXPECT_EQ(MenuQueueLength(), 2u);
}

TEST_F(EventsTest, MenuChoicesAreQueuedWithTheirItem) {
    HostMenuItem item = Item(0, "Sichern");
    item.KeyEquivalent = "s";
    t_MenuEventHandler(item);
    item.HasMenu = false;  // an item of no menu keeps only its tag
    item.Tag = 7;
    t_MenuEventHandler(item);
    EXPECT_TRUE(MenuEventPendingFlag());
    const std::vector<t_MenuEvent> events = MenuEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Kind * 1000 + events[0].ItemKeyAsc, 3000 + 's');
    EXPECT_EQ(events[0].ItemTitle + "|" + events[1].ItemTitle + "|" + events[1].ItemKeyChar, "Sichern||");
    EXPECT_EQ(events[1].Kind * 1000 + events[1].ItemAction, 7);
}

TEST_F(EventsTest, WindowMenuActionsShowHideAndRefuseClosedWindows) {
    OpenWindow(1);
    t_MenuEventHandler(Item(215));
    EXPECT_TRUE(host->Window(1).Visible && Win(1).Visible);
    t_MenuEventHandler(Item(216));
    EXPECT_FALSE(host->Window(1).Visible || Win(1).Visible);
    t_MenuEventHandler(Item(215));  // shown again after a hide
    EXPECT_TRUE(host->Window(1).Visible);
    EXPECT_EQ(host->BellCount(), 0);

    for (const auto& [tag, window] : {std::pair<Int, UInt8>{217, 2}, {228, 7}}) {
        const int bells = host->BellCount();
        LogCapture log;
        t_MenuEventHandler(Item(tag));
        EXPECT_EQ(host->BellCount(), bells + 1);
        EXPECT_EQ(RuntimeLines(log), std::vector<std::string>{"t_MenuEventHandler: Window #" + std::to_string(window) +
                                                        " not initialized."});
    }
    for (const auto& [frontTag, window] : {std::pair<Int, UInt8>{205, 12}, {207, 11}, {209, 9}, {211, 8}, {229, 10}}) {
        SCOPED_TRACE(frontTag);
        const int fronts = host->Window(window).FrontCount;
        t_MenuEventHandler(Item(frontTag));
        EXPECT_EQ(host->Window(window).FrontCount, fronts + 1);
        t_MenuEventHandler(Item(frontTag + 1));
        EXPECT_FALSE(host->Window(window).Visible);
    }
    t_WindowVisible(0, true);
    t_WindowVisible(12, true);
    t_MenuEventHandler(Item(201));  // hides the main window only
    EXPECT_FALSE(host->Window(0).Visible);
    EXPECT_TRUE(host->Window(1).Visible && host->Window(12).Visible);
    t_MenuEventHandler(Item(200));
    for (int w = 0; w < HostWindowCount; ++w) EXPECT_FALSE(host->Window(w).Visible) << w;
}

TEST_F(EventsTest, CopyScreenAsTextOrPictureNeedsAVisibleMainWindow) {
    t_Print(0, String("Hallo  "));
    t_PrintChar(0, 138);  // a column rule of the font
    t_Htab(0, 1);
    t_Vtab(0, 3);
    t_Print(0, String("Welt"));
    host->SetClipboardString("alt");
    t_MenuEventHandler(Item(111));
    t_MenuEventHandler(Item(110));
    EXPECT_EQ(host->ClipboardString(), "alt");
    EXPECT_EQ(host->BellCount(), 1);

    t_WindowVisible(0, true);
    t_MenuEventHandler(Item(111));
    EXPECT_EQ(host->ClipboardString(), "Hallo  |\r\rWelt");
    t_MenuEventHandler(Item(110));
    EXPECT_EQ(host->BellCount(), 1);
    EXPECT_EQ(host->ClipboardImageWidth(), Width);
    EXPECT_EQ(host->ClipboardImageBytes().size(), static_cast<std::size_t>(Width * Height * 4));
}

TEST_F(EventsTest, ClearPrinterAndConsoleWindows) {
    const std::pair<UInt8, std::string> cases[] = {
        {9, "t_MenuEventHandler: Virtual printer window is nil, resource undefined."},
        {10, "t_MenuEventHandler: System console window is nil, resource undefined."},
    };
    for (const auto& [window, missing] : cases) {
        const Int tag = window == 9 ? 112 : 114;
        host->SetTextViewString(window, "Zeile 1\nZeile 2");
        LogCapture log;
        t_MenuEventHandler(Item(tag));
        EXPECT_EQ(host->TextViewString(window), "");
        const int bells = host->BellCount();
        host->SetWindowExists(window, false);
        t_MenuEventHandler(Item(tag));
        EXPECT_EQ(RuntimeLines(log), std::vector<std::string>{missing});
        EXPECT_EQ(host->BellCount(), bells + 1);
    }
}

TEST_F(EventsTest, PasteRunsThePasteHookForAGraphicMainWindow) {
    t_MenuEventHandler(Item(113));  // no main window: the bell
    t_WindowVisible(0, true);
    t_MenuEventHandler(Item(113));  // the default hook: the bell
    EXPECT_EQ(host->BellCount(), 2);
    int pastes = 0;
    SetPasteHook([&] { ++pastes; });
    t_MenuEventHandler(Item(113));
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(host->BellCount(), 2);
}

TEST_F(EventsTest, MenuChoicesBeforeInitialisationGoToTheHookAndResetEmptiesEverything) {
    ResetProgramState();
    std::atomic<int> runs{0};
    SetMenuHook([&] { ++runs; });
    t_MenuEventHandler(Item(215));
    ASSERT_TRUE(WaitFor([&] { return runs == 1; }));
    EXPECT_EQ(host->BellCount(), 0);

    AppendKeyEvent(Key(1));
    HostModifiers shift;
    shift.Shift = true;
    SetCurrentModifiers(shift);
    EXPECT_TRUE(CurrentModifiers().Shift);
    ResetProgramState();
    EXPECT_EQ(KeyQueueLength() + MenuQueueLength(), 0u);
    EXPECT_FALSE(EventPendingFlag() || MenuEventPendingFlag());
    EXPECT_FALSE(CurrentModifiers().Shift);
}

}  // namespace
