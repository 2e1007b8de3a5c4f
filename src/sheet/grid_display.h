// What the spreadsheet shows in window 0: help lines, the status line, the
// column header line and the grid of cells with their row numbers.
#pragma once

#include "runtime/text.h"
#include "runtime/types.h"

// The window the sheet is drawn in.
inline constexpr UInt8 SheetWindow = 0;

// Help values (help mode 9 only), status line and header line; not the grid.
void RedrawScreen();
// Every grid line, then BottomRow.
void RedrawGrid();
void DrawGridLine(Int screenLine);
// The cells of one row on the current screen line.
void DrawRowCells(Int row);
void DrawStatusLine();
// A message the status line shows in place of the cursor cell's content
// (UTF-8, cut to the line); empty: the content again.
void SetStatusNote(String note);
// Help text of menu 0-5 on lines 2-8.
void ShowMenuHelp(Int menu);
void PrintHelpLine(const String& text);
void ShowFunctionOverview();

// The piece of cell (row, column) as drawn: exactly the column's width,
// with the display format and text overflow applied.
Text CellPiece(Int row, Int column);
// The 16-character position field of the status line.
String StatusPositionField(Int row, Int column, Int width);

// Status colours (colour 5 when ColorMode, inverse) and normal drawing.
void StatusColors();
void NormalColors();

// Makes RedrawWholeScreenHook() run RedrawScreen and then RedrawGrid, so that
// the sheet model (EnsureColumnVisible) can redraw everything without
// depending on the display. Called once at program start.
void InstallGridDisplay();
