// Opening a file as the Calculation, from the file menu, the program start
// and the host's file-open requests: a Calculation file is read, another
// spreadsheet's file imported (workbook_exchange.h).
#pragma once

#include "runtime/text.h"

// Asks to save a modified Calculation first (Ja, Nein, Abbrechen), then
// loads the file at path, recomputes it and shows it. An empty path only
// asks. When the save that Ja asked for fails, or the file cannot be read or
// is no Calculation (which the user is told), nothing changes.
void OpenCalculation(const String& path);
// Asks, lets the user pick a Calculation file, or a file of another
// spreadsheet (.xlsx, .ods, .csv) to import, and opens it.
void OpenCalculationDialog();
