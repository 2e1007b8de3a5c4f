// The log file of a run with a screen (desktop or terminal), where the log
// lines go instead of standard output: $XDG_STATE_HOME/Tabrona/tabrona.log,
// appended to; one grown past LogFileLimit is kept as tabrona.log.1 and
// begun anew.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

inline constexpr std::uintmax_t LogFileLimit = std::uintmax_t{10} << 20;

// Null when the file cannot be opened.
std::shared_ptr<std::FILE> OpenStateLogFile();
