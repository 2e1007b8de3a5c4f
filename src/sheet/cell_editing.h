// Changing cell contents: entering a cell (typed or passed in whole),
// computing formulas, recalculating the sheet, clearing cells, shifting the
// cursor's row or column, and the demonstration data.
#pragma once

#include "runtime/text.h"
#include "runtime/types.h"
#include "sheet/recalculation.h"

// The kind an entry typed into an empty cell gets: 1 formula ("=" first),
// 3 number (a digit first, or one of "," "-" "." not doubled), 2 text.
// The entry must not be empty.
Int EntryKind(const Text& entry);

// The entry with each line end (CR LF, CR or LF) made one blank: a cell's
// entry is one line of the Calculation file, whatever brought it in.
Text WithoutLineEnds(const Text& entry);

// What the input line gave, as codes: characters above 255 become 127.
Text EditorResultToText(const String& result);

// Enters cell (row, column). Interactive: edits on the status line, starting
// with entry or, when it is empty, with the cell's formula or text; Escape
// leaves the cell unchanged. Otherwise entry is stored as it is. The cell's
// formula is computed (interactive with AutoRecalculate, the cell and every
// formula that depends on it, and the grid redrawn).
void EditCell(Int row, Int column, const Text& entry, bool interactive);

// Stores the entry as typed into cell (row, column) would be, without
// computing anything; an empty entry or a cell outside the sheet changes
// nothing. The caller recalculates (a paste, once it is all in).
void EnterCell(Int row, Int column, const Text& entry);

// Every formula computed (RecalculateCells), then RedrawGrid.
void RecalculateAll();

// Empties the cursor cell, keeping its colours and display format.
void ClearCell();
// Empties the cursor cell and gives it DefaultCellAttributes.
void ResetCell();

// Shift the cursor's row (InCellRow) or column (InCellColumn) away from the
// cursor cell, which is then reset, or towards it over the cursor cell.
void InsertCellInRow();
void DeleteCellInRow();
void InsertCellInColumn();
void DeleteCellInColumn();

// Every cell becomes a text cell holding its own address, "Z<row>S<column>".
void InsertDemoData();
