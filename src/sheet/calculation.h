// The Calculation: the one sheet in memory (cell texts, formulas and
// attribute words, column widths, cursor, view, selection, flags), cell
// addressing, the reset to an empty sheet, the rules that keep the cursor
// visible, and the column header line. Only the program thread touches it,
// so nothing here is locked.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/program_state.h"
#include "runtime/text.h"
#include "runtime/types.h"
#include "sheet/cell_array.h"
#include "sheet/formula_array.h"

inline constexpr Int SheetRowCount = 999;
inline constexpr Int SheetColumnCount = 100;
inline constexpr Int DefaultColumnWidth = 9;
inline constexpr Int MaxColumnWidth = 76;

// Column rules of the program's font, used in the header line.
inline constexpr UInt8 LeftColumnRule = 138;
inline constexpr UInt8 RightColumnRule = 139;

// Attribute word: bits 0-7 kind, 8-11 font colour, 12-15 background colour,
// 16-23 display format, 24-63 unused (kept as read from a file).
inline constexpr Int DefaultCellAttributes = 0xF000;

inline constexpr Int CellKindEmpty = 0;
inline constexpr Int CellKindUncomputed = 1;  // formula entered, not yet computed
inline constexpr Int CellKindText = 2;
inline constexpr Int CellKindNumber = 3;

inline constexpr Int DisplayFormatStandard = 0;     // "Standard"
inline constexpr Int DisplayFormatLeft = 1;         // "Linksbündig"
inline constexpr Int DisplayFormatCentered = 2;     // "Zentriert"
inline constexpr Int DisplayFormatRight = 3;        // "Rechtsbündig"
inline constexpr Int DisplayFormatCurrency = 4;     // "Währung"

// The menus, as MenuState holds them.
inline constexpr Int MainMenu = 0, FileMenu = 1, SelectionMenu = 2, SearchMenu = 3, PrintMenu = 4, MacroMenu = 5;

// The help modes, as GridTop holds them: the grid's first screen line is the
// one after what the mode shows above it.
inline constexpr Int HelpModeAll = 9;              // status line, help text, header line
inline constexpr Int HelpModeStatusAndHeader = 2;  // status line and header line
inline constexpr Int HelpModeStatusOnly = 1;       // status line only
inline constexpr Int HelpModeGridOnly = 0;         // nothing but the grid

struct CalculationState {
    // Grid size, fixed at reset.
    Int RowCount = SheetRowCount;
    Int ColumnCount = SheetColumnCount;

    // Parallel cell arrays, RowCount x ColumnCount entries, indexed by CellIndex.
    CellArray<Text> CellText{CellField::Text};
    FormulaArray CellFormula;
    CellArray<Int> CellAttributes{CellField::Attributes};

    // Width of column c at index c; entry 0 is unused.
    std::vector<Int> ColumnWidth;

    Int CursorRow = 1;
    Int CursorColumn = 1;
    Int TopRow = 1;
    // Recomputed by the grid display after every redraw; this start value
    // matches the start values of TopRow, GridTop and GridBottom.
    Int BottomRow = 41;
    Int LeftColumn = 1;
    Int RightColumn = 0;
    Int GridTop = 9;
    Int GridBottom = 50;
    Int ScreenColumns = 121;
    Int RowNumberWidth = 4;
    Text HeaderLine;

    // 0 means "not set".
    Int SelectionStartRow = 0;
    Int SelectionStartColumn = 0;
    Int SelectionEndRow = 0;
    Int SelectionEndColumn = 0;

    bool Modified = false;
    String CalcFolder;
    String CalcFileName;
    bool AutoRecalculate = true;
    bool FormulasInsteadOfContents = true;
    bool CopyFormats = true;
    Int MenuState = 0;  // MainMenu to MacroMenu
    bool ColorMode = false;  // the main program turns it on at start
    bool QuitRequested = false;
    // CellIndex of the cell whose formula is being evaluated.
    Int ComputingCell = 0;

    // Owned by search and by printing; here because the reset sets them.
    Int SearchRow = 0;
    Int SearchColumn = 0;
    Int PrintStartRow = 1;
    Int PrintEndRow = SheetRowCount;
    Int PrintStartColumn = 1;
    Int PrintEndColumn = SheetColumnCount;
};

namespace calculation_detail {
extern ProgramState<CalculationState> State;
}  // namespace calculation_detail

// The process-wide Calculation, never destroyed. Inline: formulas reach it
// for every cell they read.
inline CalculationState& Calculation() { return *calculation_detail::State; }

// Redraws the whole screen. The grid display installs it at start; until
// then it is empty and EnsureColumnVisible only rebuilds the header line.
std::function<void()>& RedrawWholeScreenHook();

// Attribute word fields. The setters store the value masked to its field
// and clear bit 63, which a word read from a file may carry. The kind,
// read for every cell a formula names, is the word's lowest byte.
inline Int CellKind(Int attributes) { return static_cast<Int>(static_cast<std::uint64_t>(attributes) & 0xFF); }
Int FontColor(Int attributes);
Int BackgroundColor(Int attributes);
Int DisplayFormat(Int attributes);
void SetCellKind(Int& attributes, Int kind);
void SetFontColor(Int& attributes, Int color);
void SetBackgroundColor(Int& attributes, Int color);
void SetDisplayFormat(Int& attributes, Int format);

// An attribute word as 16 upper-case hexadecimal digits, as files and the
// pasteboard carry it; and back, from digits of either case up to the first
// other character.
void AppendHexWord(Text& out, Int word);
Int HexValue(TextView digits);

// (row - 1) x ColumnCount + (column - 1); rows and columns are 1-based.
Int CellIndex(Int row, Int column);
// "Z<row>S<column>" (either letter case) to a CellIndex; -1 outside the
// sheet, -2 without a leading Z, -3 without an S right after the row digits.
Int CellIndexFromAddress(TextView address);

// Empties the sheet, resets widths, view, cursor, selection, search and print
// ranges and the file name, and rebuilds the header line. Does not redraw.
void ClearCalculation();
// Builds HeaderLine (exactly ScreenColumns characters) and RightColumn from
// LeftColumn onward.
void BuildHeaderLine();
// The header piece of one column at one width; may be longer than the width
// for two- and three-digit columns in narrow columns.
Text HeaderPiece(Int column, Int width);
// Scrolls the view sideways when the column is not shown, then rebuilds the
// header line and redraws the whole screen.
void EnsureColumnVisible(Int column);
// Clamps CursorRow to the sheet and moves TopRow so that it is shown. Does
// not redraw.
void EnsureCursorRowVisible();

// Plain decimal with a leading "-" for negatives.
Text IntegerToText(Int value);
// Leading spaces, one optional "-" with optional spaces after it, then
// decimal digits up to the first non-digit; no digits gives 0. Values beyond
// the 64-bit range saturate at its ends.
Int TextToInteger(const Text& text);
