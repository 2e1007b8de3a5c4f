// Formulas between this program's language and the languages of xlsx
// ("=SIN(C2)+1") and ods ("of:=SIN([.C2])+1") files. Only what both sides
// compute alike goes across: cell references (Z2S3 and C2), numbers, texts,
// + - * / ^ and a sign, and the functions of the pairs table, whose meaning
// is the same on both sides (some of ours are written out as an expression of
// theirs, Round for one). Anything else (comparisons, bit operators,
// variables, ranges, other sheets, functions without a partner) cannot be
// said on the other side: the caller then sends the cell's value instead.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/text.h"
#include "runtime/types.h"

enum class FormulaDialect { Excel, OpenDocument };

// The kind of the cell at row, column (1-based) as the formula will find
// it: CellKindText for a text, anything else counts as a number. A
// reference's type decides what "+" means (a sum, or texts joined).
using CellKindLookup = std::function<Int(Int row, Int column)>;

// One row of the pairs table: the name here, the name there and the number
// of arguments, or, where no function there has the same meaning, the
// expression there that computes ours (%1 to %4 stand for the arguments,
// ";" separates a function's arguments in either dialect).
struct FunctionPair {
    const char* Ours;
    const char* Theirs;      // a function of the same meaning, or nullptr
    const char* Arguments;   // one letter each: R a number, T a text
    char Result;             // R or T
    const char* Expression;  // used when Theirs is nullptr: ours written out
};
const std::vector<FunctionPair>& FunctionPairs();

// Our formula (with its "=") in the dialect: "=..." for xlsx, "of:=..."
// for ods; nullopt when it cannot be said there.
std::optional<std::string> FormulaToForeign(TextView formula, FormulaDialect dialect, const CellKindLookup& kindOf);

// A formula of the dialect ("=..." or without "="; ods also "of:=...") in
// our language, with "="; nullopt when it cannot be said here. A shared
// formula of xlsx is read at its anchor and moved by rowShift and
// columnShift for the other cells: relative references move along.
std::optional<Text> FormulaFromForeign(std::string_view formula, FormulaDialect dialect, const CellKindLookup& kindOf,
                                       Int rowShift = 0, Int columnShift = 0);

// Column letters and back: 1 "A", 27 "AA"; 0 for what is no column.
std::string ColumnLetters(Int column);
Int ColumnFromLetters(std::string_view letters);
