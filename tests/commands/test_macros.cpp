// The macro file, read and written, and what playing a macro types.
#include "commands/macros.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "input/events.h"
#include "runtime/program.h"
#include "screen/screen_fixture.h"
#include "test_support.h"

namespace {


class MacrosTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        initoxtools();
    }
};

TEST_F(MacrosTest, TheFileHoldsEveryMacroAndLoadsWhatItCan) {
    Macros().Table[65] = Text::FromBytes("Hallo");
    const std::string file = MacroFileText();
    EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 95);
    EXPECT_NE(file.find("\rMacro 064 = \rMacro 065 = 48616C6C6F\rMacro 066 = \r"), std::string::npos);
    EXPECT_EQ(file.substr(0, 13), "Macro 001 = \r");
    Macros().Table[65] = Text();
    MacrosFromText(file);
    EXPECT_EQ(S(Macros().Table[65]), "Hallo");
    // Only the lines understood change anything: a number outside 1 to 95,
    // odd or broken digits, a foreign line, a character above 255.
    Macros().Table[4] = Macros().Table[5] = Text::FromBytes("alt");
    EXPECT_FALSE(MacrosFromText(
        "Macro 003 = 41420a\rMacro 200 = 41\rMacro 004 = 414\rMacro  -7 = 41\rMakro 001 = 41\r"
        "Macro 005 = 4G\rMacro 006 = \xE2\x82\xAC"
        "41\rMacro 1\rMacro 007 = 7e7F"));
    EXPECT_EQ(S(Macros().Table[3]), "AB\n");
    EXPECT_EQ(S(Macros().Table[4]) + S(Macros().Table[5]) + S(Macros().Table[6]) + S(Macros().Table[1]), "");
    EXPECT_EQ(S(Macros().Table[7]), "~\x7F");
    EXPECT_EQ(S(Macros().Table[65]), "Hallo");
    // Line feeds end lines too, alone or after a carriage return.
    EXPECT_TRUE(MacrosFromText("Macro 008 = 41\nMacro 009 = 42\r\n\nMacro 010 = 43"));
    EXPECT_EQ(S(Macros().Table[8]) + S(Macros().Table[9]) + S(Macros().Table[10]), "ABC");
}

// A macro types its text once, also when it holds its own key: typed keys
// carry no Command, so no macro can play another. A macro that would leave
// too many keys waiting is not played.
TEST_F(MacrosTest, PlayingTypesTheTextOnceAndStopsAtTheQueuesLimit) {
    Macros().Table[66] = Text::FromBytes("Bb");
    EXPECT_TRUE(PlayMacro('b'));
    EXPECT_TRUE(PlayMacro('B'));
    EXPECT_EQ(KeyQueueLength(), 4u);
    Macros().Table[95] = Text::FromBytes("_");
    EXPECT_TRUE(PlayMacro('_'));  // 95 plays its own macro, 96 and up that of 32 less
    EXPECT_EQ(KeyQueueLength(), 5u);
    t_TypeString(std::string(MaxQueuedMacroKeys - 6, 'x'));
    EXPECT_FALSE(PlayMacro('B'));
    EXPECT_EQ(KeyQueueLength(), MaxQueuedMacroKeys - 1);
    t_Event event;
    while (TakeKeyEvent(event)) EXPECT_FALSE(event.CommandPressed);
}

}  // namespace
