// Hostile workbooks and formulas: any bytes read as an xlsx or ods file, or
// as a formula of either dialect, must give a table or a reason without a
// crash, leak or hang; a table read must fit the sheet and enter it whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "platform/log.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "workbook/formula_translation.h"
#include "workbook/ods_file.h"
#include "workbook/xlsx_file.h"

namespace {

bool Setup() {
    SetLogToStdout(false);
    initoxtools();
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    return true;
}

void CheckTable(const SheetTable& table) {
    for (const TableCell& cell : table.Cells)
        if (cell.Row < 1 || cell.Row > SheetRowCount || cell.Column < 1 || cell.Column > SheetColumnCount) std::abort();
    ClearCalculation();
    PutTable(table);
    if (!IsCalculationText(CalculationFileText(CalculationToText()))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = Setup();
    (void)ready;
    if (size < 1) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    SheetTable table;
    std::string error;
    const CellKindLookup kinds = [](Int row, Int column) { return (row + column) % 3 == 0 ? CellKindText : CellKindNumber; };
    switch (data[0] % 4) {
        case 0:
            if (XlsxToTable(bytes, table, error)) CheckTable(table);
            break;
        case 1:
            if (OdsToTable(bytes, table, error)) CheckTable(table);
            break;
        default: {
            // A formula that comes in must be one of ours that goes out again.
            const FormulaDialect dialect = data[0] % 4 == 2 ? FormulaDialect::Excel : FormulaDialect::OpenDocument;
            const std::optional<Text> ours = FormulaFromForeign(bytes, dialect, kinds, data[0] % 7, data[0] % 5);
            if (ours && !FormulaToForeign(*ours, dialect, kinds)) std::abort();
            FormulaToForeign(Text::FromBytes(bytes), dialect, kinds);
        }
    }
    return 0;
}
