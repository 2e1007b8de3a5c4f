#include "terminal/terminal_view.h"

#include <algorithm>

#include "runtime/charset.h"
#include "runtime/text.h"

namespace {

constexpr TerminalCell Outside{U' ', 15, 0};
constexpr std::uint8_t MessageInk = 0, MessagePaper = 10;

void PutText(TerminalFrame& frame, int row, const std::string& text) {
    const std::u32string characters = Scalars(text);
    for (int column = 0; column < frame.Columns; ++column) {
        const char32_t c = column < static_cast<int>(characters.size()) ? characters[static_cast<std::size_t>(column)] : U' ';
        frame.Cells[static_cast<std::size_t>(row * frame.Columns + column)] = {c, MessageInk, MessagePaper};
    }
}

// The first of `shown` places starting at `first` that keeps `target` in
// view, moving as little as it can, within 1 .. size - shown + 1.
int Scrolled(int first, int target, int shown, int lowest, int size) {
    if (target >= lowest) {
        if (target < first) first = target;
        if (target >= first + shown) first = target - shown + 1;
    }
    return std::clamp(first, lowest, std::max(lowest, size - shown + 1));
}

}  // namespace

ScreenPlace PlaceOf(Int packed) {
    if (packed == 0) return {};
    const int column = static_cast<int>(packed & 0xFFFF);
    const int last = static_cast<int>(packed >> 32 & 0xFFFF);
    return {column, static_cast<int>(packed >> 16 & 0xFFFF), std::max(column, last)};
}

TerminalView::TerminalView() {
    for (int code = 0; code < 256; ++code) shown_[static_cast<std::size_t>(code)] = ShownCharacter(static_cast<UInt8>(code));
}

void TerminalView::Follow(ScreenPlace cursor, ScreenPlace focus, int rows, int columns, const TextCells& cells) {
    // The text cursor when the program shows one below the status line;
    // else the sheet's cursor cell. The status line keeps its own cursor in
    // view: typing into a cell goes on there.
    const ScreenPlace target = cursor.Line > 1 ? cursor : focus;
    const int width = static_cast<int>(cells.Width);
    // Below the status line, rows - 2 lines: the last row is the message's.
    top_ = Scrolled(top_, target.Line, rows - 2, 2, static_cast<int>(cells.Height));
    // All of the focus's columns when they fit, its first one in any case.
    left_ = Scrolled(left_, std::max(target.Column, target.LastColumn), columns, 1, width);
    left_ = Scrolled(left_, target.Column, columns, 1, width);
    statusLeft_ = cursor.Line == 1 ? Scrolled(statusLeft_, cursor.Column, columns, 1, width) : 1;
}

TerminalFrame TerminalView::Compose(const TextCells& cells, ScreenPlace cursor, ScreenPlace focus, int rows,
                                    int columns, const std::string& message) {
    TerminalFrame frame{rows, columns, std::vector<TerminalCell>(static_cast<std::size_t>(rows * columns), Outside)};
    rows_ = rows, columns_ = columns;
    width_ = static_cast<int>(cells.Width), height_ = static_cast<int>(cells.Height);
    if (rows <= 0 || columns <= 0 || width_ == 0) return frame;
    whole_ = rows >= height_ && columns >= width_;
    if (!whole_) Follow(cursor, focus, rows, columns, cells);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const ScreenPlace place = CellAt(row, column);
            if (place.Column == 0) continue;
            const auto at = static_cast<std::size_t>((place.Line - 1) * width_ + place.Column - 1);
            const UInt8 colour = cells.Colours[at];
            frame.Cells[static_cast<std::size_t>(row * columns + column)] = {shown_[cells.Codes[at]],
                                                                              static_cast<std::uint8_t>(colour >> 4),
                                                                              static_cast<std::uint8_t>(colour & 15)};
        }
    }
    std::string last = message;
    if (last.empty() && !whole_)
        last = "Das Terminal ist zu klein (" + std::to_string(columns) + " x " + std::to_string(rows) +
               "): Tabrona braucht " + std::to_string(width_) + " x " + std::to_string(height_) + " Zeichen.";
    if (!last.empty()) PutText(frame, rows > height_ ? height_ : rows - 1, last);
    // The terminal's cursor where the program shows its text cursor, when
    // that is in view and the message leaves it.
    const int cursorRow = whole_ ? cursor.Line - 1 : cursor.Line == 1 ? 0 : cursor.Line - top_ + 1;
    const int cursorColumn = whole_ ? cursor.Column - 1 : cursor.Column - (cursor.Line == 1 ? statusLeft_ : left_);
    const ScreenPlace there = CellAt(cursorRow, cursorColumn);
    if (cursor.Line > 0 && there.Line == cursor.Line && there.Column == cursor.Column &&
        !(cursorRow == (rows > height_ ? height_ : rows - 1) && !last.empty())) {
        frame.CursorRow = cursorRow;
        frame.CursorColumn = cursorColumn;
    }
    return frame;
}

ScreenPlace TerminalView::CellAt(int row, int column) const {
    if (row < 0 || column < 0) return {};
    if (whole_) {
        if (row < height_ && column < width_) return {column + 1, row + 1};
        return {};
    }
    const int left = row == 0 ? statusLeft_ : left_;
    if (row >= rows_ - 1 || left + column > width_) return {};
    const int line = row == 0 ? 1 : top_ + row - 1;
    if (line > height_) return {};
    return {left + column, line};
}
