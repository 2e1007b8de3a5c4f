// Printing the print range: as text, as a miniature page preview in
// graphic window 1, or onto the virtual printer with margins, wrapping and
// page-break marks.
#pragma once

#include <functional>

#include "runtime/text.h"

// The print range, row by row: each cell as the grid draws it (exactly its
// column's width), each row ended by 13.
Text BuildPrintText();

// Splits the print text into the printer's pages: the top margin, each line
// after the left margin and wrapped at the sheet width, codes below 32
// other than 13 left out. Each page goes to `page` when it is finished;
// `broken` says that the page-break mark ends it and another page follows.
void PrinterPages(const Text& printText, const std::function<void(const String& page, bool broken)>& page);

// Draws the pages into graphic window 1, a key between pages.
void PrintPreview();
// Appends the pages to the virtual printer's text; with single sheets, asks
// for a new sheet after each full page.
void PrintToPrinter();
