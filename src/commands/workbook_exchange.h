// The files of other spreadsheets in the program: an .xlsx, .ods or .csv
// file opened (from the selector, the command line, a drop or a second
// start) becomes a new Calculation named like it with ".calc", so that a
// save never writes over the original; and the desktop menu's export, which
// writes one beside the Calculation.
#pragma once

#include "runtime/text.h"
#include "workbook/workbook_files.h"

// True for the formats that open as an import: .xlsx, .ods and .csv.
bool OpensAsImport(const String& path);

// Reads the file into a new Calculation (the caller asked about unsaved
// work); a file that cannot be read changes nothing, and the user is told
// why. A large sheet's cut is told too; formulas that went across as values
// are named in the log.
void ImportWorkbookFile(const String& path);

// The Calculation's name for an imported file: "Umsatz.xlsx" gives
// "Umsatz.calc", or "Umsatz 2.calc" and so on when the folder already has
// one of that name.
String ImportedCalculationName(const String& path);

// Writes the Calculation in the format beside its file, asking before an
// existing file is replaced; a Calculation without a name is asked to be
// saved first.
void ExportWorkbookBeside(WorkbookFormat format);
