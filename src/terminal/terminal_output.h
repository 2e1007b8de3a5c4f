// Drawing the program's screen in a terminal: what each terminal cell
// should show, and the bytes that bring the terminal there from what it
// shows already, written only for the cells that changed. The terminal's
// own control strings come from its terminfo entry.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One terminal cell: a character in palette colours 0-15.
struct TerminalCell {
    char32_t Character = U' ';
    std::uint8_t Ink = 0;
    std::uint8_t Paper = 15;
    bool operator==(const TerminalCell&) const = default;
};

// What the terminal should show: Rows x Columns cells, row by row, and
// where its cursor goes (-1: hidden).
struct TerminalFrame {
    int Rows = 0;
    int Columns = 0;
    std::vector<TerminalCell> Cells;
    int CursorRow = -1;
    int CursorColumn = -1;
};

// How colours are written.
enum class ColourDepth { TrueColour, Palette256, Palette16, Palette8 };

// The control strings of a terminal, from terminfo.
struct TerminalCaps {
    std::string CursorAddress;  // cup, for tiparm
    std::string ForegroundColour, BackgroundColour;  // setaf, setab
    std::string Reset;  // sgr0
    std::string HideCursor, ShowCursor;  // civis, cnorm
    std::string EnterScreen, LeaveScreen;  // smcup, rmcup
    std::string ClearScreen;  // clear
    ColourDepth Depth = ColourDepth::Palette8;
};

// The terminal's entry (term: its name, as in TERM); with truecolour, the
// palette is written in true colour (as COLORTERM says the terminal takes
// it). False when terminfo has no entry or it cannot address the cursor.
bool ReadTerminalCaps(const std::string& term, bool truecolour, TerminalCaps& caps);

using TerminalPalette = std::array<std::array<std::uint8_t, 3>, 16>;

// The nearest colour of the xterm 256-colour table, or of its first 16 or 8.
int NearestTerminalColour(const std::array<std::uint8_t, 3>& rgb, ColourDepth depth);

class TerminalPainter {
public:
    TerminalPainter(TerminalCaps caps, const TerminalPalette& palette);

    // The bytes that bring the terminal from what it showed to frame. After
    // Forget (a resize, a return from the background) every cell is written.
    std::string Paint(const TerminalFrame& frame);
    void Forget();

private:
    void MoveTo(std::string& out, int row, int column);
    void SetColours(std::string& out, std::uint8_t ink, std::uint8_t paper);
    std::string Colour(bool foreground, std::uint8_t index) const;

    TerminalCaps caps_;
    TerminalPalette palette_;
    TerminalFrame shown_;
    bool known_ = false;
    // Where the terminal's cursor stands and the colours it writes with
    // (-1: not known).
    int row_ = -1, column_ = -1;
    int ink_ = -1, paper_ = -1;
};
