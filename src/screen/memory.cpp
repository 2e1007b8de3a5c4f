#include "screen/memory.h"

#include <vector>

#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "platform/program_state.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"
#include "screen/window_memory.h"

namespace {

std::vector<t_MenuAction> DefaultMenuActions() {
    std::vector<t_MenuAction> table;
    // Each tag is its own action: the window actions, then the editing ones.
    for (Int tag = MenuActions::HideAll; tag <= MenuActions::ShowConsole + 2; ++tag)
        table.push_back({tag, tag, {}, {}, {}, {}, {}});
    for (Int tag = MenuActions::CopyScreenPicture; tag <= MenuActions::ClearConsole; ++tag)
        table.push_back({tag, tag, {}, {}, {}, {}, {}});
    return table;
}

}  // namespace

void t_InitMemory() {
    RuntimeState& rt = Runtime();
    if (rt.MemoryInitStarted) return;
    LogLine("t_InitMemory: Start.");
    rt.MemoryInitStarted = true;
    Platform& platform = CurrentPlatform();
    if (currentthreadnumber() == 2) platform.SetCurrentThreadName("Main Program");

    WindowMemory& screen = Screen();
    screen.HighMemory = InitialHighMemory;
    screen.VideoMemory.assign(static_cast<std::size_t>(VideoMemorySize), 0xFF);
    for (t_Window& window : screen.WindowTable) window = t_Window{};

    rt.MenuActionTable = DefaultMenuActions();
    CleanMenuBar();
    platform.RunOnGui([&platform] { platform.PreparePasteboardView(); });

    rt.MemoryInitialized = true;
    LogLine("t_InitMemory: End.");
}

void t_CheckMemory() {
    RuntimeState& rt = Runtime();
    if (!rt.MemoryInitStarted) t_InitMemory();
    while (!rt.MemoryInitialized) SleepMilliseconds(10);
}

