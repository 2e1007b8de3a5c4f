// The 52 built-in functions of the formula language.
#pragma once

#include <span>

#include "formula/value.h"
#include "runtime/types.h"

// Computes built-in function `token` (1 to 52) on its arguments, in order
// (arguments[0] is the first). Type errors and invalid arguments raise their
// formula errors at `position`, the parser's position after the call.
parser_UniversalType parser_CallBuiltin(Int position, Int token, std::span<const parser_UniversalType> arguments);
