#include "sheet/cell_editing.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "formula/parser_state.h"
#include "input/input_line.h"
#include "numbers/number_format.h"
#include "platform/log.h"
#include "screen/text_output.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"

namespace {

constexpr Int StatusLine = 1;
constexpr Int EditColumn = 20;  // where the status line shows cell contents
// Status line columns in front of the contents; also what the entry length
// leaves free of the screen width.
constexpr Int EntryMargin = 20;
constexpr UInt8 FormulaMark = '=';
// Stands for a typed character the 8-bit cell texts cannot hold.
constexpr UInt8 UnrepresentableCode = 127;

CalculationState& C() { return Calculation(); }

std::size_t At(Int index) { return static_cast<std::size_t>(index); }

Int MaxEntryLength() { return std::max<Int>(C().ScreenColumns - EntryMargin, 0); }

Text CutEntry(const Text& entry) {
    const auto limit = static_cast<std::size_t>(MaxEntryLength());
    if (entry.Size() <= limit) return entry;
    return Text(CodeBuffer(entry.Elements.begin(), entry.Elements.begin() + static_cast<long>(limit)));
}

bool IsNumberStart(UInt8 code) { return code == ',' || code == '-' || code == '.'; }

// The text the editor starts with when Return opened it: the formula of a
// formula cell, the text of any other.
Text StoredEntry(Int index) {
    const CalculationState& c = C();
    return CutEntry(c.CellFormula.Empty(At(index)) ? c.CellText[At(index)] : c.CellFormula.Get(At(index)));
}

// Lets the user edit on the status line, after the position and indicator
// fields; returns the edited text, empty after Escape.
Text EditOnStatusLine(const Text& initial) {
    StatusColors();
    t_Vtab(SheetWindow, StatusLine);
    t_Htab(SheetWindow, static_cast<Int>(initial.Size()) + EditColumn);
    t_ClearEndOfLine(SheetWindow);
    t_Htab(SheetWindow, EditColumn);
    const String result = t_InputForm(SheetWindow, String(), TextToString(initial), false, InputAny, MaxEntryLength());
    NormalColors();
    return EditorResultToText(result);
}

// A formula cell takes any entry as its formula. One without its "=" gets
// it: only a formula with "=" can be saved as one, and the evaluation
// leaves out the first character, which must not be part of the entry.
void StoreFormula(Int index, const Text& entry) {
    C().CellText.Edit(At(index)).Elements.clear();
    if (entry[0] == FormulaMark) {
        C().CellFormula.Set(At(index), CutEntry(entry));
        return;
    }
    Text marked;
    marked += FormulaMark;
    marked += entry;
    C().CellFormula.Set(At(index), CutEntry(marked));
}

// Only a formula that is there is taken away: the order in which formulas
// are computed stays as it was for a cell that never had one.
void ClearFormula(Int index) {
    if (!C().CellFormula.Empty(At(index))) C().CellFormula.Set(At(index), {});
}

void StoreText(Int index, const Text& entry) {
    C().CellText.Set(At(index), CutEntry(entry));
    ClearFormula(index);
}

// Only the leading number counts, and its characters (blanks, signs, digits,
// comma, point, "e") are ASCII, which UTF-8 and 8-bit codes write alike; so
// reading the bytes directly gives the same value either way.
void StoreNumber(Int index, const Text& entry) {
    C().CellText.Set(At(index), FormulaNumberText(TextToNumber(entry)));
    ClearFormula(index);
}

// Stores the entry by the kind the cell has; a kind none of the known ones
// stores nothing.
void StoreEntry(Int index, const Text& typed) {
    const Text entry = WithoutLineEnds(typed);
    Int kind = CellKind(C().CellAttributes[At(index)]);
    if (kind == CellKindEmpty) {
        kind = EntryKind(entry);
        SetCellKind(C().CellAttributes.Edit(At(index)), kind);
    }
    const bool formula = entry[0] == FormulaMark;
    switch (kind) {
        case CellKindUncomputed: StoreFormula(index, entry); break;
        case CellKindText: formula ? StoreFormula(index, entry) : StoreText(index, entry); break;
        case CellKindNumber: formula ? StoreFormula(index, entry) : StoreNumber(index, entry); break;
        default: break;
    }
}

void CopyCell(Int to, Int from) {
    CalculationState& c = C();
    // The source is always overwritten or reset afterwards, so it may be
    // moved from.
    c.CellText.Set(At(to), std::move(c.CellText.Edit(At(from))));
    c.CellFormula.Set(At(to), c.CellFormula.Get(At(from)));
    c.CellAttributes.Set(At(to), c.CellAttributes[At(from)]);
}

void EmptyCell(Int index) {
    CalculationState& c = C();
    c.CellText.Edit(At(index)).Elements.clear();
    ClearFormula(index);
    c.CellAttributes.Set(At(index), DefaultCellAttributes);
}

// What a shift leaves behind at the far end of the row or column.
void EmptyLastCell(Int index) {
    EmptyCell(index);
    C().Modified = true;
    RedrawGrid();
}

Text AddressText(Int row, Int column) {
    return Text::FromBytes("Z" + std::to_string(row) + "S" + std::to_string(column));
}

}  // namespace

