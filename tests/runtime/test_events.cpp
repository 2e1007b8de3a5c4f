// The event queues, waiting for keys, typed text, the mouse handler with its
// coordinates and messages, and the menu handler with its actions.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "platform/headless_platform.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "runtime/charset.h"
#include "runtime/events.h"
#include "runtime/font.h"
#include "runtime/memory.h"
#include "runtime/program.h"
#include "runtime/text_output.h"
#include "runtime/window.h"
#include "runtime_fixture.h"
#include "test_fonts.h"

namespace {

using Clock = std::chrono::steady_clock;

// Window geometry of the tests: 121 x 50 cells of 8 x 16 pixels, borders of
// 8 pixels.
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

// The log without the auto-update thread's lines, which arrive whenever
// that thread gets to run.
std::vector<std::string> Lines(const LogCapture& log) {
    std::vector<std::string> lines;
    for (const std::string& l : log.Lines())
        if (l.rfind("t_WindowAutoUpdateProcess:", 0) != 0) lines.push_back(l);
    return lines;
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
        ResetEvents();
        OpenWindow(0);
    }
    void TearDown() override {
        ResetEvents();
        RuntimeTest::TearDown();
    }

    static void OpenWindow(UInt8 w) {
        t_InitWindow(w, 24, false, Width, Height, Border, Border, CellFont(), true);
        ASSERT_TRUE(WindowReady(w));
    }
    static t_Window& Win(UInt8 w = 0) { return Screen().WindowTable[w]; }
    static UInt8 CursorColor() {
        const t_Window& win = Win();
        const Int half = (win.TextMemoryEnd - win.TextMemoryStart + 1) / 2;
        const Int cell = (win.TextVpos - 1) * win.TextWidth + win.TextHpos - 1;
        return Screen().VideoMemory[static_cast<std::size_t>(win.TextMemoryStart + half + cell)];
    }
};

// --- keyboard queue --------------------------------------------------------------

TEST_F(EventsTest, KeyQueueIsFirstInFirstOutWithPendingFlag) {
    EXPECT_FALSE(EventPendingFlag());
    EXPECT_FALSE(NewestKeyEvent().has_value());
    for (Int v : {1, 2, 3}) AppendKeyEvent(Key(v));
    EXPECT_TRUE(EventPendingFlag());
    EXPECT_EQ(KeyQueueLength(), 3u);
    ASSERT_TRUE(NewestKeyEvent().has_value());
    EXPECT_EQ(NewestKeyEvent()->Value, 3);

    t_Event e;
    ASSERT_TRUE(TakeKeyEvent(e));
    EXPECT_EQ(e.Value, 1);
    EXPECT_EQ(CurrentEvent().Value, 1);
    EXPECT_TRUE(EventPendingFlag());
    EXPECT_EQ(TakeAllValues(), (std::vector<Int>{2, 3}));
    EXPECT_FALSE(EventPendingFlag());
    EXPECT_EQ(CurrentEvent().Value, 3);
    EXPECT_FALSE(TakeKeyEvent(e));
}

TEST_F(EventsTest, ClearingAndRecomputingThePendingFlag) {
    AppendKeyEvent(Key(19));
    AppendKeyEvent(Key(20));
    ClearKeyQueue();
    EXPECT_EQ(KeyQueueLength(), 0u);
    EXPECT_FALSE(EventPendingFlag());

    AppendKeyEvent(Key(5));
    t_Event e;
    ASSERT_TRUE(TakeKeyEvent(e));
    SetEventPendingFromQueue();
    EXPECT_FALSE(EventPendingFlag());
    AppendKeyEvent(Key(6));
    SetEventPendingFromQueue();
    EXPECT_TRUE(EventPendingFlag());
}

TEST_F(EventsTest, TakeKeyGivesValuesAsTheyAreAndMinusOneWhenEmpty) {
    EXPECT_EQ(t_TakeKey(), -1);
    AppendKeyEvent(Key(-5));
    AppendKeyEvent(Key('q'));
    EXPECT_EQ(t_TakeKey(), -5);
    EXPECT_EQ(t_TakeKey(), 'q');
    EXPECT_EQ(CurrentEvent().Value, 'q');
    EXPECT_EQ(t_TakeKey(), -1);
}

