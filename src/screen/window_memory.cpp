#include "screen/window_memory.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/program_state.h"
#include "runtime/program.h"
#include "runtime/runtime_state.h"

namespace {

// The auto-update thread leaves its loop once the memory is gone.
void StopAutoUpdate() {
    Runtime().MemoryInitialized = false;
    while (Screen().AutoUpdateStarted) SleepMilliseconds(10);
}

// The quiesce has stopped the auto-update thread; the video memory is
// released, not only emptied.
void ResetScreen(WindowMemory& screen) {
    screen.VideoMemory.clear();
    screen.VideoMemory.shrink_to_fit();
    screen.HighMemory = InitialHighMemory;
    for (t_Window& window : screen.WindowTable) window = t_Window{};
    screen.DefaultWindow = NoWindow;
}

ProgramState<WindowMemory> memory{ResetScreen, StopAutoUpdate};

}  // namespace

WindowMemory& Screen() { return *memory; }

bool MemoryReady() { return Runtime().MemoryInitialized; }

bool WindowReady(UInt8 w) {
    return w < GraphicWindowCount && MemoryReady() && Screen().WindowTable[w].Initialized;
}

namespace {

// The auto-update thread sleeps here while no window has changes to show.
struct AutoUpdateSleep {
    std::mutex Mutex;
    std::condition_variable Wake;
    std::atomic<bool> Sleeping{false};
};
ProgramState<AutoUpdateSleep> sleeper{KeptThroughResets};

// A window whose pixels changed since its last picture, whether due or not.
bool AnyChangesToShow() {
    for (const t_Window& win : Screen().WindowTable)
        if (win.Initialized && win.AutoUpdate && win.PixelChanges != win.PictureAsked) return true;
    return false;
}

}  // namespace

void WaitForPixelChanges() {
    // Changes waiting for their refresh time are looked at every millisecond.
    if (AnyChangesToShow()) {
        SleepMilliseconds(1);
        return;
    }
    AutoUpdateSleep& s = *sleeper;
    std::unique_lock lock(s.Mutex);
    s.Sleeping = true;
    if (!AnyChangesToShow()) s.Wake.wait_for(lock, std::chrono::milliseconds(100), [&] { return !s.Sleeping; });
    s.Sleeping = false;
}

void PixelsChanged(t_Window& win) {
    win.PixelChanges = win.PixelChanges + 1;
    AutoUpdateSleep& s = *sleeper;
    if (!s.Sleeping) return;
    {
        std::lock_guard lock(s.Mutex);
        s.Sleeping = false;
    }
    s.Wake.notify_one();
}
