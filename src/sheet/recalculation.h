// Computing the sheet's formulas: each formula is compiled once (formulas of
// one shape share a program) and computed after the formula cells it names.
//
// The order of a pass: formulas come after the formula cells they name, and
// otherwise in cell order, so that a sheet whose formulas name only earlier
// cells is computed in cell order. Cells that name each other in a circle
// are computed once each, in cell order, each reading what the others show
// then. Formulas with IndCell, which may read any cell, come after all
// others (among themselves in the same order); a formula that names an
// IndCell formula's cell reads its value from before the pass.
//
// Besides, the number each cell's text stands for is kept beside it, so that
// a formula reading a cell does not convert its text again; what formulas
// read of the sheet (formula/cell_source.h) is defined here for that reason.
#pragma once

#include <cstddef>

#include "formula/value.h"
#include "runtime/text.h"
#include "runtime/types.h"
#include "sheet/cell_array.h"

// Computes one cell's formula, if it has one, into its text and kind.
// Neither redraws nor sets Modified.
void ComputeCell(Int index);
// Every formula, in the order above.
void RecalculateCells();
// The cells changed since the last pass (and the formulas that depend on
// them, and the formulas that must be computed each time) in that order;
// a sheet with Var or Result, whose values depend on what was computed
// before, is computed whole.
void RecalculateChanged();

// Hands back what passes keep (programs, numbers, the order), which the
// next pass finds anew: for a run that computes the sheet only once.
void ForgetRecalculation();

// Before a cell (or every cell) changes: what is kept of it goes.
void RecalculationCellChanging(CellField field, std::size_t index);

// TextToNumber of the cell's text, kept until the cell changes.
double CellNumber(Int index);

// How the last pass went, for tests and benchmarks.
struct RecalculationReport {
    Int Computed = 0;      // formulas computed
    Int Programs = 0;      // programs the sheet's formulas share
    bool Rebuilt = false;  // the order was found anew
};
RecalculationReport LastRecalculation();

// What one evaluation leaves behind: the value and the evaluator's first
// error code (0 = none) with its position.
struct FormulaOutcome {
    parser_UniversalType Value;
    Int ErrorCode = 0;
    Int ErrorPosition = 0;
};

// Writes the text a computed cell shows into cellText and returns the kind
// it takes (3 number, 2 text). An error shows as "(ERR#" code "@" position
// ")" and keeps previousKind; a real becomes its FormulaNumberText with kind
// 3, a text itself with kind 2, and no value "(NAN)" with kind 2.
Int OutcomeToCellText(const FormulaOutcome& outcome, Int previousKind, Text& cellText);
