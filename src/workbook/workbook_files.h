// The formats of other spreadsheets by file extension, for the batch mode
// and the program: which one a path names, its bytes from a table, and a
// table from its bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/sheet_table.h"

enum class WorkbookFormat { None, Xlsx, Ods, Csv, TabText };

// By the extension, in either letter case: .xlsx, .ods, .csv, and .txt or
// .tsv for tab-separated text.
WorkbookFormat FormatOfPath(std::string_view path);
// ".xlsx" and so on.
const char* FormatExtension(WorkbookFormat format);

// Files of these formats above this size are not read.
inline constexpr std::uint64_t MaxWorkbookFileBytes = std::uint64_t{64} << 20;

// The table's bytes in the format; nullopt and why on failure. Cells whose
// formula went across as its value are added to valuesOnly.
std::optional<std::string> WorkbookBytes(WorkbookFormat format, const SheetTable& table,
                                         std::vector<std::pair<Int, Int>>& valuesOnly, std::string& error);

// The bytes read into the table; false and why. Tab text is read as CSV
// with tabs.
bool ReadWorkbookBytes(WorkbookFormat format, std::string_view bytes, SheetTable& table, std::string& error);
