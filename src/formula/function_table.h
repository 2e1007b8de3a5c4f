// The function table of the formula language: the built-ins sorted by name
// for the parser's lookups, and the help listing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "formula/parser_state.h"
#include "runtime/text.h"
#include "runtime/types.h"

// Sets each table to its placeholder alone (variable counts 0), appends the
// built-ins in token order and sorts them. Called once at program start.
void parser_InitFunctions();

// Sorts the whole FunctionTable by name order; the placeholder stays first
// because the empty name sorts first.
void parser_SortFunctions();

// The index in FunctionTable of the first entry from 1 upward whose folded
// name equals the folded written name; 0 when there is none.
Int parser_FindFunction(TextView writtenName);
// The same for a caller that already has parser_NameKey(writtenName).
Int parser_FindFunctionByKey(TextView writtenName, std::optional<std::uint64_t> key);

// The help listing: each function as Name(A, B, ...) padded with blanks and
// cut to width, all FunctionCount entries in table order without line breaks.
// Empty when width is below 1.
Text parser_FunctionList(Int width);
