// The 52 built-in functions of the formula language, each described by one
// row of a table: its token, name, argument kinds and computation.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "formula/value.h"
#include "runtime/types.h"

inline constexpr Int MaxParamCount = 4;

// What an argument must be; slots beyond ParamCount are Unused.
enum class ArgumentKind : UInt8 { Unused, Real, Text, Any };

// A function of reals that gives a real and raises no error: its value
// from its arguments' numbers (x[0] the first; MaxParamCount of them).
using RealFunction = double (*)(const double* x);

struct BuiltinFunction {
    Int Token;
    std::string_view Name;
    Int ParamCount;
    std::array<ArgumentKind, MaxParamCount> Arguments;
    // Runs on arguments that fit the kinds above; `position` is where its
    // formula errors are raised. Null where OnReals computes the function.
    parser_UniversalType (*Compute)(Int position, std::span<const parser_UniversalType> arguments);
    // Set for a function of reals only (every argument Real): a computation
    // on plain numbers may call it without building values.
    RealFunction OnReals = nullptr;
};

// Starts the random numbers of Rnd and UniqueID anew from a seed, so that
// two computations can be compared (tests); the program never calls it.
void parser_SeedRandom(std::uint64_t seed);

// The 52 rows in token order.
std::span<const BuiltinFunction> BuiltinFunctions();
// The row of a token, nullptr outside 1 to 52.
const BuiltinFunction* BuiltinFunctionByToken(Int token);

// Computes built-in function `token` (1 to 52) on its arguments, in order
// (arguments[0] is the first). Type errors and invalid arguments raise their
// formula errors at `position`, the parser's position after the call.
parser_UniversalType parser_CallBuiltin(Int position, Int token, std::span<const parser_UniversalType> arguments);
// A function of reals (OnReals) whose first ParamCount arguments are reals,
// computed without building a value: its number into `result`, as
// parser_CallBuiltin gives it. False, and nothing done, for any other call.
// Inline: compiled formulas call it for every function they compute.
inline bool CallOnReals(const BuiltinFunction& row, std::span<const parser_UniversalType> arguments,
                        double& result) {
    const auto count = static_cast<std::size_t>(row.ParamCount);
    if (row.OnReals == nullptr || arguments.size() < count) return false;
    double x[MaxParamCount] = {};
    for (std::size_t k = 0; k < count; ++k) {
        if (arguments[k].ValueType != ValueTypeReal) return false;
        x[k] = arguments[k].ValueNumeric;
    }
    result = row.OnReals(x);
    return true;
}
