// The program's log: one line each on standard output. The desktop host also
// shows it in its console window, and tests capture it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Writes one log line (a line end is added). A line longer than
// MaxLogLineBytes is cut there, saying how long it was.
void LogLine(std::string_view line);
inline constexpr std::size_t MaxLogLineBytes = 4096;

// At most `limit` bytes of a text that goes into a log line (a name, a line
// of a file), cut where a character starts and marked "…" when cut; so
// that a hostile file's huge line is never copied whole.
std::string LogExcerpt(std::string_view text, std::size_t limit = 200);

// Writes text to standard output without a line end (console output of
// windows redirected there).
void ConsoleWrite(std::string_view text);

// Receives everything written through LogLine (with its line end) and
// ConsoleWrite. Returns the previous sink.
using LogSink = std::function<void(std::string_view)>;
LogSink SetLogSink(LogSink sink);

// When false, nothing goes to standard output (sinks still receive it).
void SetLogToStdout(bool enabled);

// Lines are written at once but flushed at most every LogFlushInterval, so
// that a flood of lines costs few system calls; FlushLog writes out what
// waits (the program calls it whenever it waits for input). `flush` is a
// sink's own, called along with standard output's.
inline constexpr int LogFlushMilliseconds = 50;
void FlushLog();
void SetLogFlush(std::function<void()> flush);

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
