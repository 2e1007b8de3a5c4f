// The formula evaluator: a recursive-descent parser that evaluates while it
// reads. The state of the evaluation lives in Parser() (parser_state.h).
#pragma once

#include "formula/value.h"
#include "runtime/text.h"
#include "runtime/types.h"

// Evaluates a formula (without its leading "="); afterwards
// Parser().ParserErrorCode and ParserErrorPosition tell whether it failed.
parser_UniversalType parser_Evaluate(const Text& formula);
// Records an error; only the first of an evaluation is kept, all are counted.
void parser_RaiseError(Int code, Int position);

// A real as a signed 64-bit integer: truncation toward zero; NaN and
// magnitudes of 2^63 or more give the most negative integer.
Int parser_ToInteger(double value);
