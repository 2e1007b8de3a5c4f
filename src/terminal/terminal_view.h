// Which part of the program's screen a terminal shows: all of it when the
// terminal is large enough; otherwise the status line and the lines and
// columns around where the program's attention is, with a last line that
// says how large the terminal should be.
#pragma once

#include <array>
#include <string>

#include "screen/text_output.h"
#include "terminal/terminal_output.h"

struct ScreenPlace {
    int Column = 0;  // 1-based; 0: none
    int Line = 0;
    int LastColumn = 0;  // of a focus that spans columns
};

// Unpacks a window's CursorShownAt or FocusAt.
ScreenPlace PlaceOf(Int packed);

class TerminalView {
public:
    TerminalView();

    // The frame for a terminal of rows x columns showing cells; cursor is
    // the text cursor while shown, focus the sheet's cursor cell; message,
    // when not empty, takes the last line.
    TerminalFrame Compose(const TextCells& cells, ScreenPlace cursor, ScreenPlace focus, int rows, int columns,
                          const std::string& message);
    // The screen cell under terminal cell (row, column), 0-based; Column 0
    // when it shows none.
    ScreenPlace CellAt(int row, int column) const;

private:
    void Follow(ScreenPlace cursor, ScreenPlace focus, int rows, int columns, const TextCells& cells);

    std::array<char32_t, 256> shown_;
    // The part shown of a screen larger than the terminal: its first line
    // below the status line, its first column (1-based), the status line's
    // own first column, and the sizes.
    int top_ = 2, left_ = 1, statusLeft_ = 1;
    int rows_ = 0, columns_ = 0, width_ = 0, height_ = 0;
    bool whole_ = true;
};
