#include "runtime/event_wait.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/log.h"
#include "platform/program_state.h"

namespace {

constexpr auto PollInterval = std::chrono::milliseconds(10);

// idle changes only under the mutex, so a waker cannot slip in between the
// program's last look at its queues and its sleep.
struct ProgramWait {
    std::mutex mutex;
    std::condition_variable programWake;
    std::condition_variable idleReached;
    std::atomic<bool> idle{false};
};

ProgramState<ProgramWait> state{[](ProgramWait& s) {
    std::lock_guard lock(s.mutex);
    s.idle = false;
}};

ProgramWait& State() { return *state; }

}  // namespace

void WaitForInput(const std::function<bool()>& ready) {
    // Little more is logged until input comes: what waits goes out.
    FlushLog();
    ProgramWait& s = State();
    std::unique_lock lock(s.mutex);
    while (!ready()) {
        if (!s.idle) {
            s.idle = true;
            s.idleReached.notify_all();
        }
        s.programWake.wait_for(lock, PollInterval);
    }
    s.idle = false;
}

void WakeProgram() {
    ProgramWait& s = State();
    {
        std::lock_guard lock(s.mutex);
        s.idle = false;
    }
    s.programWake.notify_all();
}

bool WaitUntilProgramIdle(const std::function<bool()>& stop, std::chrono::milliseconds limit) {
    ProgramWait& s = State();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(s.mutex);
    while (!s.idle && !stop()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        s.idleReached.wait_for(lock, PollInterval);
    }
    return true;
}

