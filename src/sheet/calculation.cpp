#include "sheet/calculation.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/program_state.h"
#include "runtime/program.h"

namespace {

constexpr int KindShift = 0;
constexpr int FontColorShift = 8;
constexpr int BackgroundColorShift = 12;
constexpr int DisplayFormatShift = 16;
constexpr std::uint64_t KindMask = 0xFF;
constexpr std::uint64_t ColorMask = 0xF;
constexpr std::uint64_t DisplayFormatMask = 0xFF;
constexpr std::uint64_t Bit63 = std::uint64_t{1} << 63;
static_assert(KindShift == 0 && KindMask == 0xFF, "CellKind (calculation.h) reads the lowest byte");

// Bit work on the unsigned pattern, because a word read from a file may be
// negative.
Int GetField(Int word, int shift, std::uint64_t mask) {
    return static_cast<Int>((static_cast<std::uint64_t>(word) >> shift) & mask);
}

void SetField(Int& word, int shift, std::uint64_t mask, Int value) {
    std::uint64_t bits = static_cast<std::uint64_t>(word);
    bits &= ~(mask << shift);
    bits |= (static_cast<std::uint64_t>(value) & mask) << shift;
    bits &= ~Bit63;
    word = static_cast<Int>(bits);
}

// TextToInteger over the codes from `start` on.
Int ReadInteger(TextView text, std::size_t start) {
    const std::size_t size = text.size();
    std::size_t i = start;
    while (i < size && text[i] == ' ') ++i;
    bool negative = false;
    if (i < size && text[i] == '-') {
        negative = true;
        ++i;
        while (i < size && text[i] == ' ') ++i;
    }
    // Negatives accumulate below zero so that the lowest value is reachable;
    // both directions stop at the end of the range instead of overflowing.
    constexpr Int Max = std::numeric_limits<Int>::max();
    constexpr Int Min = std::numeric_limits<Int>::min();
    Int value = 0;
    for (; i < size && IsDigit(text[i]); ++i) {
        const Int digit = text[i] - '0';
        if (negative) {
            value = (value < (Min + digit) / 10) ? Min : value * 10 - digit;
        } else {
            value = (value > (Max - digit) / 10) ? Max : value * 10 + digit;
        }
    }
    return value;
}

// Columns outside the width array take no room.
Int WidthOf(const CalculationState& calc, Int column) {
    if (column < 0 || column >= static_cast<Int>(calc.ColumnWidth.size())) return 0;
    return calc.ColumnWidth[static_cast<std::size_t>(column)];
}

void AppendSpaces(Text& text, Int count) {
    if (count > 0) text.Elements.insert(text.Elements.end(), static_cast<std::size_t>(count), ' ');
}

// The left column that shows `column` at the right edge of the grid, as many
// columns to its left as fit.
Int LeftColumnShowing(const CalculationState& calc, Int column) {
    if (column <= 1) return column;
    Int room = calc.ScreenColumns - calc.RowNumberWidth;
    if (room < 1) return column;
    for (Int k = column; k >= 1; --k) {
        room -= WidthOf(calc, k);
        if (room == 0) return k;
        if (room < 0) return k + 1;
    }
    return 1;
}

}  // namespace

// Reset to the program-start values, then emptied and usable.
ProgramState<CalculationState> calculation_detail::State{[](CalculationState& c) {
    c = CalculationState{};
    ClearCalculation();
}};

namespace {
// Installed once by the grid display; outlives resets.
ProgramState<std::function<void()>> redrawHook{KeptThroughResets};
}  // namespace

std::function<void()>& RedrawWholeScreenHook() { return *redrawHook; }

Int FontColor(Int attributes) { return GetField(attributes, FontColorShift, ColorMask); }
Int BackgroundColor(Int attributes) { return GetField(attributes, BackgroundColorShift, ColorMask); }
Int DisplayFormat(Int attributes) { return GetField(attributes, DisplayFormatShift, DisplayFormatMask); }

void SetCellKind(Int& attributes, Int kind) { SetField(attributes, KindShift, KindMask, kind); }
void SetFontColor(Int& attributes, Int color) { SetField(attributes, FontColorShift, ColorMask, color); }
void SetBackgroundColor(Int& attributes, Int color) {
    SetField(attributes, BackgroundColorShift, ColorMask, color);
}
void SetDisplayFormat(Int& attributes, Int format) {
    SetField(attributes, DisplayFormatShift, DisplayFormatMask, format);
}

