// Batch work for scripts and pipelines, without a window or keys: a
// Calculation exported as text, a text imported as a Calculation. Messages
// go to standard error; the output is written only when all went well, and
// then whole (or not at all: the old file stays).
#pragma once

#include <string>

// Opens the Calculation `in`, recalculates it and writes the whole sheet's
// values as the text export does to `out` ("-": standard output).
// Exit status 0, or 1 with a message.
int ExportCalculation(const std::string& in, const std::string& out);
// Reads the tab-separated text `in` into a new Calculation, computing its
// formulas, and saves it as the Calculation file `out`. 0, or 1.
int ImportText(const std::string& in, const std::string& out);
