// The history of changes to the Calculation, for undo and redo. A step is
// everything one command changed: the cells it touched (text, formula and
// attribute word) and the column widths, each as it was before. Undoing a
// step puts those back and keeps what it replaced, which redo puts back in
// turn. Computed values are no change: the caller recalculates.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "runtime/types.h"
#include "sheet/cell_array.h"

// The main program keeps a history; batch runs and the other modules' tests
// do not pay for one.
void EnableHistory(bool on);

// A command begins and ends; its changes are one step, named for it. Changes
// made outside a command form a step of their own.
void BeginStep(std::string name);
void EndStep();

// A new or opened Calculation: no step before it, and the one under way is
// dropped. When the Calculation is not Modified, this is its saved state.
void StartHistory();
// The Calculation was saved: undoing back to here clears Modified again.
void NoteSaved();

// Before a column's width changes.
void NoteWidthChanging(Int column);
// Before a cell (or, with AllCells, every cell) changes.
void HistoryCellChanging(CellField field, std::size_t index);

// What an undo or redo changed back, for the message that says so.
struct StepSummary {
    std::string Name;
    Int FirstRow = 0, FirstColumn = 0, LastRow = 0, LastColumn = 0;  // 0: no cell
    Int FirstWidth = 0, LastWidth = 0;                                // columns whose width changed
    bool WholeSheet = false;
};

// Undo or redo the newest step; nothing when there is none. Sets Modified:
// cleared when the Calculation is back where it was saved.
std::optional<StepSummary> UndoStep();
std::optional<StepSummary> RedoStep();

struct HistoryFigures {
    std::size_t UndoSteps = 0;
    std::size_t RedoSteps = 0;
    std::size_t Bytes = 0;  // what the steps hold
};
HistoryFigures CurrentHistory();

// The most the steps may hold; the oldest go first beyond it. The newest
// step is kept whatever its size.
inline constexpr std::size_t DefaultHistoryBudget = std::size_t{64} << 20;
inline constexpr std::size_t MaxHistorySteps = 1000;
void SetHistoryBudget(std::size_t bytes);
