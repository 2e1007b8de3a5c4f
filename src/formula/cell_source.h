// What formulas read of the sheet. The formula language knows no sheet: the
// sheet defines these functions (sheet/recalculation.cpp), so that the
// folders stack with the sheet above the formulas.
#pragma once

#include "runtime/text.h"
#include "runtime/types.h"

// A cell as formulas see it.
struct FormulaCell {
    const Text* Contents = nullptr;  // none: no cell that formulas may read
    bool IsText = false;
    double Number = 0;  // of a cell that is no text: TextToNumber of its contents
};

// The cell at the index (from 0, row by row), if formulas may read it.
FormulaCell ReadFormulaCell(Int index);
// The number of a cell that formulas may read and that holds no text: false
// for any other, which ReadFormulaCell then tells about. The quick way for
// formulas that only compute numbers.
bool ReadFormulaNumber(Int index, double& number);
// The index an address such as "Z3S4" names: negative when it names no cell
// of the sheet (-2 no "Z", -3 no "S" after the row, -1 outside the sheet).
Int FormulaCellIndex(TextView address);
// The formula of the cell: valid until the next call or until the cell
// changes.
TextView FormulaTextOf(Int index);
// The cell whose formula is being computed; 0 when none is.
Int FormulaComputingCell();