// --- waiting for a key ----------------------------------------------------------------

TEST_F(EventsTest, WaitKeyTakesTypedAheadKeysWithoutShowingTheCursor) {
    const UInt8 before = CursorColor();
    for (Int v : {'a', 'b', 'c'}) AppendKeyEvent(Key(v));
    LogCapture log;
    // Window 5 is not open: a cursor call on it would leave a log line.
    EXPECT_EQ(t_WaitKey(5), "a");
    EXPECT_TRUE(Lines(log).empty());
    EXPECT_EQ(t_WaitKey(0), "b");
    EXPECT_EQ(Win().TextCursorLevel, 0);
    EXPECT_EQ(CursorColor(), before);
    EXPECT_EQ(CurrentEvent().Value, 'b');
    EXPECT_EQ(KeyQueueLength(), 1u);
}

TEST_F(EventsTest, WaitKeyShowsTheCursorOnlyWhileItWaits) {
    LogCapture log;
    std::thread typist([&] {
        // The cursor is switched on (here: its message for the closed
        // window 5) before the wait begins.
        EXPECT_TRUE(WaitFor([&] { return log.Contains("t_CursorOn: Window #5 not initialized."); }));
        AppendKeyEvent(Key('z'));
    });
    EXPECT_EQ(t_WaitKey(5), "z");
    typist.join();
    EXPECT_EQ(Lines(log), (std::vector<std::string>{"t_CursorOn: Window #5 not initialized.",
                                                     "t_CursorOff: Window #5 not initialized."}));
}

TEST_F(EventsTest, WaitKeyLeavesTheCursorCellAsItWasAfterWaiting) {
    const UInt8 before = CursorColor();
    std::thread typist([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        AppendKeyEvent(Key('k'));
    });
    EXPECT_EQ(t_WaitKey(0), "k");
    typist.join();
    EXPECT_EQ(Win().TextCursorLevel, 0);
    EXPECT_EQ(CursorColor(), before);
}

TEST_F(EventsTest, WaitKeySkipsNegativeValues) {
    AppendKeyEvent(Key(-1));
    AppendKeyEvent(Key(-200));
    AppendKeyEvent(Key('x'));
    EXPECT_EQ(t_WaitKey(0), "x");
    EXPECT_EQ(CurrentEvent().Value, 'x');
    EXPECT_FALSE(EventPendingFlag());
}

TEST_F(EventsTest, WaitKeyReturnsTheCharacterOfTheValue) {
    struct Case {
        Int value;
        std::string text;
    };
    const std::vector<Case> cases = {
        {'A', "A"}, {233, "é"}, {0x20AC, "€"}, {3, "\x03"}, {0, std::string(1, '\0')},
        {0xD800, std::string(1, '\0')}, {0x110000, std::string(1, '\0')},
    };
    for (const Case& c : cases) AppendKeyEvent(Key(c.value));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(t_WaitKey(0), c.text);
    }
}

// --- typed text -----------------------------------------------------------------------------

