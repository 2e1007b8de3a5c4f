// The selection of the menu "Auswahl": the rectangle from the start to the
// end cell, and what the menu does to the cells inside it. Every operation
// does nothing while the selection is not valid.
#pragma once

#include "runtime/types.h"

// Both rows set, the start neither below nor right of the end.
bool SelectionValid();
// Rectangle of every cell that is not empty (kind 0); none when all are.
void SelectAll();
// Empties the selected cells and gives them DefaultCellAttributes.
void DeleteSelection();
// Display format 0 to 4 of every selected cell.
void SetSelectionFormat(Int format);
// Colours and display format back to the default; the kind is kept.
void ClearSelectionFormats();
// Case changes of the selected cells' texts (formulas stay as they are):
// every letter upper case (sharp s as "SS"), lower case, or a lower-case
// letter upper case where it starts a word.
void UpperCaseSelection();
void LowerCaseSelection();
void CapitalizeSelection();
