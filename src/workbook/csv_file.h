// Comma-separated values as German spreadsheets write them (";" between
// cells, a decimal comma, UTF-8 with a byte-order mark, CR LF line ends),
// read from whatever others write (";", "," or tab, quotes, a byte-order
// mark, UTF-8 or Windows-1252); and the plain tab-separated text of the batch
// mode. Values only: no formulas, colours or widths.
#pragma once

#include <string>
#include <string_view>

#include "workbook/sheet_table.h"

// The table's values as German CSV, rows up to the last that holds a
// value, each up to its last value.
std::string CsvFromTable(const SheetTable& table);
// The same with tabs between cells and LF line ends, without a byte-order
// mark: what `cat`, `cut` and `wc -l` read.
std::string TabTextFromTable(const SheetTable& table);

// The bytes as UTF-8 without a byte-order mark: UTF-8, UTF-16 with its
// mark, or else Windows-1252; `encoding` names which.
std::string DecodedText(std::string_view bytes, std::string& encoding);

// Reads CSV bytes into the table: the separator is the one of ";", tab and
// "," found most often in the first line outside quotes; cells that are
// numbers (with a decimal comma, or a point when "," separates) become
// numbers. False and why when the bytes are no text.
bool CsvToTable(std::string_view bytes, SheetTable& table, std::string& error);
