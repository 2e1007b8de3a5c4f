#include "platform/log.h"

#include <cstdio>
#include <mutex>

#include "platform/program_state.h"

namespace {

struct LogState {
    std::mutex mutex;
    LogSink sink;
    bool toStdout = true;
    std::string captured;  // used by LogCapture
};

// Set up once by the program or the test main; outlives resets.
ProgramState<LogState> state{nullptr};

LogState& State() { return *state; }

void Emit(std::string_view text) {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    if (s.toStdout) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
    if (s.sink) s.sink(text);
}

}  // namespace

void LogLine(std::string_view line) {
    std::string text(line);
    text += '\n';
    Emit(text);
}

void ConsoleWrite(std::string_view text) { Emit(text); }

LogSink SetLogSink(LogSink sink) {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    std::swap(s.sink, sink);
    return sink;
}

void SetLogToStdout(bool enabled) {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    s.toStdout = enabled;
}

// The sink runs under the log mutex, so it appends to captured directly;
// readers take the same mutex.
LogCapture::LogCapture() {
    State().captured.clear();
    previous_ = SetLogSink([](std::string_view text) { State().captured.append(text); });
}

LogCapture::~LogCapture() { SetLogSink(std::move(previous_)); }

std::string LogCapture::Text() const {
    LogState& s = State();
    std::lock_guard lock(s.mutex);
    return s.captured;
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
    std::lock_guard lock(s.mutex);
    s.captured.clear();
}
