// Searching the shown texts of the cells for the search menu's text,
// replacing what was found, and jumping to a print page.
#pragma once

#include "runtime/types.h"

// Looks in the cells right of the cursor in its row, then in every row below
// it from its first column (no wrapping round), for a text that equals the search
// text, or holds it when PartialMatch is on; letter case counts only when
// IgnoreCase is off. Formulas are not searched, only what cells show. On a
// match the cursor goes there, and the match is remembered for replacing.
bool FindNext();
// Replaces in the cursor cell's text when it holds the last match: the
// whole text, or the first occurrence with PartialMatch. Only the text
// changes, and the Calculation is modified when it did; a plain cell whose
// text then starts with "=" takes it as its formula (as a saved file would
// give it back). Line ends become blanks. Each match is replaced once.
bool ReplaceAtCursor();
// Cursor to the first row of print page `page` (PrintLinesPerSheet rows a
// page), column 1, and the view along; other page numbers do nothing.
void GoToPage(Int page);
