#include "platform/current_platform.h"

#include <mutex>
#include <utility>

#include "platform/headless_platform.h"
#include "platform/program_state.h"

namespace {

struct PlatformSlot {
    std::mutex Mutex;
    std::unique_ptr<Platform> Current;
};

// The installed platform outlives resets: tests install theirs once.
ProgramState<PlatformSlot> slot{KeptThroughResets};

PlatformSlot& Slot() { return *slot; }

}  // namespace

Platform& CurrentPlatform() {
    PlatformSlot& slot = Slot();
    std::lock_guard lock(slot.Mutex);
    if (!slot.Current) slot.Current = std::make_unique<HeadlessPlatform>();
    return *slot.Current;
}

void InstallPlatform(std::unique_ptr<Platform> platform) {
    PlatformSlot& slot = Slot();
    std::lock_guard lock(slot.Mutex);
    slot.Current = std::move(platform);
}
