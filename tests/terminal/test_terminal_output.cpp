// What the terminal is sent: only the cells that changed, in the colours the
// terminal takes; and which part of the screen a small terminal shows.
#include "terminal/terminal_output.h"

#include <gtest/gtest.h>

#include <string>

#include "terminal/terminal_view.h"

namespace {

TerminalPalette Palette() {
    TerminalPalette palette{};
    for (int i = 0; i < 16; ++i) palette[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i * 17), 0, 0};
    return palette;
}

TerminalFrame Blank(int rows, int columns) {
    return {rows, columns, std::vector<TerminalCell>(static_cast<std::size_t>(rows * columns))};
}

TEST(TerminalOutputTest, OnlyChangedCellsAreWrittenInTheTerminalsColours) {
    TerminalCaps caps;
    ASSERT_TRUE(ReadTerminalCaps("xterm-256color", false, caps));
    EXPECT_EQ(caps.Depth, ColourDepth::Palette256);
    TerminalPainter painter(caps, Palette());
    TerminalFrame frame = Blank(3, 10);
    const std::string first = painter.Paint(frame);
    EXPECT_NE(first.find(caps.ClearScreen), std::string::npos);
    EXPECT_GE(first.size(), 30u);
    EXPECT_EQ(painter.Paint(frame), "");  // nothing changed: nothing sent
    frame.Cells[13] = {U'ä', 15, 0};      // row 1, column 3
    const std::string change = painter.Paint(frame);
    EXPECT_NE(change.find("\x1b[2;4H"), std::string::npos) << change;
    EXPECT_NE(change.find("ä"), std::string::npos);
    EXPECT_LT(change.size(), 40u);
    frame.CursorRow = 2, frame.CursorColumn = 0;
    EXPECT_EQ(painter.Paint(frame), "\x1b[3;1H" + caps.ShowCursor);
    painter.Forget();
    EXPECT_GE(painter.Paint(frame).size(), first.size());

    TerminalCaps trueColour = caps;
    trueColour.Depth = ColourDepth::TrueColour;
    TerminalPainter exact(trueColour, Palette());
    frame.Cells[0] = {U'x', 3, 1};
    const std::string painted = exact.Paint(frame);
    EXPECT_NE(painted.find("\x1b[38;2;51;0;0m"), std::string::npos);
    EXPECT_NE(painted.find("\x1b[48;2;17;0;0m"), std::string::npos);

    EXPECT_EQ(NearestTerminalColour({255, 0, 0}, ColourDepth::Palette256), 9);
    EXPECT_EQ(NearestTerminalColour({0, 0, 128}, ColourDepth::Palette256), 18);
    EXPECT_EQ(NearestTerminalColour({0, 128, 255}, ColourDepth::Palette8), 6);
    EXPECT_EQ(NearestTerminalColour({168, 168, 168}, ColourDepth::Palette256), 248);
}

TextCells Screen(int width, int height) {
    TextCells cells{width, height, {}, {}};
    for (int line = 1; line <= height; ++line)
        for (int column = 1; column <= width; ++column) {
            cells.Codes.push_back(static_cast<UInt8>('a' + (line + column) % 26));
            cells.Colours.push_back(0xF0);
        }
    return cells;
}

// A terminal at least as large shows all; a smaller one the status line,
// the lines and columns around the focus (or the text cursor below the
// status line), and the size it needs.
TEST(TerminalViewTest, ASmallTerminalFollowsTheFocusAndKeepsTheStatusLine) {
    const TextCells cells = Screen(121, 50);
    TerminalView view;
    const TerminalFrame whole = view.Compose(cells, {5, 1}, {}, 52, 130, "");
    EXPECT_EQ(whole.Cells[0].Character, U'c');
    EXPECT_EQ(whole.Cells[130].Character, U'd');  // line 2, column 1
    EXPECT_EQ(std::make_pair(whole.CursorRow, whole.CursorColumn), std::make_pair(0, 4));
    EXPECT_EQ(view.CellAt(49, 120).Line, 50);
    EXPECT_EQ(view.CellAt(50, 0).Column, 0);

    const TerminalFrame small = view.Compose(cells, {18, 1}, {100, 40, 108}, 24, 80, "");
    const auto place = [&](int row, int column) {
        const ScreenPlace p = view.CellAt(row, column);
        return std::make_pair(p.Column, p.Line);
    };
    EXPECT_EQ(place(0, 0), std::make_pair(1, 1));  // the status line from its start
    EXPECT_EQ(place(22, 79), std::make_pair(108, 40));  // the focus's last column and line in view
    EXPECT_EQ(place(1, 0), std::make_pair(29, 19));
    EXPECT_EQ(place(23, 0).first, 0);
    std::u32string last;
    for (int column = 0; column < 80; ++column) last += small.Cells[static_cast<std::size_t>(23 * 80 + column)].Character;
    EXPECT_NE(last.find(U"121 x 50"), std::u32string::npos);
    EXPECT_EQ(std::make_pair(small.CursorRow, small.CursorColumn), std::make_pair(0, 17));
    // Moving within what is shown moves nothing; a text cursor below the
    // status line (a dialog) is followed instead; a message takes the last line.
    view.Compose(cells, {18, 1}, {95, 30, 103}, 24, 80, "");
    EXPECT_EQ(place(1, 0), std::make_pair(29, 19));
    const TerminalFrame dialog = view.Compose(cells, {3, 5}, {100, 40, 108}, 24, 80, "Hallo");
    EXPECT_EQ(place(1, 0), std::make_pair(3, 5));
    EXPECT_EQ(std::make_pair(dialog.CursorRow, dialog.CursorColumn), std::make_pair(1, 0));
    EXPECT_EQ(dialog.Cells[static_cast<std::size_t>(23 * 80)].Character, U'H');
}

}  // namespace
