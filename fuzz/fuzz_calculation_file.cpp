// Hostile Calculation files: any bytes must load without a crash, leak or
// hang, leave only widths the sheet allows, and what loaded must save and
// load again to the same file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/log.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"

namespace {

bool Setup() {
    SetLogToStdout(false);
    initoxtools();
    return true;
}

Text LoadAndSave(const std::string& file) {
    ClearCalculation();
    CalculationFromText(file);
    return CalculationToText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = Setup();
    (void)ready;
    const Text saved = LoadAndSave(std::string(reinterpret_cast<const char*>(data), size));
    for (const Int width : Calculation().ColumnWidth)
        if (width < 1 || width > MaxColumnWidth) std::abort();
    if (LoadAndSave(CalculationFileText(saved)) != saved) std::abort();
    return 0;
}
