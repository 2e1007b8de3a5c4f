// The formula evaluator: a recursive-descent parser that evaluates while it
// reads. The state of the evaluation lives in Parser() (parser_state.h);
// what it shares with a compiled formula's run is in evaluation.h.
#pragma once

#include "formula/value.h"
#include "runtime/text.h"
#include "runtime/types.h"

// Evaluates a formula (without its leading "="); afterwards
// Parser().ParserErrorCode and ParserErrorPosition tell whether it failed.
// This reads the formula as it computes; compiled_formula.h reads it once.
parser_UniversalType parser_Evaluate(TextView formula);
