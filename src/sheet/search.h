// Searching the shown texts of the cells for the search menu's text,
// replacing what was found, and jumping to a print page.
#pragma once

#include "runtime/types.h"

// Looks in the cells right of the cursor column, in the cursor's row and
// every row below it (no wrapping round), for a text that equals the search
// text, or holds it when PartialMatch is on; letter case counts only when
// IgnoreCase is off. Formulas are not searched, only what cells show. On a
// match the cursor goes there, and the match is remembered for replacing.
bool FindNext();
// Replaces in the cursor cell's text when it holds the last match: the
// whole text, or the first occurrence with PartialMatch. Only the text
// changes; each match is replaced once.
bool ReplaceAtCursor();
// Cursor to the first row of print page `page` (PrintLinesPerSheet rows a
// page), column 1, and the view along; other page numbers do nothing.
void GoToPage(Int page);
