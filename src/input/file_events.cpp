#include "input/file_events.h"

#include <sys/stat.h>

#include <atomic>
#include <deque>
#include <mutex>

#include "platform/current_platform.h"
#include "platform/log.h"
#include "platform/program_state.h"
#include "runtime/event_wait.h"
#include "runtime/program.h"

namespace {

struct FileEvents {
    std::mutex Mutex;
    std::deque<t_Event> Queue;
    t_Event Current;
    std::atomic<bool> Pending{false};
    std::atomic<bool> Log{false};
};

void ResetFileEvents(FileEvents& s) {
    std::lock_guard lock(s.Mutex);
    s.Queue.clear();
    s.Current = t_Event{};
    s.Pending = false;
    s.Log = false;
}

ProgramState<FileEvents> state{ResetFileEvents};

FileEvents& State() { return *state; }

// Body of the short thread that runs the file handler hook, which does
// nothing: the command loop picks the event up from the queue.
void StartEventFile() {
    if (currentthreadnumber() >= 3) CurrentPlatform().SetCurrentThreadName("t_StartEventFile");
}

}  // namespace

void SetFileEventLog(bool enabled) { State().Log = enabled; }

Int FileStatus(const String& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return S_ISDIR(st.st_mode) ? 2 : 1;
}

void f_FileEventHandler(const String& path, Int type) {
    FileEvents& s = State();
    t_Event e;
    e.Kind = 4;
    e.Index = type;
    e.Description = path;
    e.Value = FileStatus(path);
    e.Time = NowMilliseconds();
    {
        std::lock_guard lock(s.Mutex);
        s.Queue.push_back(e);
        s.Pending = true;
    }
    WakeProgram();
    if (s.Log)
        LogLine("f_FileEventHandler: Type = " + std::to_string(type) + ", Status = " + std::to_string(e.Value) +
                ", Path = " + path);
    if (!CurrentPlatform().StartThread(0, StartEventFile)) return;
    if (s.Log) LogLine("f_FileEventHandler: Calling file handler asynchronously.");
}

bool FileEventPendingFlag() { return State().Pending; }

bool TakeFileEvent(t_Event& out) {
    FileEvents& s = State();
    std::lock_guard lock(s.Mutex);
    if (s.Queue.empty()) {
        s.Pending = false;
        return false;
    }
    out = s.Queue.front();
    s.Queue.pop_front();
    s.Current = out;
    s.Pending = !s.Queue.empty();
    return true;
}

t_Event CurrentFileEvent() {
    FileEvents& s = State();
    std::lock_guard lock(s.Mutex);
    return s.Current;
}

void ConnectDocumentRequests() {
    CurrentPlatform().SetDocumentHandler([](const std::string& path) { f_FileEventHandler(path, 0); });
}
