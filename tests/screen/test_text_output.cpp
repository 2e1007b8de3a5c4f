#include "screen/text_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>

#include "input/events.h"
#include "runtime/event_wait.h"
#include "screen/graphics.h"
#include "screen/screen_fixture.h"

namespace {

class TextOutputTest : public ScreenTest {};

TEST_F(TextOutputTest, PrintingWrapsAndScrollsAtTheLastCellOfTheArea) {
    t_Area(0, 11, 5, 20, 8);
    t_Print(0, String("top"));
    At(20, 8);
    t_Print(0, String("AB"));
    // "A" took the last cell, then the area scrolled and "B" starts its last line.
    EXPECT_EQ(Row(7, 11, 20), "         A");
    EXPECT_EQ(Row(8, 11, 20), "B         ");
    EXPECT_EQ(Row(4, 11, 20), "          ");  // above the area nothing moved
    EXPECT_EQ(Row(5, 11, 13), "   ");          // "top" scrolled out of the area
    EXPECT_EQ(Win().TextHpos * 100 + Win().TextVpos, 1208);

    Win().ScrollLock = true;
    At(20, 8);
    t_Print(0, String("CD"));
    EXPECT_EQ(Row(8, 11, 20), "D        C");
    EXPECT_EQ(Row(7, 11, 20), "         A");
}

TEST_F(TextOutputTest, TabsAreAbsoluteForLinesAndRelativeToTheAreaForColumns) {
    t_Area(0, 5, 10, 50, 20);
    t_Htab(0, 1);
    t_Vtab(0, 1);
    EXPECT_EQ(Win().TextHpos * 100 + Win().TextVpos, 501);
    t_Vtab(0, 0);   // outside the window: ignored
    t_Vtab(0, 51);
    t_Htab(0, 117);  // 117 + 4 = 121, the last column
    t_Htab(0, 118);  // past it: ignored
    EXPECT_EQ(Win().TextHpos * 100 + Win().TextVpos, 12101);
    EXPECT_EQ(t_Hpos(0), 117);
}

TEST_F(TextOutputTest, EscapeSequencesChangeColoursAndCursor) {
    t_Color(0, ColorByte{0xC0});
    At(1, 1);
    t_Print(0, Text{27, 'A', 'x'});
    EXPECT_EQ(Win().TextColor, 0x10);
    EXPECT_EQ(Char(1, 1) * 256 + Color(1, 1), 'x' * 256 + 0x10);
    EXPECT_EQ(Win().RGBColor, PaletteColor(12));  // escapes leave the drawing colour
    t_Print(0, Text{27, 'Q', 'y'});
    EXPECT_EQ(Color(2, 1), 0x11);
    // "g" is no escape: it is drawn and the next character is read as one again.
    t_Print(0, Text{27, 'g', 'O', 'z'});
    EXPECT_EQ(Row(1, 1, 4), "xygz");
    EXPECT_EQ(Win().TextColor, 0xF1);
    EXPECT_EQ(Win().TextDisplayMode, 0);
    // "e" goes to the end of the area, "f" to the last column; "i" tabs to the next tens.
    t_Print(0, Text{27, 'e'});
    EXPECT_EQ(Win().TextHpos * 100 + Win().TextVpos, 12150);
    At(3, 2);
    t_Print(0, Text{27, 'f'});
    EXPECT_EQ(Win().TextHpos, 121);
    At(3, 2);
    t_Print(0, Text{'.', 27, 'i', '|'});
    EXPECT_EQ(Char(11, 2), '|');
    At(3, 3);
    t_Print(0, Text{27, 'k', '|'});
    EXPECT_EQ(Char(41, 3), '|');
    // A tab past the last column clears the rest of the line and goes on below.
    At(115, 4);
    t_Print(0, Text{27, 'i', '#'});  // the stop 121 is still on the line
    EXPECT_EQ(Char(121, 4), '#');
    At(121, 5);
    t_Print(0, Text{27, 'i', '#'});
    EXPECT_EQ(Char(1, 6), '#');
    // 110 + n sets the border colour.
    t_Print(0, Text{27, 110 + 14});
    EXPECT_EQ(Win().RGBColorBorder, PaletteColor(14));
}

TEST_F(TextOutputTest, DisplayModesTranslateCodes) {
    At(1, 1);
    t_DisplayMode(0, 1);
    t_Print(0, String("A"));
    t_DisplayMode(0, 2);
    t_Print(0, String("Aa"));
    EXPECT_EQ(Char(1, 1), 193);
    EXPECT_EQ(Char(2, 1), 1);
    EXPECT_EQ(Char(3, 1), 129);
    // Control codes are glyphs from mode 3 on: an inverse letter, then a red one.
    t_Color(0, ColorByte{0xC0});
    t_DisplayMode(0, 3);
    t_Print(0, Text{1, 'b'});
    EXPECT_EQ(Char(4, 1) * 256 + Color(4, 1), 'A' * 256 + 0x0C);
    EXPECT_EQ(Color(5, 1), 0xC0);
    EXPECT_FALSE(Win().TextInverse);
    t_DisplayMode(0, 4);
    t_Print(0, Text{2, 'c'});
    EXPECT_EQ(Char(6, 1) * 256 + Color(6, 1), 'B' * 256 + 0x10);
    EXPECT_EQ(Color(7, 1), 0xC0);
    // A character outside the font's range shows "?", in mode 4 in red.
    t_Print(0, String("€"));
    EXPECT_EQ(Char(8, 1) * 256 + Color(8, 1), '?' * 256 + 0x10);
    EXPECT_EQ(Win().TextColor, 0xC0);
    t_DisplayMode(0, 0);
    t_Print(0, String("€é"));
    EXPECT_EQ(Char(9, 1), '?');
    EXPECT_EQ(Char(10, 1), 0xE9);
    EXPECT_EQ(Color(9, 1), 0xC0);
}

TEST_F(TextOutputTest, ControlCodes) {
    t_Print(0, String("first line\rsecond"));
    EXPECT_EQ(Row(1, 1, 10), "first line");
    EXPECT_EQ(Row(2, 1, 6), "second");
    t_Print(0, Text{9, 'x'});  // tab does nothing
    EXPECT_EQ(Row(2, 1, 7), "secondx");
    t_Print(0, Text{8, 8, 'Y'});  // back twice, then overwrite
    EXPECT_EQ(Row(2, 1, 7), "seconYx");
    t_Print(0, Text{15, 'i', 14, 'n'});
    EXPECT_EQ(Color(7, 2), 0x0C);
    EXPECT_EQ(Color(8, 2), 0xC0);
    t_Print(0, Text{26, 'z'});  // clears the line from the area's first column
    EXPECT_EQ(Row(2, 1, 8), "z       ");
    t_Print(0, Text{20, 'A', 19, 'A', 31, 'A', 19});
    EXPECT_EQ(Row(2, 2, 4), std::string("\xC1" "A" "\x01"));
    t_Print(0, Text{7});
    EXPECT_EQ(host->BellCount(), 1);
    t_Area(0, 10, 10, 30, 20);
    t_Print(0, String("inside"));
    t_Print(0, Text{12});  // clears only the area and homes the cursor
    EXPECT_EQ(Row(10, 10, 15), "      ");
    EXPECT_EQ(Row(1, 1, 5), "first");
    EXPECT_EQ(Win().TextHpos * 100 + Win().TextVpos, 1010);
    t_Print(0, Text{27});
    EXPECT_EQ(Win().TextDisplayMode, 99);
}

TEST_F(TextOutputTest, NarrowAndFullWidthScrollingAgree) {
    t_InitWindow(1, 24, 121, 50, 8, DefaultFontName);
    for (UInt8 w : {UInt8{0}, UInt8{1}}) {
        for (Int line = 1; line <= 50; ++line)
            for (Int column = 1; column <= 121; ++column)
                t_PrintSymbol(w, static_cast<UInt8>(32 + (line * 7 + column) % 200),
                              static_cast<UInt8>((line + column) % 256), column, line);
        t_Color(w, ColorByte{0x3A});
    }
    // Window 0 scrolls its whole width, window 1 an area one column narrower
    // on each side; columns 2 to 120 must come out the same.
    t_Area(1, 2, 5, 120, 40);
    t_Area(0, 1, 5, 121, 40);
    for (int i = 0; i < 3; ++i) {
        t_ScrollUp(0);
        t_ScrollUp(1);
    }
    t_ScrollDown(0);
    t_ScrollDown(1);
    const Int rowBytes = 968 * 3;
    const UInt8* p0 = Screen().VideoMemory.data() + Win(0).MemoryStart;
    const UInt8* p1 = Screen().VideoMemory.data() + Win(1).MemoryStart;
    for (Int line = 1; line <= 50; ++line) {
        for (Int column = 2; column <= 120; ++column) {
            ASSERT_EQ(Char(column, line, 0), Char(column, line, 1)) << column << "," << line;
            ASSERT_EQ(Color(column, line, 0), Color(column, line, 1)) << column << "," << line;
        }
        for (Int y = (line - 1) * 16; y < line * 16; ++y)
            ASSERT_EQ(std::memcmp(p0 + y * rowBytes + 8 * 3, p1 + y * rowBytes + 8 * 3, 119 * 8 * 3), 0) << y;
    }
    EXPECT_EQ(Color(60, 5), 0x3A);  // the line scrolled in at the top is blank
    EXPECT_EQ(Char(60, 5), ' ');
    EXPECT_EQ(Color(60, 40), 0x3A);
    EXPECT_EQ(Char(1, 5, 1), 32 + (5 * 7 + 1) % 200);  // outside window 1's area nothing moved
}

TEST_F(TextOutputTest, ClearingOperations) {
    t_Print(0, String("0123456789\r0123456789\r0123456789"));
    At(4, 1);
    t_ClearEndOfLine(0);
    EXPECT_EQ(Row(1, 1, 10), "012       ");
    EXPECT_EQ(Win().TextHpos, 4);
    At(6, 2);
    t_ClearEndOfWindow(0);
    EXPECT_EQ(Row(2, 1, 10), "01234     ");
    EXPECT_EQ(Row(3, 1, 10), "          ");
    EXPECT_EQ(Win().TextHpos * 100 + Win().TextVpos, 602);
    t_Print(0, String("abc"));
    t_ClearRect(0, 2, 2, 3, 2);
    EXPECT_EQ(Row(2, 1, 8), "0  34abc");
    t_ClearRect(0, 3, 2, 2, 2);  // left > right: ignored
    t_ClearRect(0, 0, 2, 2, 2);
    t_ClearRect(0, 1, 50, 1, 51);
    EXPECT_EQ(Row(2, 1, 8), "0  34abc");
}

TEST_F(TextOutputTest, InvertingAndTheNestedCursor) {
    t_Color(0, ColorByte{0xC2});
    t_Print(0, String("ab"));
    t_InvertRect(0, 1, 1, 2, 1);
    EXPECT_EQ(Color(1, 1), 0x2C);
    t_InvertRect(0, 1, 1, 2, 1);
    EXPECT_EQ(Color(1, 1), 0xC2);
    At(1, 1);
    t_CursorOn(0);
    EXPECT_EQ(Color(1, 1), 0x2C);
    t_CursorOn(0);
    t_CursorOff(0);
    EXPECT_EQ(Color(1, 1), 0x2C);  // still shown
    t_CursorOff(0);
    EXPECT_EQ(Color(1, 1), 0xC2);
    EXPECT_EQ(Win().TextCursorLevel, 0);
    t_CursorOff(0);  // below zero: nothing is drawn
    EXPECT_EQ(Color(1, 1), 0xC2);
    t_CursorOn(0);
    EXPECT_EQ(Color(1, 1), 0xC2);
}

TEST_F(TextOutputTest, OtherWindowsAreRefused) {
    t_InitWindow(2, 24, false, 64, 64, 0, 0, EmptyFont(), true);
    LogCapture log;
    t_Print(2, String("x"));
    t_Inverse(2);  // needs no text block
    t_Print(8, String("x"));
    t_Vtab(3, 1);
    EXPECT_TRUE(Win(2).TextInverse);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"t_Print: Window #2 not initialized.",
                                                     "t_Print: Window is not a graphic window.",
                                                     "t_Vtab: Window #3 not initialized."}));
}

