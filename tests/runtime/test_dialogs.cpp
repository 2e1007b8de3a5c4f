#include "runtime/dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "runtime/events.h"
#include "runtime/program.h"
#include "screen_fixture.h"

namespace {

class DialogTest : public ScreenTest {};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

TEST_F(DialogTest, MessageBoxIsCentredOnTheMainScreen) {
    t_Color(0, ColorByte{0xC0});
    t_MessageBox(0, "Suchen", "Text nicht gefunden.", "Zeile zwei", "Bitte irgendeine Taste drücken", "!");
    // Frame: columns 30 to 91, lines 12 to 16; the title sits in the top edge.
    EXPECT_EQ(Char(30, 12), 139);
    EXPECT_EQ(Char(91, 12), 138);
    const std::string top = Row(12, 31, 90);
    const std::size_t title = top.find(" Suchen ");
    ASSERT_NE(title, std::string::npos);
    EXPECT_EQ(static_cast<UInt8>(top[title - 1]), 18);
    EXPECT_EQ(static_cast<UInt8>(top[title + 8]), 19);
    EXPECT_EQ(top.substr(0, title - 1), std::string(title - 1, '\x9F'));
    EXPECT_EQ(title - 1 + 8 + 1 + 1 + (60 - title - 9), 60u);
    EXPECT_EQ(Color(31 + static_cast<Int>(title), 12), 0x0C);  // the title is inverse
    for (Int line = 13; line <= 15; ++line) {
        EXPECT_EQ(Char(30, line), 139);
        EXPECT_EQ(Char(91, line), 138);
    }
    EXPECT_EQ(Row(16, 31, 90), Repeat('\x8C', 60));
    EXPECT_EQ(Char(30, 16), ' ');
    EXPECT_EQ(Char(91, 16), ' ');
    // Inside: an inverse block of five with the mark in normal video, then the lines.
    EXPECT_EQ(Row(13, 31, 57), "      Text nicht gefunden. ");
    EXPECT_EQ(Row(14, 31, 47), "  !   Zeile zwei ");
    EXPECT_EQ(Color(31, 14), 0x0C);
    EXPECT_EQ(Color(33, 14), 0xC0);
    EXPECT_EQ(Color(34, 14), 0x0C);
    EXPECT_EQ(Color(36, 14), 0xC0);
    EXPECT_EQ(Row(15, 37, 66), "Bitte irgendeine Taste dr\xFC" "cken");
    EXPECT_EQ(Win().TextHpos, 33);
    EXPECT_EQ(Win().TextVpos, 14);
    EXPECT_EQ(Win().TextFirstColumn, 1);
    EXPECT_EQ(Win().TextLastLine, 50);
}

TEST_F(DialogTest, LongTitlesAndLinesAreCut) {
    t_Dialog(0, std::string(80, 'T'), 10, 5, 30, 9);
    // Width 19: the title keeps 15 characters, the edge stays 19 wide.
    EXPECT_EQ(Char(10, 5), 139);
    EXPECT_EQ(Char(30, 5), 138);
    EXPECT_EQ(Row(5, 11, 29), std::string("\x12 ") + Repeat('T', 15) + " \x13");
    EXPECT_EQ(Win().TextFirstColumn, 11);
    EXPECT_EQ(Win().TextLastLine, 8);
    EXPECT_EQ(Win().TextHpos, 11);
    EXPECT_EQ(Win().TextVpos, 6);
    t_FullArea(0);  // the message box centres itself in the current area's width
    t_MessageBox(0, "", std::string(70, 'x'), "", "", "!?*");
    EXPECT_EQ(Row(13, 37, 90), Repeat('x', 52) + "  ");
    EXPECT_EQ(Row(14, 31, 36), "  !?  ");
}

TEST_F(DialogTest, AskYesNoAnswersAndClearsItsBox) {
    struct Case {
        std::vector<Int> keys;
        Int answer;
    };
    const Case cases[] = {
        {{'j'}, 1}, {{'J'}, 1}, {{13}, 1}, {{' '}, 1}, {{'n'}, 2},
        {{'a'}, 0}, {{27}, 0},  {{'1', 'x', 'N'}, 2},
    };
    for (const Case& c : cases) {
        t_Print(0, String("Hintergrund"));
        for (Int k : c.keys) {
            t_Event e;
            e.Kind = 1;
            e.Value = k;
            AppendKeyEvent(e);
        }
        EXPECT_EQ(t_AskYesNo(0, "Sichern", "Die Calculation wurde", "geändert."), c.answer);
        EXPECT_EQ(KeyQueueLength(), 0u);
        for (Int line = 12; line <= 16; ++line) EXPECT_EQ(Row(line, 18, 103), Repeat(' ', 86)) << line;
    }
}

TEST_F(DialogTest, TitleScreenFrameOfStars) {
    ProgramBanner() = {"Tabrona", 144, "Calculation", "Info"};
    t_ProgramBanner(0);
    EXPECT_EQ(Row(1), Repeat('*', 121));
    for (Int line = 2; line <= 6; ++line) {
        EXPECT_EQ(Row(line, 1, 10), Repeat('*', 10)) << line;
        EXPECT_EQ(Row(line, 112, 121), Repeat('*', 10)) << line;
        EXPECT_EQ(Char(11, line), ' ');
    }
    EXPECT_EQ(Row(7), Repeat('*', 121));
    const std::string first = "T a b r o n a   1.44";
    EXPECT_EQ(Row(3, 60 - 10, 60 - 10 + 19), first);
    EXPECT_EQ(Row(5, 60 - 8, 60 - 8 + 15), "Calculation Info");
    EXPECT_EQ(Win().TextVpos, 8);
    EXPECT_EQ(Win().TextHpos, 1);
}

TEST_F(DialogTest, QuitProgramEndsOnlyTheCallingThread) {
    LogCapture log;
    std::atomic<bool> after{false};
    ASSERT_TRUE(CurrentPlatform().StartThread(1 << 20, [&after] {
        t_QuitProgram(0);
        after = true;  // never reached
    }));
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!log.Contains("t_QuitProgram: Quitting current thread with message in window #0") &&
           std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(log.Contains("t_QuitProgram: Quitting current thread with message in window #0"));
    EXPECT_FALSE(after);
    EXPECT_EQ(Row(50, 1, 16), "(Programm Ende) ");
    EXPECT_EQ(Color(1, 50) >> 4, 1);
    EXPECT_EQ(host->Window(0).displayNowCount, 1);
}

}  // namespace
