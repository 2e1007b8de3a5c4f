#include "runtime/runtime_state.h"

#include "platform/program_state.h"

namespace {

// Back to the state before t_InitMemory. MemoryInitialized is cleared by
// the window memory's quiesce, which must also stop the auto-update thread.
void ResetRuntime(RuntimeState& rt) {
    rt.MemoryInitStarted = false;
    rt.ProgramEnded = false;
    rt.UnsavedWork = false;
    rt.QuitDeclined = false;
    rt.MenuActionTable.clear();
}

ProgramState<RuntimeState> state{ResetRuntime};

}  // namespace

RuntimeState& Runtime() { return *state; }
