// The queues between the host thread and the program thread under load:
// every event arrives once and in order. Built as its own program so that
// it can run under ThreadSanitizer.
#include <atomic>
#include <string>
#include <thread>

#include "input/keys.h"
#include "platform/program_state.h"
#include "runtime_fixture.h"
#include "screen/text_output.h"
#include "screen/window.h"
#include "test_fonts.h"

namespace {

// The printable character a sequence number is typed as.
char SequenceCharacter(Int n) { return static_cast<char>(32 + n % 95); }

class EventStressTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        t_InitWindow(0, 24, false, 121 * 8, 50 * 16, 0, 0, CellFont(), true);
        ASSERT_TRUE(WindowReady(0));
    }
};

// The host thread types 100,000 keys through the key-down path while the
// program thread takes them with t_WaitKey; the host key code carries the
// sequence number.
TEST_F(EventStressTest, NoKeyIsLostDuplicatedOrReordered) {
    constexpr Int Count = 100'000;
    std::thread typist([] {
        for (Int n = 0; n < Count; ++n) {
            HostKey key;
            key.Text = std::string(1, SequenceCharacter(n));
            key.Code = n;
            key.Time = n;
            t_KeyEventHandler(0, key);
        }
    });
    Int wrong = 0;
    for (Int n = 0; n < Count; ++n) {
        const String typed = t_WaitKey(0);
        const t_Event e = CurrentEvent();
        if (e.Index != n || e.Time != n || typed != std::string(1, SequenceCharacter(n))) ++wrong;
    }
    typist.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_FALSE(EventPendingFlag());
    EXPECT_EQ(t_TakeKey(), -1);
    EXPECT_EQ(Screen().WindowTable[0].TextCursorLevel, 0);
}

// Text typed by the program (macros) and keys from the host interleave only
// as whole texts.
TEST_F(EventStressTest, TypedTextsStayWholeWhileTheHostTypes) {
    constexpr int Texts = 2'000;
    const std::string text = "Hallo";
    std::thread host([] {
        HostKey key;
        key.Text = "#";
        for (int n = 0; n < Texts * 5; ++n) t_KeyEventHandler(0, key);
    });
    std::thread macro([&] {
        for (int n = 0; n < Texts; ++n) t_TypeString(text);
    });
    std::string received;
    for (int n = 0; n < Texts * 10; ++n) received += t_WaitKey(0);
    host.join();
    macro.join();
    for (std::size_t i = 0; i < received.size();) {
        if (received[i] == '#') {
            ++i;
            continue;
        }
        // A macro text is never split by a host key.
        ASSERT_EQ(received.compare(i, text.size(), text), 0) << "at " << i;
        i += text.size();
    }
    EXPECT_EQ(KeyQueueLength(), 0u);
}

// Clicks and menu choices from the host thread each start a hook thread
// while the program takes the clicks; hooks look at the queues too.
TEST_F(EventStressTest, ClicksAndMenuChoicesWithHookThreads) {
    constexpr int Count = 300;
    std::atomic<int> mouseHooks{0};
    std::atomic<int> menuHooks{0};
    std::atomic<std::size_t> menusSeen{0};
    SetMouseHook([&] {
        (void)MouseQueueLength();
        ++mouseHooks;
    });
    SetMenuHook([&] {
        menusSeen = MenuEvents().size();
        ++menuHooks;
    });
    std::thread host([] {
        for (int n = 0; n < Count; ++n) {
            // One click per text cell on the first line, left to right.
            t_MouseEventHandler(0, 8.0 * (n % 121) + 1, 50 * 16 - 1, 1, HostModifiers{});
            HostMenuItem item;
            item.MenuTitle = "Ablage";
            item.ItemTitle = "Eintrag " + std::to_string(n);
            t_MenuEventHandler(item);
        }
    });
    {
        // The coordinate log lines are not what this test is about.
        LogCapture quiet;
        int wrongCell = 0;
        for (int n = 0; n < Count;) {
            const std::pair<Int, Int> cell = t_GetMouseText(0);
            if (cell.first < 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if (cell.first != n % 121 + 1 || cell.second != 1) ++wrongCell;
            ++n;
        }
        host.join();
        EXPECT_EQ(wrongCell, 0);
        ResetProgramState();  // waits for the hook threads
    }
    EXPECT_EQ(mouseHooks.load(), Count);
    EXPECT_EQ(menuHooks.load(), Count);
    EXPECT_GE(menusSeen.load(), 1u);
}

}  // namespace