TEST_F(EventsTest, TypeStringQueuesOneKeyPerCharacter) {
    struct Case {
        const char* text;
        std::vector<Int> codes;
    };
    const std::vector<Case> cases = {
        {"Aé€\n", {65, 233, 27, '2', '0', 'A', 'C', 29, 13}},
        {"a\r\nb\rc", {'a', 13, 'b', 13, 'c'}},
        {"\t\x7f", {9, 127}},
        {"😀", {27, 'D', '8', '3', 'D', 29, 27, 'D', 'E', '0', '0', 29}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        t_TypeString(c.text);
        EXPECT_EQ(EventPendingFlag(), !c.codes.empty());
        EXPECT_EQ(TakeAllValues(), c.codes);
    }
}

TEST_F(EventsTest, TypedKeysAreKeyboardEventsWithDescriptions) {
    t_TypeString("x\n");
    t_Event e;
    ASSERT_TRUE(TakeKeyEvent(e));
    EXPECT_EQ(e.Kind, 1);
    EXPECT_EQ(e.Description, "x");
    EXPECT_EQ(e.Window, 0);
    EXPECT_FALSE(e.CommandPressed);
    ASSERT_TRUE(TakeKeyEvent(e));
    EXPECT_EQ(e.Description, "Ctrl-M");
}

// --- mouse ------------------------------------------------------------------------------------

TEST_F(EventsTest, ClickPositionsInTheDrawingArea) {
    struct Case {
        const char* what;
        double x, y;
        Int clickX, clickY;
    };
    // Host coordinates have their origin at the bottom left; the drawing
    // area spans x = 8..975 and y = 8..807.
    const std::vector<Case> cases = {
        {"top-left pixel", 8, 808, 0, 0},
        {"inside", 108.7, 708.2, 100, 100},
        {"bottom-right pixel", 975, 9, Width - 1, Height - 1},
        {"5 pixels right of the right edge", Border + Width + 5, 400, -2, 408},
        {"in the left border", 3, 400, -1, 408},
        {"in the title area above", 100, Border + Height + 10, 92, -1},
        {"in the bottom border", 100, 8, 92, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture log;
        t_MouseEventHandler(0, c.x, c.y, 1, HostModifiers{});
        EXPECT_TRUE(MouseEventPendingFlag());
        t_Event e;
        ASSERT_TRUE(TakeMouseEvent(0, e));
        EXPECT_EQ(e.Kind, 2);
        EXPECT_EQ(e.ClickX, c.clickX);
        EXPECT_EQ(e.ClickY, c.clickY);
        EXPECT_EQ(e.WindowX, static_cast<Int>(c.x));
        EXPECT_EQ(e.WindowY, static_cast<Int>(c.y));
        EXPECT_EQ(e.Index, 1);
        EXPECT_EQ(e.Window, 0);
        EXPECT_EQ(Lines(log), (std::vector<std::string>{
                                   "t_MouseEventHandler: Graphic #0 window, X = " + std::to_string(c.clickX) +
                                       ", Y = " + std::to_string(c.clickY),
                                   "t_MouseEventHandler: Calling program mouse handler asynchronously."}));
    }
    EXPECT_FALSE(MouseEventPendingFlag());
}

TEST_F(EventsTest, MouseEventsCarryModifiersAndAreTakenPerWindow) {
    OpenWindow(3);
    HostModifiers shiftAlt;
    shiftAlt.Shift = true;
    shiftAlt.Alt = true;
    t_MouseEventHandler(3, 20, 20, 2, shiftAlt);
    t_MouseEventHandler(0, 30, 30, 1, HostModifiers{});
    t_MouseEventHandler(3, 40, 40, 1, HostModifiers{});
    t_Event e;
    ASSERT_TRUE(TakeMouseEvent(0, e));
    EXPECT_EQ(e.WindowX, 30);
    EXPECT_EQ(CurrentMouseEvent().WindowX, 30);
    ASSERT_TRUE(TakeMouseEvent(3, e));
    EXPECT_EQ(e.WindowX, 20);
    EXPECT_EQ(e.Index, 2);
    EXPECT_EQ(e.Mods, 2 | 16);
    EXPECT_TRUE(e.ShiftPressed);
    EXPECT_TRUE(e.CommandPressed);
    EXPECT_FALSE(e.FunctionKeyPressed);
    EXPECT_TRUE(MouseEventPendingFlag());
    EXPECT_FALSE(TakeMouseEvent(0, e));
    ASSERT_TRUE(TakeMouseEvent(3, e));
    EXPECT_EQ(e.WindowX, 40);
    EXPECT_FALSE(MouseEventPendingFlag());
}

TEST_F(EventsTest, ClicksOnUnknownOrClosedWindowsAreLoggedNotQueued) {
    std::atomic<int> hookRuns{0};
    SetMouseHook([&] { ++hookRuns; });
    struct Case {
        UInt8 window;
        std::string message;
    };
    const std::vector<Case> cases = {
        {9, "t_MouseEventHandler: Unknown window, AbsX = 12, AbsY = 34"},
        {3, "t_MouseEventHandler: Window #3 not initialized."},
    };
    int expectedRuns = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        LogCapture log;
        t_MouseEventHandler(c.window, 12.9, 34.1, 1, HostModifiers{});
        EXPECT_EQ(Lines(log), (std::vector<std::string>{
                                   c.message,
                                   "t_MouseEventHandler: Graphic #" + std::to_string(c.window) +
                                       " window, X = -3, Y = -3",
                                   "t_MouseEventHandler: Calling program mouse handler asynchronously."}));
        EXPECT_EQ(MouseQueueLength(), 0u);
        ++expectedRuns;
        EXPECT_TRUE(WaitFor([&] { return hookRuns == expectedRuns; }));
    }
}

TEST_F(EventsTest, MouseHookRunsOnANamedThreadOfItsOwn) {
    std::atomic<bool> done{false};
    std::string description;
    Int number = 0;
    SetMouseHook([&] {
        description = CurrentPlatform().CurrentThreadDescription();
        number = currentthreadnumber();
        done = true;
    });
    t_MouseEventHandler(0, 50, 50, 1, HostModifiers{});
    ASSERT_TRUE(WaitFor([&] { return done.load(); }));
    EXPECT_GE(number, 3);
    EXPECT_NE(description.find("name = t_EventMouse"), std::string::npos) << description;
}

TEST_F(EventsTest, ViewMouseDownChecksTheWindowAndRecordsTheButton) {
    LogCapture log;
    viewMouseDown(0, 50, 50, 2, HostModifiers{}, true);
    EXPECT_EQ(MouseQueueLength(), 1u);
    EXPECT_TRUE(RightMouseClick());
    EXPECT_FALSE(LeftMouseClick());

    log.Clear();
    viewMouseDown(2, 50, 50, 1, HostModifiers{}, false);
    EXPECT_EQ(Lines(log), std::vector<std::string>{"viewMouseDown: Graphic window (2) not initialized."});
    EXPECT_TRUE(LeftMouseClick());
    EXPECT_FALSE(RightMouseClick());

    log.Clear();
    Win().IgnoreEvents = true;
    viewMouseDown(0, 50, 50, 1, HostModifiers{}, false);
    EXPECT_TRUE(Lines(log).empty());
    EXPECT_EQ(MouseQueueLength(), 1u);
}

TEST_F(EventsTest, CloseBoxHidesTheWindowAndQueuesNothing) {
    t_WindowVisible(0, true);
    LogCapture log;
    t_MouseEventPostCloseBoxClick(0);
    EXPECT_FALSE(host->Window(0).visible);
    EXPECT_FALSE(Win().Visible);
    EXPECT_EQ(Lines(log), std::vector<std::string>{"t_MouseEventPostCloseBoxClick: Window = 0"});
    EXPECT_EQ(MouseQueueLength(), 0u);
    EXPECT_EQ(KeyQueueLength(), 0u);
}

// --- menus ------------------------------------------------------------------------------------

TEST_F(EventsTest, MenuChoicesAreQueuedWithTheirItem) {
    HostMenuItem item = Item(0, "Sichern");
    item.MenuTitle = "Ablage";
    item.KeyEquivalent = "s";
    item.KeyModifierMask = 1u << 20;
    t_MenuEventHandler(item);
    HostMenuItem loose;
    loose.HasMenu = false;
    loose.ItemTitle = "Lose";
    loose.KeyEquivalent = "x";
    loose.Tag = 7;
    t_MenuEventHandler(loose);

    EXPECT_TRUE(MenuEventPendingFlag());
    const std::vector<t_MenuEvent> events = MenuEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Kind, 3);
    EXPECT_EQ(events[0].MenuTitle, "Ablage");
    EXPECT_EQ(events[0].ItemTitle, "Sichern");
    EXPECT_EQ(events[0].ItemKeyChar, "s");
    EXPECT_EQ(events[0].ItemKeyMods, 1u << 20);
    EXPECT_EQ(events[0].ItemKeyAsc, 's');
    EXPECT_EQ(events[0].ItemAction, 0);
    EXPECT_GT(events[0].Time, 0);
    EXPECT_EQ(events[1].Kind, 0);
    EXPECT_EQ(events[1].ItemTitle, "");
    EXPECT_EQ(events[1].ItemKeyChar, "");
    EXPECT_EQ(events[1].ItemKeyAsc, 0);
    EXPECT_EQ(events[1].ItemAction, 7);
    EXPECT_EQ(MenuQueueLength(), 2u);
}

