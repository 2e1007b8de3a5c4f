#include "sheet/menu_settings.h"

#include "platform/program_state.h"

namespace {
ProgramState<SearchSettings> search;
ProgramState<PrintSettings> printing;
}  // namespace

SearchSettings& Search() { return *search; }

PrintSettings& Printing() { return *printing; }
