// Hostile pastes: any bytes pasted anywhere must land without a crash, leak
// or hang; the sheet saved as a Calculation file and read back must give the
// same cells, byte for byte; and the sheet's copy must paste back to the
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

// Saved and read back, every cell is as it was; a formula's value is not
// saved (it is computed after loading).
void CheckFileRoundTrip() {
    const CalculationState saved = Calculation();
    const String file = CalculationFileText(CalculationToText());
    if (!IsCalculationText(file)) std::abort();
    ClearCalculation();
    CalculationFromText(file);
    const CalculationState& c = Calculation();
    for (std::size_t at = 0; at < c.CellText.size(); ++at) {
        if (saved.CellAttributes[at] == DefaultCellAttributes) continue;
        const bool text = saved.CellFormula.Empty(at);
        if (c.CellAttributes[at] != saved.CellAttributes[at] || c.CellFormula.Get(at) != saved.CellFormula.Get(at) ||
            (text && c.CellText[at] != saved.CellText[at]))
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = Setup();
    (void)ready;
    if (size < 2) return 0;
    // The first two bytes pick the cursor: rows near the end cut the paste.
    const Int row = data[0] % 2 ? 999 - data[0] % 8 : 1 + data[0] % 8, column = 1 + data[1] % 100;
    const std::string pasted(reinterpret_cast<const char*>(data) + 2, size - 2);
    PasteAt(row, column, pasted);
    CheckFileRoundTrip();
    // Copied with its formats and pasted at the same place, the sheet's
    // entries come back as they went. Formats may differ: Rnd can make a
    // formula an error.
    PasteAt(row, column, pasted);
    CalculationState& c = Calculation();
    const auto copy = [&](bool formats) {
        c.CopyFormats = formats;
        return CellsAsText(row, column, c.RowCount, c.ColumnCount);
    };
    const String entries = copy(false);
    PasteAt(row, column, copy(true));
    if (copy(false) != entries) std::abort();
    c.CopyFormats = true;
    return 0;
}
