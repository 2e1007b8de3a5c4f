#include "platform/platform.h"

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

void Platform::SetDocumentHandler(DocumentHandler handler) {
    std::vector<std::string> waiting;
    {
        std::lock_guard lock(documentMutex_);
        documentHandler_ = handler;
        if (handler) waiting.swap(waitingDocuments_);
    }
    for (const std::string& path : waiting) handler(path);
}

void Platform::OpenDocument(const std::string& path) {
    DocumentHandler handler;
    {
        std::lock_guard lock(documentMutex_);
        handler = documentHandler_;
        if (!handler) {
            waitingDocuments_.push_back(path);
            return;
        }
    }
    handler(path);
}

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
