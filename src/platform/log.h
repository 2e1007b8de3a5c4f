// The program's log: one line each on standard output. The desktop host also
// shows it in its console window, and tests capture it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Writes one log line (a line end is added).
void LogLine(std::string_view line);

// Writes text to standard output without a line end (console output of
// windows redirected there).
void ConsoleWrite(std::string_view text);

// Receives everything written through LogLine (with its line end) and
// ConsoleWrite. Returns the previous sink.
using LogSink = std::function<void(std::string_view)>;
LogSink SetLogSink(LogSink sink);

// When false, nothing goes to standard output (sinks still receive it).
void SetLogToStdout(bool enabled);

// Collects log lines while it lives; used by tests.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(std::string_view line) const;
    std::string Text() const;
    void Clear();

private:
    LogSink previous_;
};
