// Hostile Calculation files: any bytes must load without a crash, leak or
// hang, leave only widths the sheet allows, and what loaded must save and
// load again to the same file. Read in parts, as an export reads a file,
// they must load as they do whole.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

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

// The file in parts cut where its own bytes say.
Text LoadInParts(std::string_view file, bool& calculation) {
    ClearCalculation();
    CalculationReader reader([](std::string_view) { return true; });
    for (std::size_t from = 0; from < file.size();) {
        const std::size_t part = std::min<std::size_t>(file.size() - from, 1 + static_cast<std::uint8_t>(file[from]) % 61);
        reader.Add(file.substr(from, part));
        from += part;
    }
    reader.Finish();
    calculation = reader.IsCalculation();
    return CalculationToText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = Setup();
    (void)ready;
    const std::string file(reinterpret_cast<const char*>(data), size);
    bool calculation = false;
    const Text parts = LoadInParts(file, calculation);
    const Text saved = LoadAndSave(file);
    if (parts != saved || calculation != IsCalculationText(file)) std::abort();
    for (const Int width : Calculation().ColumnWidth)
        if (width < 1 || width > MaxColumnWidth) std::abort();
    if (LoadAndSave(CalculationFileText(saved)) != saved) std::abort();
    return 0;
}
