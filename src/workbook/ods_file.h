// OpenDocument spreadsheets (.ods): zip and XML, read with libzip and expat,
// written as XML text into a zip made by libzip. What goes across is what an
// xlsx file carries; only the first table is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "workbook/sheet_table.h"

std::optional<std::string> OdsFromTable(const SheetTable& table, std::vector<std::pair<Int, Int>>& valuesOnly,
                                        std::string& error);
bool OdsToTable(std::string_view bytes, SheetTable& table, std::string& error);