void AppendHexWord(Text& out, Int word) {
    const auto bits = static_cast<std::uint64_t>(word);
    const auto& digits = Tools().HexDigitTable;
    for (int shift = 60; shift >= 0; shift -= 4) out += digits[(bits >> shift) & 0xF];
}

Int HexValue(TextView digits) {
    std::uint64_t value = 0;
    const auto& table = Tools().HexValueTable;
    // Sixteen digits, every attribute word the program writes, are read
    // without a test after each one; any other character is seen at the end.
    // A file gives long runs of cells the same word: the one read last is
    // known again by its digits.
    thread_local std::uint64_t lastDigits[2] = {}, lastValue = 0;
    if (digits.size() == 16) {
        std::uint64_t words[2];
        std::memcpy(words, digits.data(), sizeof words);
        if (words[0] == lastDigits[0] && words[1] == lastDigits[1]) return static_cast<Int>(lastValue);
        Int seen = 0;
#pragma GCC unroll 16
        for (std::size_t k = 0; k < 16; ++k) {
            const Int digit = table[digits[k]];
            seen |= digit;
            value = (value << 4) | static_cast<std::uint64_t>(digit & 15);
        }
        if (seen >= 0) {
            if (Tools().ToolsReady) {
                lastDigits[0] = words[0];
                lastDigits[1] = words[1];
                lastValue = value;
            }
            return static_cast<Int>(value);
        }
        value = 0;
    }
    for (const UInt8 code : digits) {
        const Int digit = table[code];
        if (digit < 0) break;
        value = (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return static_cast<Int>(value);
}

Int CellIndex(Int row, Int column) { return (row - 1) * Calculation().ColumnCount + (column - 1); }

namespace {

// Characters of a number written in plain decimal, sign included.
std::size_t DecimalLength(Int value) {
    std::size_t length = value < 0 ? 2 : 1;
    // Counting on the magnitude as unsigned keeps the most negative value safe.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    while (magnitude >= 10) {
        magnitude /= 10;
        ++length;
    }
    return length;
}

// Up to eight digits from `p` on, as a number, and p moved past them; -1
// for none or more. Inline: every address read takes two.
[[gnu::always_inline]] inline Int ShortNumber(const UInt8*& p, const UInt8* end) {
    const UInt8* from = p;
    const UInt8* stop = end - p > 9 ? p + 9 : end;  // a ninth digit is one too many
    Int value = 0;
    for (unsigned digit = 0; p < stop && (digit = static_cast<unsigned>(*p - '0')) < 10; ++p)
        value = value * 10 + digit;
    return p == from || p - from > 8 ? -1 : value;
}

// The usual form of an address, "Z" digits without a leading zero, "S" and
// digits, read in one go (formulas name cells by the hundred thousand);
// false for any other form, which the full reading takes.
bool PlainAddress(TextView address, Int& row, Int& column) {
    if (address.size() < 4 || address[1] == '0') return false;
    const UInt8* p = address.data() + 1;
    const UInt8* end = address.data() + address.size();
    if ((row = ShortNumber(p, end)) < 0) return false;
    if (p == end || (*p != 'S' && *p != 's')) return false;
    ++p;
    column = ShortNumber(p, end);
    return column >= 0;
}

}  // namespace

Int CellIndexFromAddress(TextView address) {
    if (address.empty() || (address[0] != 'Z' && address[0] != 'z')) return -2;
    if (Int row = 0, column = 0; PlainAddress(address, row, column)) {
        const CalculationState& calc = Calculation();
        if (row < 1 || column < 1 || row > calc.RowCount || column > calc.ColumnCount) return -1;
        return CellIndex(row, column);
    }
    const Int row = ReadInteger(address, 1);
    // The S must follow the row as written back in plain decimal, which
    // rejects leading zeros and spaces.
    const std::size_t s = DecimalLength(row) + 1;
    if (s >= address.size() || (address[s] != 'S' && address[s] != 's')) return -3;
    const Int column = ReadInteger(address, s + 1);
    const CalculationState& calc = Calculation();
    if (row < 1 || column < 1 || row > calc.RowCount || column > calc.ColumnCount) return -1;
    return CellIndex(row, column);
}

void ClearCalculation() {
    CalculationState& calc = Calculation();
    calc.TopRow = 1;
    calc.LeftColumn = 1;
    calc.RowNumberWidth = 4;
    calc.ColumnCount = SheetColumnCount;
    calc.RowCount = SheetRowCount;

    // Emptying the texts in place keeps their buffers and the arrays, so a
    // reset allocates nothing after the first one. The widths change after
    // the cells, which tell the history first what the sheet was.
    const std::size_t cells = static_cast<std::size_t>(calc.RowCount * calc.ColumnCount);
    calc.CellText.Reset(cells, Text());
    calc.CellAttributes.Reset(cells, DefaultCellAttributes);
    calc.CellFormula.Reset(cells, static_cast<std::size_t>(calc.ColumnCount));

    calc.ColumnWidth.assign(static_cast<std::size_t>(calc.ColumnCount + 1), DefaultColumnWidth);

    calc.SearchRow = 0;
    calc.SearchColumn = 0;
    calc.PrintStartRow = 1;
    calc.PrintEndRow = calc.RowCount;
    calc.PrintStartColumn = 1;
    calc.PrintEndColumn = calc.ColumnCount;

    calc.CalcFileName.clear();

    BuildHeaderLine();

    calc.SelectionStartRow = 0;
    calc.SelectionStartColumn = 0;
    calc.SelectionEndRow = 0;
    calc.SelectionEndColumn = 0;

    calc.CursorColumn = 1;
    calc.CursorRow = 1;
    calc.Modified = false;
}

Text HeaderPiece(Int column, Int width) {
    const Text number = IntegerToText(column);
    const Int digits = static_cast<Int>(number.Size());
    Text piece;
    if (width <= 1) {
        piece += number[number.Size() - 1];
    } else if (width == 2) {
        piece = number;
        if (digits == 1) piece += RightColumnRule;
    } else if (width == 3) {
        if (digits == 1) piece += LeftColumnRule;
        piece += number;
        piece += RightColumnRule;
    } else {
        const Int padding = width - digits - 2;
        const Int left = padding < 2 ? 0 : padding / 2;
        piece += LeftColumnRule;
        AppendSpaces(piece, left);
        piece += number;
        AppendSpaces(piece, padding - left);
        piece += RightColumnRule;
    }
    return piece;
}

void BuildHeaderLine() {
    CalculationState& calc = Calculation();
    Text& line = calc.HeaderLine;
    line.Elements.clear();
    if (calc.RowNumberWidth > 0) {
        AppendSpaces(line, calc.RowNumberWidth - 1);
        line += RightColumnRule;
    }
    const Int widthCount = static_cast<Int>(calc.ColumnWidth.size());
    for (Int c = calc.LeftColumn; c >= 0 && c < widthCount && c <= calc.ColumnCount; ++c) {
        const Int width = calc.ColumnWidth[static_cast<std::size_t>(c)];
        if (static_cast<Int>(line.Size()) + width > calc.ScreenColumns) break;
        line += HeaderPiece(c, width);
        calc.RightColumn = c;
    }
    line += LeftColumnRule;
    const Int length = calc.ScreenColumns < 0 ? 0 : calc.ScreenColumns;
    line.Elements.resize(static_cast<std::size_t>(length), ' ');
}

void EnsureColumnVisible(Int column) {
    CalculationState& calc = Calculation();
    if (calc.LeftColumn <= column && column <= calc.RightColumn) return;
    calc.LeftColumn = LeftColumnShowing(calc, column);
    BuildHeaderLine();
    if (const auto& redraw = RedrawWholeScreenHook()) redraw();
}

void EnsureCursorRowVisible() {
    CalculationState& calc = Calculation();
    if (calc.CursorRow > calc.RowCount) calc.CursorRow = calc.RowCount;
    if (calc.CursorRow > calc.BottomRow) calc.TopRow = calc.CursorRow;
    const Int maxTop = calc.RowCount - (calc.GridBottom - calc.GridTop) + 1;
    if (calc.TopRow >= maxTop) calc.TopRow = maxTop;
    if (calc.CursorRow < 1) {
        calc.CursorRow = 1;
        calc.TopRow = 1;
    } else if (calc.CursorRow < calc.TopRow) {
        calc.TopRow = calc.CursorRow;
    }
    if (calc.TopRow < 1) calc.TopRow = 1;
}

Text IntegerToText(Int value) {
    // Digits come from the unsigned magnitude so that the lowest value works.
    std::uint64_t magnitude =
        value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    UInt8 digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<UInt8>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    Text text;
    text.Elements.reserve(static_cast<std::size_t>(count + 1));
    if (value < 0) text += '-';
    while (count > 0) text += digits[--count];
    return text;
}

Int TextToInteger(const Text& text) { return ReadInteger(text, 0); }
