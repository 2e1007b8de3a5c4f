// Hostile pastes: any bytes pasted anywhere must land without a crash, leak
// or hang, and the sheet's copy must paste back to the same entries.
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
    // Copied with its formats and pasted at the same place, the sheet's
    // entries come back as they went, once they have been through the
    // program: a paste can make states a copy cannot name (a formula cell
    // whose formula lacks its "="), which the first round trip settles.
    // Formats may differ: Rnd can make a formula an error.
    CalculationState& c = Calculation();
    const auto copy = [&](bool formats) {
        c.CopyFormats = formats;
        return CellsAsText(row, column, c.RowCount, c.ColumnCount);
    };
    PasteAt(row, column, CalculationFileText(copy(true)));
    const Text settled = copy(true), entries = copy(false);
    PasteAt(row, column, CalculationFileText(settled));
    if (copy(false) != entries) std::abort();
    c.CopyFormats = true;
    return 0;
}