TEST_F(EventsTest, MenuHookRunsOnlyForChoicesWithoutAction) {
    std::atomic<int> runs{0};
    std::string name;
    SetMenuHook([&] {
        name = CurrentPlatform().CurrentThreadDescription();
        ++runs;
    });
    t_MenuEventHandler(Item(216));  // an action of the table
    t_MenuEventHandler(Item(0));
    ASSERT_TRUE(WaitFor([&] { return runs == 1; }));
    EXPECT_NE(name.find("name = t_EventMenu"), std::string::npos) << name;
    t_MenuEventHandler(Item(999));  // a tag the table does not know
    ASSERT_TRUE(WaitFor([&] { return runs == 2; }));
    EXPECT_EQ(MenuQueueLength(), 3u);
}

TEST_F(EventsTest, GraphicWindowMenuActionsShowAndHide) {
    OpenWindow(1);
    const int fronts = host->Window(1).frontCount;
    t_MenuEventHandler(Item(215));
    EXPECT_EQ(host->Window(1).frontCount, fronts + 1);
    EXPECT_TRUE(host->Window(1).visible);
    EXPECT_TRUE(Win(1).Visible);
    t_MenuEventHandler(Item(216));
    EXPECT_FALSE(host->Window(1).visible);
    EXPECT_FALSE(Win(1).Visible);
    t_MenuEventHandler(Item(215));
    EXPECT_TRUE(host->Window(1).visible);
    EXPECT_EQ(host->BellCount(), 0);
    EXPECT_EQ(MenuQueueLength(), 3u);
}

