// Excel and OpenDocument files need libzip, expat and libxlsxwriter, whose
// loading (libcrypto with them) cost every start of the program some 2 ms,
// a tenth of a whole batch export. So those two formats are built as a
// module of their own (tabrona-workbook.so), loaded at the first file of
// either; CSV and tab text stay in the program. Tests and benchmarks link
// the formats in directly, and then the module is not looked for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "workbook/sheet_table.h"

struct WorkbookCodecs {
    std::optional<std::string> (*XlsxFromTable)(const SheetTable&, std::vector<std::pair<Int, Int>>&, std::string&);
    bool (*XlsxToTable)(std::string_view, SheetTable&, std::string&);
    std::optional<std::string> (*OdsFromTable)(const SheetTable&, std::vector<std::pair<Int, Int>>&, std::string&);
    bool (*OdsToTable)(std::string_view, SheetTable&, std::string&);
};

inline constexpr const char* WorkbookModuleFile = "tabrona-workbook.so";
inline constexpr const char* WorkbookCodecsName = "TabronaWorkbookCodecs";

// The formats' entry, named WorkbookCodecsName, in the module or linked in.
using WorkbookCodecsEntry = const WorkbookCodecs* (*)();
