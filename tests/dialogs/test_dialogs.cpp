#include "dialogs/dialogs.h"

#include "test_support.h"
#include "input/events.h"
#include "screen/screen_fixture.h"

namespace {

class DialogTest : public ScreenTest {};

using Point = std::pair<Int, Int>;
std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

TEST_F(DialogTest, MessageBoxIsCentredWithItsTitleInTheTopEdge) {
    t_Color(0, ColorByte{0xC0});
    t_MessageBox(0, "Suchen", "Text nicht gefunden.", "Zeile zwei", "Bitte irgendeine Taste drücken", "!");
    // Frame: columns 30 to 91, lines 12 to 16; the inverse title sits in the middle of the top edge.
    EXPECT_EQ(Row(12, 30, 91), "\x8B" + Repeat('\x9F', 25) + "\x12 Suchen \x13" + Repeat('\x9F', 25) + "\x8A");
    EXPECT_EQ(Color(56, 12) * 256 + Color(57, 12), 0xC00C);
    for (Int line = 13; line <= 15; ++line) EXPECT_EQ(Row(line, 30, 30) + Row(line, 91, 91), "\x8B\x8A") << line;
    EXPECT_EQ(Row(16, 30, 91), " " + Repeat('\x8C', 60) + " ");
    // Inside: an inverse block of five with the mark in normal video, then the lines.
    EXPECT_EQ(Row(13, 31, 57), "      Text nicht gefunden. ");
    EXPECT_EQ(Row(14, 31, 47), "  !   Zeile zwei ");
    EXPECT_EQ(std::string({char(Color(31, 14)), char(Color(33, 14)), char(Color(34, 14)), char(Color(36, 14))}), "\x0C\xC0\x0C\xC0");
    EXPECT_EQ(Row(15, 37, 66), "Bitte irgendeine Taste dr\xFC" "cken");
    EXPECT_EQ(Point(Win().TextHpos, Win().TextVpos), Point(33, 14));
    EXPECT_EQ(Win().TextLastLine, 50);  // the whole window is the area again
    t_MessageBox(0, "", std::string(70, 'x'), "", "", "!?*");  // long lines and marks are cut
    EXPECT_EQ(Row(13, 37, 90), Repeat('x', 52) + "  ");
    EXPECT_EQ(Row(14, 31, 36), "  !?  ");
    t_Dialog(0, std::string(80, 'T'), 10, 5, 30, 9);
    EXPECT_EQ(Row(5, 10, 30), "\x8B\x12 " + Repeat('T', 15) + " \x13\x8A");
    EXPECT_EQ(Point(Win().TextFirstColumn, Win().TextLastLine), Point(11, 8));  // the area is the inside
}

TEST_F(DialogTest, AskYesNoAnswersAndClearsItsBox) {
    const std::pair<std::vector<Int>, Int> rows[] = {{{'j'}, 1}, {{'J'}, 1}, {{13}, 1}, {{' '}, 1}, {{'n'}, 2},
                                                     {{'a'}, 0}, {{27}, 0},  {{'1', 'x', 'N'}, 2}};
    for (const auto& [keys, answer] : rows) {
        t_Print(0, String("Hintergrund"));
        Keys(keys);
        EXPECT_EQ(t_AskYesNo(0, "Sichern", "Die Calculation wurde", "geändert."), answer) << keys.back();
        EXPECT_EQ(KeyQueueLength(), 0u);
        for (Int line = 12; line <= 16; ++line) EXPECT_EQ(Row(line, 18, 103), Repeat(' ', 86)) << line;
    }
}

TEST_F(DialogTest, QuitProgramEndsOnlyTheCallingThread) {
    LogCapture log;
    std::atomic<bool> after{false};
    ASSERT_TRUE(CurrentPlatform().StartThread(1 << 20, [&after] { t_QuitProgram(0); after = true; }));
    ASSERT_TRUE(WaitFor([] { return Runtime().ProgramEnded.Load(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(log.Contains("t_QuitProgram: Quitting current thread with message in window #0"));
    EXPECT_FALSE(after);  // the thread ended inside t_QuitProgram
    EXPECT_EQ(Row(50, 1, 16), "(Programm Ende) ");
    EXPECT_EQ(Color(1, 50) >> 4, 1);
    EXPECT_EQ(host->Window(0).DisplayNowCount, 1);
}

}  // namespace