TEST_F(EventsTest, GraphicWindowMenuActionOnAClosedWindowRingsTheBell) {
    struct Case {
        Int tag;
        UInt8 window;
    };
    for (const Case& c : {Case{215, 1}, Case{216, 1}, Case{213, 0}, Case{228, 7}}) {
        SCOPED_TRACE(c.tag);
        if (c.window == 0) Win(0).Initialized = false;
        const int bells = host->BellCount();
        const int fronts = host->Window(c.window).frontCount;
        LogCapture log;
        t_MenuEventHandler(Item(c.tag));
        EXPECT_EQ(host->BellCount(), bells + 1);
        EXPECT_EQ(Lines(log), std::vector<std::string>{"t_MenuEventHandler: Window #" +
                                                        std::to_string(c.window) + " not initialized."});
        EXPECT_EQ(host->Window(c.window).frontCount, fronts);
    }
}

TEST_F(EventsTest, HostWindowMenuActionsBringToFrontAndHide) {
    struct Case {
        Int frontTag;
        UInt8 window;
    };
    for (const Case& c : {Case{205, 12}, Case{207, 11}, Case{209, 9}, Case{211, 8}, Case{229, 10}}) {
        SCOPED_TRACE(c.frontTag);
        const int fronts = host->Window(c.window).frontCount;
        t_MenuEventHandler(Item(c.frontTag));
        EXPECT_EQ(host->Window(c.window).frontCount, fronts + 1);
        EXPECT_TRUE(host->Window(c.window).visible);
        t_MenuEventHandler(Item(c.frontTag + 1));
        EXPECT_FALSE(host->Window(c.window).visible);
    }
}

TEST_F(EventsTest, HideAllAndHideMainWindow) {
    OpenWindow(1);
    t_WindowVisible(0, true);
    t_WindowVisible(1, true);
    t_WindowVisible(12, true);
    t_MenuEventHandler(Item(201));
    EXPECT_FALSE(host->Window(0).visible);
    EXPECT_TRUE(host->Window(1).visible);
    EXPECT_TRUE(host->Window(12).visible);
    t_MenuEventHandler(Item(200));
    for (int w = 0; w < HostWindowCount; ++w) EXPECT_FALSE(host->Window(w).visible) << w;
}

TEST_F(EventsTest, MainWindowIsTheVisibleScreenWindow) {
    EXPECT_EQ(t_MainWindowNumber(), NoWindow);
    t_WindowVisible(0, true);
    EXPECT_EQ(t_MainWindowNumber(), 0);
    t_WindowVisible(0, false);
    EXPECT_EQ(t_MainWindowNumber(), NoWindow);
}

