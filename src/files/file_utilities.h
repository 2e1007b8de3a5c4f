// Whole-file reading and writing with the program's error log lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Describes a failed system call on a path, for "...: Error #" log lines.
std::string FileErrorDescription(int error, const std::string& path);

// The file's bytes; empty (and a log line) when it cannot be read.
std::vector<std::uint8_t> getbinaryfromfile(const std::string& path);