TEST_F(TextOutputTest, RedirectionSendsTheWholeStreamToStandardOutput) {
    LogCapture log;
    t_RedirectOutput(0, 2);
    t_Print(0, String("ab\rc"));
    EXPECT_EQ(log.Text(), "ab\rc");
    EXPECT_EQ(Row(1, 1, 3), "   ");
    t_RedirectOutput(0, 0);
    t_Print(0, String("lost"));
    EXPECT_EQ(log.Text(), "ab\rc");
    EXPECT_EQ(Row(1, 1, 4), "    ");
}

// Ctrl-S as the newest key stops the next print until another key arrives;
// that key is consumed. A menu event resumes too and stays queued.
TEST_F(TextOutputTest, OutputPauseWaitsForAKeyOrAMenuEvent) {
    const auto key = [](char value) { t_TypeString(std::string(1, value)); };
    key('q');
    key(19);
    std::thread typist([&] {
        // Once the print waits in the pause.
        EXPECT_TRUE(WaitUntilProgramIdle([] { return false; }, std::chrono::seconds(10)));
        key('r');
    });
    t_Print(0, String("one"));
    typist.join();
    EXPECT_EQ(Row(1, 1, 3), "one");
    EXPECT_EQ(KeyQueueLength(), 0u);

    key(19);
    std::thread menu([&] {
        EXPECT_TRUE(WaitUntilProgramIdle([] { return false; }, std::chrono::seconds(10)));
        HostMenuItem item;
        item.MenuTitle = "Ablage";
        item.ItemTitle = "Sichern";
        t_MenuEventHandler(item);
    });
    const std::size_t menusBefore = MenuQueueLength();
    t_Print(0, String("two"));
    menu.join();
    EXPECT_EQ(MenuQueueLength(), menusBefore + 1);
    EXPECT_EQ(t_CheckPause(19, true).Paused, false);  // nothing pending any more
}

