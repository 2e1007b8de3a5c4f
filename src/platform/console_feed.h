// What a console window shows of the log, fed from any thread and taken in
// batches by the GUI thread: so that a flood of log lines (millions of them
// from a broken file) costs the window a few appends a second, not one
// each. Runs of the same line are shown once with their count; of more
// lines than the window keeps, the oldest are left out (the full log is on
// standard output).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

class ConsoleFeed {
public:
    // At most `keptLines` lines wait to be taken.
    explicit ConsoleFeed(std::size_t keptLines);

    // One line, without its line end; any thread.
    void Add(std::string_view line);
    // What waits, as lines joined by "\n" (none after the last); empty when
    // nothing came since the last call.
    std::string Take();

private:
    void FlushRepeats();  // with the mutex held

    std::mutex mutex_;
    const std::size_t keptLines_;
    std::deque<std::string> lines_;
    std::string last_;
    bool hasLast_ = false;
    std::int64_t repeats_ = 0;  // of last_, not yet told
    std::int64_t dropped_ = 0;  // lines left out, not yet told
};

// "4.999.990": decimal digits in groups of three, as German writes them.
std::string GroupedNumber(std::int64_t number);
