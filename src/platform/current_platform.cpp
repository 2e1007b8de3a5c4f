#include "platform/current_platform.h"

#include <mutex>
#include <utility>

#include "platform/headless_platform.h"
#include "platform/program_state.h"

namespace {

struct PlatformSlot {
    std::mutex mutex;
    std::unique_ptr<Platform> platform;
};

// The installed platform outlives resets: tests install theirs once.
ProgramState<PlatformSlot> slot{KeptThroughResets};

PlatformSlot& Slot() { return *slot; }

}  // namespace

Platform& CurrentPlatform() {
    PlatformSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    if (!slot.platform) slot.platform = std::make_unique<HeadlessPlatform>();
    return *slot.platform;
}

void InstallPlatform(std::unique_ptr<Platform> platform) {
    PlatformSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.platform = std::move(platform);
}
