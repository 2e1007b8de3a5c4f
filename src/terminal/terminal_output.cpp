#include "terminal/terminal_output.h"

#include <curses.h>
#include <term.h>
#include <unistd.h>

#include <utility>

#include "runtime/text.h"

namespace {

// terminfo keeps its strings as char*; a missing one is null or -1.
std::string Cap(const char* name) {
    const char* value = tigetstr(name);
    if (value == nullptr || value == reinterpret_cast<const char*>(-1)) return {};
    return value;
}

// The colours of xterm's 256-colour table: 16 system colours, a 6 x 6 x 6
// cube and 24 greys.
std::array<std::uint8_t, 3> XtermColour(int index) {
    static constexpr std::uint8_t System[16][3] = {
        {0, 0, 0},     {205, 0, 0},   {0, 205, 0},   {205, 205, 0},   {0, 0, 238},   {205, 0, 205},
        {0, 205, 205}, {229, 229, 229}, {127, 127, 127}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
        {92, 92, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
    };
    if (index < 16) return {System[index][0], System[index][1], System[index][2]};
    if (index < 232) {
        const int cube = index - 16;
        const auto level = [](int step) { return static_cast<std::uint8_t>(step == 0 ? 0 : 55 + 40 * step); };
        return {level(cube / 36), level(cube / 6 % 6), level(cube % 6)};
    }
    const auto grey = static_cast<std::uint8_t>(8 + 10 * (index - 232));
    return {grey, grey, grey};
}

int Distance(const std::array<std::uint8_t, 3>& a, const std::array<std::uint8_t, 3>& b) {
    int sum = 0;
    for (int i = 0; i < 3; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum;
}

}  // namespace

bool ReadTerminalCaps(const std::string& term, bool truecolour, TerminalCaps& caps) {
    int error = 0;
    if (setupterm(term.c_str(), STDOUT_FILENO, &error) != OK) return false;
    caps.CursorAddress = Cap("cup");
    if (caps.CursorAddress.empty()) return false;
    caps.ForegroundColour = Cap("setaf");
    caps.BackgroundColour = Cap("setab");
    caps.Reset = Cap("sgr0");
    caps.HideCursor = Cap("civis");
    caps.ShowCursor = Cap("cnorm");
    caps.EnterScreen = Cap("smcup");
    caps.LeaveScreen = Cap("rmcup");
    caps.ClearScreen = Cap("clear");
    const int colours = tigetnum("colors");
    caps.Depth = truecolour         ? ColourDepth::TrueColour
                 : colours >= 256   ? ColourDepth::Palette256
                 : colours >= 16    ? ColourDepth::Palette16
                                    : ColourDepth::Palette8;
    return true;
}

int NearestTerminalColour(const std::array<std::uint8_t, 3>& rgb, ColourDepth depth) {
    const int count = depth == ColourDepth::Palette8 ? 8 : depth == ColourDepth::Palette16 ? 16 : 256;
    int best = 0;
    for (int i = 1; i < count; ++i)
        if (Distance(rgb, XtermColour(i)) < Distance(rgb, XtermColour(best))) best = i;
    return best;
}

TerminalPainter::TerminalPainter(TerminalCaps caps, const TerminalPalette& palette)
    : caps_(std::move(caps)), palette_(palette) {}

void TerminalPainter::Forget() {
    known_ = false;
    row_ = column_ = ink_ = paper_ = -1;
}

void TerminalPainter::MoveTo(std::string& out, int row, int column) {
    if (row == row_ && column == column_) return;
    out += tiparm(caps_.CursorAddress.c_str(), row, column);
    row_ = row;
    column_ = column;
}

std::string TerminalPainter::Colour(bool foreground, std::uint8_t index) const {
    const std::array<std::uint8_t, 3>& rgb = palette_[index & 15];
    if (caps_.Depth == ColourDepth::TrueColour)
        return std::string("\x1b[") + (foreground ? "38" : "48") + ";2;" + std::to_string(rgb[0]) + ";" +
               std::to_string(rgb[1]) + ";" + std::to_string(rgb[2]) + "m";
    const std::string& set = foreground ? caps_.ForegroundColour : caps_.BackgroundColour;
    if (set.empty()) return {};
    return tiparm(set.c_str(), NearestTerminalColour(rgb, caps_.Depth));
}

void TerminalPainter::SetColours(std::string& out, std::uint8_t ink, std::uint8_t paper) {
    if (ink != ink_) out += Colour(true, ink);
    if (paper != paper_) out += Colour(false, paper);
    ink_ = ink;
    paper_ = paper;
}

std::string TerminalPainter::Paint(const TerminalFrame& frame) {
    std::string out;
    const std::size_t count = frame.Cells.size();
    if (!known_ || shown_.Rows != frame.Rows || shown_.Columns != frame.Columns) {
        out += caps_.Reset + caps_.ClearScreen;
        row_ = column_ = ink_ = paper_ = -1;
        shown_ = TerminalFrame{frame.Rows, frame.Columns, std::vector<TerminalCell>(count, TerminalCell{0, 0, 0})};
        // The cursor's state is not known either: hidden until placed.
        shown_.CursorRow = -2;
        known_ = true;
    }
    for (int row = 0; row < frame.Rows; ++row) {
        for (int column = 0; column < frame.Columns; ++column) {
            const auto at = static_cast<std::size_t>(row * frame.Columns + column);
            const TerminalCell& cell = frame.Cells[at];
            if (cell == shown_.Cells[at]) continue;
            MoveTo(out, row, column);
            SetColours(out, cell.Ink, cell.Paper);
            out += Utf8(cell.Character);
            shown_.Cells[at] = cell;
            // Past the last column a terminal may or may not have wrapped.
            column_ = column + 1 < frame.Columns ? column + 1 : -1;
        }
    }
    const bool visible = frame.CursorRow >= 0;
    if (visible) MoveTo(out, frame.CursorRow, frame.CursorColumn);
    if (visible != (shown_.CursorRow >= 0) || shown_.CursorRow == -2)
        out += visible ? caps_.ShowCursor : caps_.HideCursor;
    shown_.CursorRow = frame.CursorRow;
    shown_.CursorColumn = frame.CursorColumn;
    return out;
}
