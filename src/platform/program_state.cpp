#include "platform/program_state.h"

#include <vector>

namespace {

struct Entry {
    void (*Reset)(void* value);
    void* Value;
    QuiesceFunction Quiesce;
};

// Filled while the program's states are built before main, and read only
// after that; a function-local static, so it exists before the first one.
std::vector<Entry>& Entries() {
    static std::vector<Entry> entries;
    return entries;
}

}  // namespace

void RegisterProgramState(void (*reset)(void* value), void* value, QuiesceFunction quiesce) {
    Entries().push_back({reset, value, quiesce});
}

void ResetProgramState() {
    for (const Entry& entry : Entries())
        if (entry.Quiesce != nullptr) entry.Quiesce();
    for (const Entry& entry : Entries()) entry.Reset(entry.Value);
}
