// Hostile pastes: any bytes pasted anywhere must land without a crash, leak
// or hang, and what the sheet then holds must copy and paste back to the
// same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formula/function_table.h"
#include "platform/log.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/exchange_text.h"

namespace {

bool Setup() {
    SetLogToStdout(false);
    initoxtools();
    parser_InitFunctions();
    return true;
}

void PasteAt(Int row, Int column, const std::string& text) {
    ClearCalculation();
    Calculation().CursorRow = row;
    Calculation().CursorColumn = column;
    PasteText(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = Setup();
    (void)ready;
    if (size < 2) return 0;
    // The first two bytes pick the cursor: rows near the end cut the paste.
    const Int row = data[0] % 2 ? 999 - data[0] % 8 : 1 + data[0] % 8, column = 1 + data[1] % 100;
    PasteAt(row, column, std::string(reinterpret_cast<const char*>(data) + 2, size - 2));
    // Copied with its formats and pasted at the same place, the sheet holds
    // the same entries (formats may differ: Rnd can make a formula an error).
    CalculationState& c = Calculation();
    c.CopyFormats = true;
    const Text copied = CellsAsText(row, column, c.RowCount, c.ColumnCount);
    c.CopyFormats = false;
    const Text entries = CellsAsText(row, column, c.RowCount, c.ColumnCount);
    PasteAt(row, column, CalculationFileText(copied));
    if (CellsAsText(row, column, c.RowCount, c.ColumnCount) != entries) std::abort();
    c.CopyFormats = true;
    return 0;
}
