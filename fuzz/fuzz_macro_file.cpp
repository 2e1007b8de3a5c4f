// Hostile macro files: any bytes must load without a crash, leak or hang,
// and what loaded must save and load again to the same file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "commands/macros.h"
#include "platform/log.h"
#include "runtime/program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        SetLogToStdout(false);
        initoxtools();
        return true;
    }();
    (void)ready;
    for (Text& macro : Macros().Table) macro = Text();
    MacrosFromText(std::string(reinterpret_cast<const char*>(data), size));
    const std::string saved = MacroFileText();
    for (Text& macro : Macros().Table) macro = Text();
    MacrosFromText(saved);
    if (MacroFileText() != saved) std::abort();
    return 0;
}
