// The neutral table between the Calculation and the files of other
// spreadsheets: the readers fill one, which PutTable then enters into the
// Calculation; the writers write one that TableFromCalculation made.
#pragma once

#include <string>
#include <vector>

#include "runtime/text.h"
#include "runtime/types.h"
#include "workbook/formula_translation.h"

struct TableCell {
    Int Row = 0, Column = 0;  // 1-based
    // CellKindText or CellKindNumber; CellKindEmpty for a cell that has only
    // colours or a format.
    Int Kind = 0;
    Text Shown;           // the text, or the number as the program writes it
    double Number = 0;    // for a number
    Text Formula;         // the program's formula, with "="; empty: none
    std::string Foreign;  // a reader's formula still in the file's language
    Int Shift[2] = {0, 0};  // and how far a shared formula moves (rows, columns)
    Int FontColor = 0;
    Int BackgroundColor = 15;
    Int Format = 0;  // the display format
};

struct SheetTable {
    std::vector<TableCell> Cells;  // row by row, each row by column
    std::vector<Int> Widths;       // ColumnCount + 1 entries, index 0 unused
    // What did not fit into 999 x 100: cells with something in them, and the
    // farthest row and column they reached.
    Int CellsLeftOut = 0, LastRow = 0, LastColumn = 0;
    // Cells whose formula went across as its value.
    std::vector<std::pair<Int, Int>> ValuesOnly;

    SheetTable();
    // Adds a cell, or counts it as left out beyond the sheet's edges.
    void Add(TableCell cell);
};

// The Calculation as a table: every cell with content, colours or a format,
// values as computed, formulas as the program's.
SheetTable TableFromCalculation();

// The kind of every cell of the sheet by CellIndex, as the table has it.
std::vector<Int> TableKinds(const SheetTable& table);

// Turns each cell's Foreign formula into the program's (the kinds of the
// table's cells decide what "+" and "&" mean); those that cannot be said
// here keep their value and are listed in ValuesOnly.
void TranslateForeignFormulas(SheetTable& table, FormulaDialect dialect);

// Enters the table into the Calculation (which should be empty) through the
// cells' setters and the widths, so that the history and the recalculation
// see every change; then recomputes the formulas.
void PutTable(const SheetTable& table);

// A number as the program's text, for a number read from a file.
Text NumberShown(double value);
// True when the cell text is a plain number ("-2,5", "1e+20"), which other
// spreadsheets get as a number rather than a text.
bool IsNumberText(TextView text);

// The palette index of an exact colour, or -1.
Int PaletteIndexOf(UInt8 red, UInt8 green, UInt8 blue);
// "RRGGBB" of a palette index.
std::string PaletteHex(Int index);

// German lines for the user: what was left out of a sheet larger than 999
// x 100 ("6 Zellen weggelassen (bis Zeile 1002)"), and which cells went
// across as values ("Z2S1..Z9S1, Z4S4"); empty when none.
std::string LeftOutText(const SheetTable& table);
std::string ValuesOnlyText(const std::vector<std::pair<Int, Int>>& cells, std::size_t limit = 20);

// The width a column of `characters` has in other spreadsheets' units
// (characters of the standard font's digits plus the cell's padding), and
// back, between 1 and 76.
double ForeignColumnWidth(Int characters);
Int ColumnWidthFromForeign(double width);
