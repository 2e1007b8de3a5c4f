// The built-in function table of the formula language: its rows in token
// order, the sorted table the parser looks names up in, and the help listing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "formula/parser_state.h"
#include "runtime/text.h"
#include "runtime/types.h"

inline constexpr Int MaxParamCount = 4;

// What an argument must be; slots beyond ParamCount are Unused.
enum class ArgumentKind : UInt8 { Unused, Real, Text, Any };

// What a call yields: Result gives the previous evaluation's value and
// IndCell the addressed cell's, so neither has a fixed type.
enum class ResultKind : UInt8 { Real, Text, PreviousResult, CellValue };

// One row of the built-in function table, with the argument and result kinds
// the built-in dispatcher checks.
struct BuiltinFunction {
    Int Token;
    std::string_view Name;
    Int ParamCount;
    std::array<ArgumentKind, MaxParamCount> Arguments;
    ResultKind Result;
};

// The 52 rows in token order.
std::span<const BuiltinFunction> BuiltinFunctions();
// The row of a token, nullptr outside 1 to 52.
const BuiltinFunction* BuiltinFunctionByToken(Int token);

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
