// Excel workbooks (.xlsx): written with libxlsxwriter, read with libzip and
// expat. Values, translatable formulas (with their value beside them),
// column widths, colours of the palette, alignment and the two decimals of
// "Währung" go across; only the first sheet is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "workbook/sheet_table.h"

// The workbook's bytes; nullopt and why when it could not be made. Cells
// whose formula cannot be said in Excel are written as values and listed
// in `valuesOnly`.
std::optional<std::string> XlsxFromTable(const SheetTable& table, std::vector<std::pair<Int, Int>>& valuesOnly,
                                         std::string& error);

// Reads the first sheet into the table; false and why when the file is no
// workbook, is damaged or breaks a bound.
bool XlsxToTable(std::string_view bytes, SheetTable& table, std::string& error);
