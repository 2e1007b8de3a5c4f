#include "platform/log.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/program_state.h"

namespace {

struct LogState {
    std::mutex Mutex;
    LogSink Sink;
    std::function<void()> Flush;
    std::chrono::steady_clock::time_point LastFlush{};
    // Lines written but not flushed wake a thread that flushes them soon.
    bool Waiting = false;
    bool Flusher = false;
    std::condition_variable LinesWaiting;
    bool ToStdout = true;
    std::string Captured;  // used by LogCapture
};

// Set up once by the program or the test main; outlives resets.
ProgramState<LogState> state{KeptThroughResets};

LogState& State() { return *state; }

constexpr std::chrono::milliseconds FlushInterval(LogFlushMilliseconds);

// With the mutex held.
void Flush(LogState& s) {
    s.LastFlush = std::chrono::steady_clock::now();
    s.Waiting = false;
    if (s.ToStdout) std::fflush(stdout);
    if (s.Flush) s.Flush();
}

// Flushes what waits one interval after it was written, so that the last
// lines of a burst never stay in a buffer while the program is quiet.
void RunFlusher() {
    LogState& s = State();
    std::unique_lock lock(s.Mutex);
    for (;;) {
        s.LinesWaiting.wait(lock, [&] { return s.Waiting; });
        lock.unlock();
        std::this_thread::sleep_for(FlushInterval);
        lock.lock();
        if (s.Waiting) Flush(s);
    }
}

void Emit(std::string_view text) {
    LogState& s = State();
    std::lock_guard lock(s.Mutex);
    if (s.ToStdout) std::fwrite(text.data(), 1, text.size(), stdout);
    if (s.Sink) s.Sink(text);
    if (std::chrono::steady_clock::now() - s.LastFlush >= FlushInterval) {
        Flush(s);
        return;
    }
    if (!s.Flusher) {
        s.Flusher = true;
        std::thread(RunFlusher).detach();
    }
    if (s.Waiting) return;
    s.Waiting = true;
    s.LinesWaiting.notify_one();
}

}  // namespace

std::string LogExcerpt(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    // Back to the first byte of a UTF-8 character.
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end)) + "…";
}

void LogLine(std::string_view line) {
    std::string text = line.size() <= MaxLogLineBytes
                           ? std::string(line)
                           : LogExcerpt(line, MaxLogLineBytes) + " (" + std::to_string(line.size()) + " Bytes)";
    text += '\n';
    Emit(text);
}

void ConsoleWrite(std::string_view text) { Emit(text); }

LogSink SetLogSink(LogSink sink) {
    LogState& s = State();
    std::lock_guard lock(s.Mutex);
    std::swap(s.Sink, sink);
    return sink;
}

void FlushLog() {
    LogState& s = State();
    std::lock_guard lock(s.Mutex);
    Flush(s);
}

void SetLogFlush(std::function<void()> flush) {
    LogState& s = State();
    std::lock_guard lock(s.Mutex);
    s.Flush = std::move(flush);
}

void SetLogToStdout(bool enabled) {
    LogState& s = State();
    std::lock_guard lock(s.Mutex);
    s.ToStdout = enabled;
}

// The sink runs under the log mutex, so it appends to Captured directly;
// readers take the same mutex.
LogCapture::LogCapture() {
    State().Captured.clear();
    previous_ = SetLogSink([](std::string_view text) { State().Captured.append(text); });
}

LogCapture::~LogCapture() { SetLogSink(std::move(previous_)); }

std::string LogCapture::Text() const {
    LogState& s = State();
    std::lock_guard lock(s.Mutex);
    return s.Captured;
}

std::vector<std::string> LogCapture::Lines() const {
    const std::string text = Text();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool LogCapture::Contains(std::string_view line) const {
    for (const std::string& l : Lines())
        if (l == line) return true;
    return false;
}

void LogCapture::Clear() {
    LogState& s = State();
    std::lock_guard lock(s.Mutex);
    s.Captured.clear();
}
