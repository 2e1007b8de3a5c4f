#include "runtime/event_wait.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/log.h"
#include "platform/program_state.h"

namespace {

constexpr auto PollInterval = std::chrono::milliseconds(10);

// Idle changes only under Mutex, so a waker cannot slip in between the
// program's last look at its queues and its sleep.
struct ProgramWait {
    std::mutex Mutex;
    std::condition_variable ProgramWake;
    std::condition_variable IdleReached;
    std::atomic<bool> Idle{false};
};

ProgramState<ProgramWait> state{[](ProgramWait& s) {
    std::lock_guard lock(s.Mutex);
    s.Idle = false;
}};

ProgramWait& State() { return *state; }

}  // namespace

void WaitForInput(const std::function<bool()>& ready) {
    // Little more is logged until input comes: what waits goes out.
    FlushLog();
    ProgramWait& s = State();
    std::unique_lock lock(s.Mutex);
    while (!ready()) {
        if (!s.Idle) {
            s.Idle = true;
            s.IdleReached.notify_all();
        }
        s.ProgramWake.wait_for(lock, PollInterval);
    }
    s.Idle = false;
}

void WakeProgram() {
    ProgramWait& s = State();
    {
        std::lock_guard lock(s.Mutex);
        s.Idle = false;
    }
    s.ProgramWake.notify_all();
}

bool WaitUntilProgramIdle(const std::function<bool()>& stop, std::chrono::milliseconds limit) {
    ProgramWait& s = State();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(s.Mutex);
    while (!s.Idle && !stop()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        s.IdleReached.wait_for(lock, PollInterval);
    }
    return true;
}