TEST_F(EventsTest, CopyScreenTextPutsTheTidiedExportedScreenOnTheClipboard) {
    t_Print(0, String("Hallo  "));
    t_PrintChar(0, 138);  // a column rule of the font
    t_Htab(0, 1);
    t_Vtab(0, 3);
    t_Print(0, String("Welt"));
    host->SetClipboardString("alt");
    t_MenuEventHandler(Item(111));  // window 0 hidden: no main window
    EXPECT_EQ(host->ClipboardString(), "alt");

    t_WindowVisible(0, true);
    t_MenuEventHandler(Item(111));
    EXPECT_EQ(host->ClipboardString(), "Hallo  |\r\rWelt");
    EXPECT_EQ(host->ClipboardString(), t_ExportText(t_GetScreen(0, "\r")));
}

TEST_F(EventsTest, CopyScreenPictureNeedsAVisibleMainWindow) {
    t_MenuEventHandler(Item(110));
    EXPECT_EQ(host->BellCount(), 1);
    EXPECT_EQ(host->ClipboardImageWidth(), 0);
    t_WindowVisible(0, true);
    t_MenuEventHandler(Item(110));
    EXPECT_EQ(host->BellCount(), 1);
    EXPECT_EQ(host->ClipboardImageWidth(), Width);
    EXPECT_EQ(host->ClipboardImageBytes().size(), static_cast<std::size_t>(Width * Height * 4));
}

TEST_F(EventsTest, ClearPrinterAndConsoleWindows) {
    struct Case {
        Int tag;
        UInt8 window;
        std::string missing;
    };
    const std::vector<Case> cases = {
        {112, 9, "t_MenuEventHandler: Virtual printer window is nil, resource undefined."},
        {114, 10, "t_MenuEventHandler: System console window is nil, resource undefined."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        host->SetTextViewString(c.window, "Zeile 1\nZeile 2");
        LogCapture log;
        t_MenuEventHandler(Item(c.tag));
        EXPECT_EQ(host->TextViewString(c.window), "");
        EXPECT_TRUE(Lines(log).empty());

        const int bells = host->BellCount();
        host->SetWindowExists(c.window, false);
        t_MenuEventHandler(Item(c.tag));
        EXPECT_EQ(Lines(log), std::vector<std::string>{c.missing});
        EXPECT_EQ(host->BellCount(), bells + 1);
    }
}

TEST_F(EventsTest, PasteRunsThePasteHookForAGraphicMainWindow) {
    t_MenuEventHandler(Item(113));  // no main window: the bell
    EXPECT_EQ(host->BellCount(), 1);
    t_WindowVisible(0, true);
    t_MenuEventHandler(Item(113));  // the default hook: the bell
    EXPECT_EQ(host->BellCount(), 2);
    int pastes = 0;
    SetPasteHook([&] { ++pastes; });
    t_MenuEventHandler(Item(113));
    EXPECT_EQ(pastes, 1);
    EXPECT_EQ(host->BellCount(), 2);
}

TEST_F(EventsTest, MenuChoicesBeforeInitialisationGoToTheHook) {
    ResetRuntime();
    std::atomic<int> runs{0};
    SetMenuHook([&] { ++runs; });
    t_MenuEventHandler(Item(215));
    ASSERT_TRUE(WaitFor([&] { return runs == 1; }));
    EXPECT_EQ(host->BellCount(), 0);
    EXPECT_EQ(MenuQueueLength(), 1u);
}

TEST_F(EventsTest, ResetEventsEmptiesEverything) {
    AppendKeyEvent(Key(1));
    t_MouseEventHandler(0, 50, 50, 1, HostModifiers{});
    t_MenuEventHandler(Item(0));
    HostModifiers shift;
    shift.Shift = true;
    SetCurrentModifiers(shift);
    EXPECT_TRUE(CurrentModifiers().Shift);
    ResetEvents();
    EXPECT_EQ(KeyQueueLength(), 0u);
    EXPECT_EQ(MouseQueueLength(), 0u);
    EXPECT_EQ(MenuQueueLength(), 0u);
    EXPECT_FALSE(EventPendingFlag());
    EXPECT_FALSE(MouseEventPendingFlag());
    EXPECT_FALSE(MenuEventPendingFlag());
    EXPECT_FALSE(CurrentModifiers().Shift);
}

}  // namespace
