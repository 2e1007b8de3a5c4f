#include "input/input_line.h"

#include <gtest/gtest.h>

#include "input/events.h"
#include "screen/screen_fixture.h"

namespace {

class InputTest : public ScreenTest {
protected:
    // Types the text, then the given final key, into a fresh form.
    static String Form(const String& typed, Int mode, Int max = 40, const String& initial = "", Int last = 13) {
        t_TypeString(typed);
        Keys({last});
        At(1, 3);
        return t_InputForm(0, "Eingabe: ", initial, false, mode, max);
    }
};

TEST_F(InputTest, ModesAcceptTheirCharactersOnly) {
    struct Case {
        Int mode;
        String typed, expected;
    };
    const Case cases[] = {
        {InputDecimal, "1.5e-3", "1,5e-3"},
        {InputDecimal, "1.5.2,7", "1,527"},
        {InputDecimal, "1-2", "12"},
        {InputDecimal, "-2E5e", "-2e5"},
        {InputInteger, "-12", "-12"},
        {InputInteger, "1-2x", "12"},
        {InputRange, "1-12", "1-12"},
        {InputRange, "-1", "1"},
        {InputRange, "1-2-3", "1-23"},
        {InputAny, "a b-€", "a b-\x1B" "20AC\x1D"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Form(c.typed, c.mode), c.expected) << c.typed << " in mode " << c.mode;
        EXPECT_TRUE(Win().InputFinished);
        EXPECT_EQ(KeyQueueLength(), 0u);
    }
}

TEST_F(InputTest, FieldStopsAtItsMaximumAndBeforeTheLastColumn) {
    EXPECT_EQ(Form("abcdef", InputAny, 5), "abcde");
    t_TypeString("abcdefghij");
    Keys({13});
    At(115, 4);
    // The field starts at column 115 and may not reach column 121.
    EXPECT_EQ(t_InputForm(0, "", "", false, InputAny, 50), "abcdef");
    EXPECT_EQ(Row(4, 115, 121), "abcdef ");
    // An initial text longer than the maximum is cut; a maximum below 1 empties it.
    EXPECT_EQ(Form("", InputAny, 3, "Anfang"), "Anf");
    EXPECT_EQ(Form("", InputAny, 0, "Anfang"), "");
}

TEST_F(InputTest, EscapeEmptiesAndReturnKeepsTheInitialText) {
    EXPECT_EQ(Form("", InputAny, 40, "Z1S1", 27), "");
    EXPECT_FALSE(Win().InputFinished);
    EXPECT_EQ(Row(3, 10, 13), "    ");  // the old text is overwritten
    EXPECT_EQ(Form("", InputAny, 40, "Z1S1"), "Z1S1");
    EXPECT_EQ(Row(3, 1, 13), "Eingabe: Z1S1");
    EXPECT_EQ(Win().TextVpos, 4);  // Return ends with a new line
}

TEST_F(InputTest, CodeEntryReadsUpToThreeDigits) {
    // 30 "6" "5" Return: "A" is inserted and the Return is consumed.
    Keys({30, '6', '5', 13, 'b', 13});
    At(1, 1);
    EXPECT_EQ(t_InputForm(0, "", "", false, InputAny, 40), "Ab");
    Keys({30, '1', '2', '3', '4', 13});
    At(1, 1);
    EXPECT_EQ(t_InputForm(0, "", "", false, InputAny, 40), "{4");
    // Code 7 is below 32: only mode 1 inserts it, shown as a red "G".
    Keys({30, '7', 13, 13});
    At(1, 1);
    EXPECT_EQ(t_InputForm(0, "", "", false, InputAny, 40), "");
    Keys({30, '7', 13, 13});
    At(1, 1);
    EXPECT_EQ(t_InputForm(0, "", "", false, InputAnyWithControls, 40), "\x07");
    EXPECT_EQ(Char(1, 1), 'G');
    EXPECT_EQ(Color(1, 1) >> 4, 1);
    // A first key that is no digit ends the entry and is consumed.
    Keys({30, 'x', 'y', 13});
    At(1, 1);
    EXPECT_EQ(t_InputForm(0, "", "", false, InputAny, 40), "y");
}

TEST_F(InputTest, EditingKeys) {
    // Each form ends with the Return that Form adds after these keys.
    Keys({2, 7, 5, 127});  // Home, Forward Delete, End, Delete
    EXPECT_EQ(Form("", InputAny, 40, "wxyz"), "xy");
    Keys({2, 127, 5, 7});  // Delete at 0 and Forward Delete at the end change nothing
    EXPECT_EQ(Form("", InputAny, 40, "wxyz"), "wxyz");
    Keys({19, 19, 24});  // two words left, then remove what lies before
    EXPECT_EQ(Form("", InputAny, 40, "eins zwei drei"), " zwei drei");
    EXPECT_EQ(Row(3, 10, 24), " zwei drei     ");
    Keys({1, 4, 'X'});  // word right stops on the blank
    EXPECT_EQ(Form("", InputAny, 40, "ab cd"), "abX cd");
    Keys({8, 8, 21, 'Y', 26, 'q'});
    EXPECT_EQ(Form("", InputAny, 40, "abc"), "q");
}

TEST_F(InputTest, PasteTypesTheFirstLineAndCopyRestoresWideCharacters) {
    At(1, 3);
    t_InputForm(0, "Eingabe: ", "", true, InputAny, 40);
    host->SetClipboardString("erste Zeile\nzweite Zeile");
    t_InputEdit(0, 22);  // the paste arrives as typed keys
    EXPECT_EQ(KeyQueueLength(), 11u);
    EXPECT_EQ(Form("", InputAny), "erste Zeile");

    host->SetClipboardString("π≈3");
    t_InputEdit(0, 22);
    Keys({12});  // copy the field back out
    EXPECT_EQ(Form("", InputAny), "\x1B" "03C0\x1D\x1B" "2248\x1D" "3");
    EXPECT_EQ(host->ClipboardString(), "π≈3");
    // On screen the sequences show as visible letters in red.
    EXPECT_EQ(Row(3, 10, 15), "[03C0]");
    EXPECT_EQ(Color(10, 3) >> 4, 1);
    EXPECT_EQ(Color(11, 3) >> 4, 12);
    // A field for numbers drops a pasted wide character whole.
    host->SetClipboardString("1€2");
    t_InputEdit(0, 22);
    EXPECT_EQ(Form("", InputInteger), "12");
    EXPECT_EQ(UnescapeWideCharacters("\x1B" "20ac\x1D!\x1B" "20\x1D\x1B" "03C0\x1D"), "€!\x1B" "20\x1Dπ");
}

TEST_F(InputTest, SettingTheStringRedrawsNothingAndOtherWindowsAreRefused) {
    At(1, 1);
    t_InputForm(0, "", "abc", true, InputAny, 7);
    t_InputSetString(0, "neu");
    EXPECT_EQ(t_InputGetString(0), "neu");
    EXPECT_EQ(Row(1, 1, 3), "abc");
    LogCapture log;
    EXPECT_EQ(t_InputGetString(9), "");
    EXPECT_EQ(t_InputGetMaxCharacters(4), 0);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_InputGetString: Window is not a graphic window.",
                                                     "t_InputGetMaxCharacters: Window #4 not initialized."}));
}

}  // namespace
