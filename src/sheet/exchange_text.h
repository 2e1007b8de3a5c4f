// The text in which cells leave and enter the program: the pasteboard, the
// whole-sheet copy and text files. Cells of a row are separated by tabs and
// rows end in a carriage return; a cell is its entry (the formula when
// FormulasInsteadOfContents is on and there is one, else its text), with
// byte 3 and its attribute word in 16 hexadecimal digits after it when
// CopyFormats is on. Only cells whose attribute word is not the default are
// written, and separators only in front of a written cell. An entry that
// starts with a quote or holds a tab or a line end is put in quotes, its
// own quotes doubled.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "runtime/text.h"
#include "runtime/types.h"

// The cells of the rectangle, the selection, or the whole sheet, as UTF-8
// (codes as a Calculation file writes them).
String CellsAsText(Int firstRow, Int firstColumn, Int lastRow, Int lastColumn);
// The same text handed to `take` in parts of whole rows, each of about
// `partSize` bytes or more (the last may be less); `take` gives false to stop.
void CellsAsTextInParts(Int firstRow, Int firstColumn, Int lastRow, Int lastColumn, std::size_t partSize,
                        const std::function<bool(std::string_view)>& take);
String SelectionAsText();  // empty when the selection is not valid
String SheetAsText();

// What a paste left out: the lines that would have gone below the last row.
struct PasteOutcome {
    Int LinesCut = 0;
};

// Enters the text (UTF-8) at the cursor, cell for cell: a tab moves one
// column on (past the last column, to the next row at the starting column),
// a carriage return, a line feed or both together to the next row. A cell
// in double quotes, as spreadsheets write one holding tabs, line ends or
// quotes, is taken without them. Characters above 255 are kept as the file
// reader keeps them (escape sequences; 127 past U+FFFF). Each
// non-empty entry is entered and computed as typed in would be; then the
// grid is redrawn.
PasteOutcome PasteText(const String& text);
// The same without the redraw, for work without a screen.
PasteOutcome PasteCells(const String& text);