// Redraws skip cells that already show the same code and colour. Window 1
// forgets what it shows before every step and so draws everything; after the
// same random mix of printing, scrolling, clearing, inverting, the cursor and
// pixel graphics both windows must hold the same pixels.
TEST_F(TextOutputTest, SkippingUnchangedCellsLeavesThePixelsAsAFullRedrawWould) {
    t_InitWindow(1, 24, 121, 50, 8, DefaultFontName);
    std::mt19937 random(7);
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int step = 0; step < 3000; ++step) {
        const int action = pick(0, 11);
        const Int column = pick(1, 121), line = pick(1, 50), colour = pick(0, 255);
        const UInt8 code = static_cast<UInt8>(pick(0, 3) == 0 ? ' ' : pick(0, 255));
        const Int left = pick(1, 121), top = pick(1, 50);
        for (UInt8 w : {UInt8{0}, UInt8{1}}) {
            if (w == 1) ForgetDrawnCells(Win(1));
            switch (action) {
                case 0: t_PrintSymbol(w, code, static_cast<UInt8>(colour), column, line); break;
                case 1: t_PrintSymbol(w, ' ', static_cast<UInt8>(colour & 0x0F), column, line); break;
                case 2: t_Area(w, 1, top, 121, std::max(top, line)); break;
                case 3: t_Area(w, std::min(left, column), top, std::max(left, column), std::max(top, line)); break;
                case 4: t_ScrollUp(w); break;
                case 5: t_ScrollDown(w); break;
                case 6: t_ClearRect(w, std::min(left, column), top, std::max(left, column), line); break;
                case 7: t_InvertRect(w, std::min(left, column), std::min(top, line), std::max(left, column), line); break;
                case 8: colour % 2 ? t_CursorOn(w) : t_CursorOff(w); break;
                case 9: colour % 3 ? t_Inverse(w) : t_Normal(w); break;
                case 10: g_Plot(w, column * 8, line * 16); break;
                default: t_FullArea(w); break;
            }
        }
    }
    const std::size_t bytes = 968 * 800 * 3;
    ASSERT_EQ(std::memcmp(Screen().VideoMemory.data() + Win(0).MemoryStart,
                          Screen().VideoMemory.data() + Win(1).MemoryStart, bytes),
              0);
}

}  // namespace
