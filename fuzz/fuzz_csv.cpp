// Hostile CSV: any bytes give a table of cells inside the sheet (or the
// reason why not) without a crash, leak or hang, and the table enters the
// Calculation, which then saves and reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formula/function_table.h"
#include "platform/log.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "workbook/csv_file.h"

namespace {

bool Setup() {
    SetLogToStdout(false);
    initoxtools();
    parser_InitFunctions();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = Setup();
    (void)ready;
    SheetTable table;
    std::string error;
    if (!CsvToTable(std::string(reinterpret_cast<const char*>(data), size), table, error)) return 0;
    for (const TableCell& cell : table.Cells)
        if (cell.Row < 1 || cell.Row > SheetRowCount || cell.Column < 1 || cell.Column > SheetColumnCount ||
            cell.Shown.Empty())
            std::abort();
    ClearCalculation();
    PutTable(table);
    // Written out again, the cells' values read back as the same values.
    const std::string csv = CsvFromTable(TableFromCalculation());
    SheetTable again;
    if (!CsvToTable(csv, again, error) || again.Cells.size() != table.Cells.size()) std::abort();
    return 0;
}
