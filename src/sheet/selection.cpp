#include "sheet/selection.h"

#include <algorithm>
#include <cstddef>

#include "runtime/charset.h"
#include "sheet/calculation.h"

namespace {

constexpr UInt8 SharpS = 223;

// Runs change(index) for every selected cell and marks the Calculation
// modified; nothing at all when the selection is not valid.
template <typename Change>
void ChangeSelected(Change change) {
    if (!SelectionValid()) return;
    CalculationState& c = Calculation();
    for (Int row = c.SelectionStartRow; row <= c.SelectionEndRow; ++row)
        for (Int column = c.SelectionStartColumn; column <= c.SelectionEndColumn; ++column)
            change(static_cast<std::size_t>(CellIndex(row, column)));
    c.Modified = true;
}

// Sharp s and y with diaeresis have no upper-case partner in the 8-bit
// codes but are letters all the same: "straße" must not become "StraßE".
bool IsLetter(UInt8 code) { return UpperCaseBytes[code] != LowerCaseBytes[code] || code == SharpS || code == 255; }
bool IsLowerLetter(UInt8 code) { return UpperCaseBytes[code] != code; }

Text UpperCase(const Text& text) {
    Text upper;
    upper.Elements.reserve(text.Size());
    for (const UInt8 code : text.Elements) {
        if (code == SharpS) {
            upper += 'S';
            upper += 'S';
        } else {
            upper += UpperCaseBytes[code];
        }
    }
    return upper;
}

void LowerCase(Text& text) {
    for (UInt8& code : text.Elements) code = LowerCaseBytes[code];
}

void Capitalize(Text& text) {
    for (std::size_t i = 0; i < text.Size(); ++i) {
        UInt8& code = text.Elements[i];
        if (IsLowerLetter(code) && (i == 0 || !IsLetter(text.Elements[i - 1]))) code = UpperCaseBytes[code];
    }
}

}  // namespace

bool SelectionValid() {
    const CalculationState& c = Calculation();
    return c.SelectionStartRow > 0 && c.SelectionEndRow > 0 && c.SelectionStartRow <= c.SelectionEndRow &&
           c.SelectionStartColumn <= c.SelectionEndColumn;
}

void SelectAll() {
    CalculationState& c = Calculation();
    Int top = c.RowCount + 1, left = c.ColumnCount + 1, bottom = 0, right = 0;
    for (Int row = 1; row <= c.RowCount; ++row) {
        for (Int column = 1; column <= c.ColumnCount; ++column) {
            if (CellKind(c.CellAttributes[static_cast<std::size_t>(CellIndex(row, column))]) == 0) continue;
            top = std::min(top, row);
            bottom = std::max(bottom, row);
            left = std::min(left, column);
            right = std::max(right, column);
        }
    }
    if (bottom == 0) top = left = 0;
    c.SelectionStartRow = top;
    c.SelectionStartColumn = left;
    c.SelectionEndRow = bottom;
    c.SelectionEndColumn = right;
}

void DeleteSelection() {
    CalculationState& c = Calculation();
    ChangeSelected([&](std::size_t at) {
        c.CellText.Set(at, Text());
        c.CellFormula.Set(at, Text());
        c.CellAttributes.Set(at, DefaultCellAttributes);
    });
}

void SetSelectionFormat(Int format) {
    CalculationState& c = Calculation();
    ChangeSelected([&](std::size_t at) { SetDisplayFormat(c.CellAttributes.Edit(at), format); });
}

void ClearSelectionFormats() {
    CalculationState& c = Calculation();
    ChangeSelected([&](std::size_t at) {
        Int attributes = DefaultCellAttributes;
        SetCellKind(attributes, CellKind(c.CellAttributes[at]));
        c.CellAttributes.Set(at, attributes);
    });
}

void UpperCaseSelection() {
    CalculationState& c = Calculation();
    ChangeSelected([&](std::size_t at) { c.CellText.Set(at, UpperCase(c.CellText[at])); });
}

void LowerCaseSelection() {
    CalculationState& c = Calculation();
    ChangeSelected([&](std::size_t at) { LowerCase(c.CellText.Edit(at)); });
}

void CapitalizeSelection() {
    CalculationState& c = Calculation();
    ChangeSelected([&](std::size_t at) { Capitalize(c.CellText.Edit(at)); });
}
