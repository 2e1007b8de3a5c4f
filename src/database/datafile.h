// The datafile loader: a line-oriented text in which every line is one
// instruction ("T" a table, "F" a field, "R" a record, a blank the next
// field's value), executed into a fresh database with every problem
// reported on the console and counted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The most values the database takes from one file: a million records of
// five fields. Records beyond it are refused and reported.
inline constexpr std::int64_t MaxDataValues = 5'000'000;

// What the last execution met: the instructions that failed, and among
// them the records refused because the store was full.
struct DatafileReport {
    std::int64_t Errors = 0;
    std::int64_t RecordsRefused = 0;
};
DatafileReport LastDatafileReport();

// Reads the file and executes it; true when it was found and every line
// worked.
bool d_LoadDatabase(const std::string& path);
// Executes the file's bytes into a database emptied first; true without
// any error.
bool d_CreateDatabaseFromBinary(const std::vector<std::uint8_t>& bytes);
