// Whole milliseconds between the steps of a command, for its log lines.
#pragma once

#include <chrono>

class Stopwatch {
public:
    // Milliseconds since the last lap (or the start); the next lap starts now.
    long long Lap() {
        const auto now = std::chrono::steady_clock::now();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - last_).count();
        last_ = now;
        return ms;
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};