Text WithoutLineEnds(const Text& entry) {
    const auto& codes = entry.Elements;
    if (std::find_if(codes.begin(), codes.end(), [](UInt8 code) { return code == 13 || code == 10; }) == codes.end())
        return entry;
    Text out;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const bool pair = codes[i] == 13 && i + 1 < codes.size() && codes[i + 1] == 10;
        const bool end = codes[i] == 13 || codes[i] == 10;
        out += end ? UInt8{' '} : codes[i];
        if (pair) ++i;
    }
    return out;
}

Text EditorResultToText(const String& result) {
    Text text;
    const std::u32string scalars = Scalars(result);
    text.Elements.reserve(scalars.size());
    for (char32_t scalar : scalars) text += static_cast<UInt8>(scalar <= 255 ? scalar : UnrepresentableCode);
    return text;
}

Int EntryKind(const Text& entry) {
    const UInt8 first = entry[0];
    if (first == FormulaMark) return CellKindUncomputed;
    if (IsDigit(first)) return CellKindNumber;
    if (!IsNumberStart(first)) return CellKindText;
    // A doubled sign or point ("--", "..") starts a text such as a rule.
    if (entry.Size() == 1 || entry[1] != first) return CellKindNumber;
    return CellKindText;
}

void EditCell(Int row, Int column, const Text& entry, bool interactive) {
    CalculationState& c = C();
    if (interactive && c.GridTop == HelpModeGridOnly) return;
    if (row < 1 || row > c.RowCount || column < 1 || column > c.ColumnCount) {
        LogLine("EditCell: Cell Z" + std::to_string(row) + "S" + std::to_string(column) + " is outside the sheet.");
        return;
    }
    const Int index = CellIndex(row, column);
    const Text edited = interactive ? EditOnStatusLine(entry.Empty() ? StoredEntry(index) : CutEntry(entry)) : Text();
    const Text& typed = interactive ? edited : entry;
    // An empty result is Escape; non-interactive callers never pass one.
    if (typed.Empty()) return;
    StoreEntry(index, typed);
    if (interactive && c.AutoRecalculate) {
        // The cell and what depends on it, not the whole sheet.
        RecalculateChanged();
        RedrawGrid();
    } else {
        ComputeCell(index);
    }
    c.Modified = true;
}

void EnterCell(Int row, Int column, const Text& entry) {
    CalculationState& c = C();
    if (entry.Empty() || row < 1 || row > c.RowCount || column < 1 || column > c.ColumnCount) return;
    StoreEntry(CellIndex(row, column), entry);
    c.Modified = true;
}

void RecalculateAll() {
    RecalculateCells();
    RedrawGrid();
}

void ClearCell() {
    CalculationState& c = C();
    const Int index = CellIndex(c.CursorRow, c.CursorColumn);
    c.CellText.Edit(At(index)).Elements.clear();
    ClearFormula(index);
    SetCellKind(c.CellAttributes.Edit(At(index)), CellKindEmpty);
    c.Modified = true;
    RedrawGrid();
}

void ResetCell() {
    CalculationState& c = C();
    EmptyCell(CellIndex(c.CursorRow, c.CursorColumn));
    c.Modified = true;
    RedrawGrid();
}

void InsertCellInRow() {
    const CalculationState& c = C();
    for (Int k = c.ColumnCount; k >= c.CursorColumn + 1; --k)
        CopyCell(CellIndex(c.CursorRow, k), CellIndex(c.CursorRow, k - 1));
    ResetCell();
}

void DeleteCellInRow() {
    const CalculationState& c = C();
    for (Int k = c.CursorColumn; k <= c.ColumnCount - 1; ++k)
        CopyCell(CellIndex(c.CursorRow, k), CellIndex(c.CursorRow, k + 1));
    EmptyLastCell(CellIndex(c.CursorRow, c.ColumnCount));
}

void InsertCellInColumn() {
    const CalculationState& c = C();
    for (Int k = c.RowCount; k >= c.CursorRow + 1; --k)
        CopyCell(CellIndex(k, c.CursorColumn), CellIndex(k - 1, c.CursorColumn));
    ResetCell();
}

void DeleteCellInColumn() {
    const CalculationState& c = C();
    for (Int k = c.CursorRow; k <= c.RowCount - 1; ++k)
        CopyCell(CellIndex(k, c.CursorColumn), CellIndex(k + 1, c.CursorColumn));
    EmptyLastCell(CellIndex(c.RowCount, c.CursorColumn));
}

void InsertDemoData() {
    CalculationState& c = C();
    for (Int column = 1; column <= c.ColumnCount; ++column) {
        for (Int row = 1; row <= c.RowCount; ++row) {
            const Int index = CellIndex(row, column);
            c.CellText.Set(At(index), AddressText(row, column));
            SetCellKind(c.CellAttributes.Edit(At(index)), CellKindText);
            ClearFormula(index);
        }
    }
    RedrawGrid();
    c.Modified = true;
}
