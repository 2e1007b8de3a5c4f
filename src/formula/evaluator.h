// The formula evaluator: a recursive-descent parser that evaluates while it
// reads. The state of the evaluation lives in Parser() (parser_state.h).
#pragma once

#include <optional>

#include "formula/errors.h"
#include "formula/value.h"
#include "runtime/text.h"
#include "runtime/types.h"

// Parentheses and argument lists may nest this deep. Formulas also come from
// files and pastes of any length, and every level costs stack frames; 200 is
// far beyond any formula a person writes and far below the stack's limit.
inline constexpr Int MaxNestingDepth = 200;

// Texts joined with "+" may grow to this many bytes. A longer result raises
// BeyondLimitsError and the left text remains, so that a short formula cannot
// fill the memory by doubling.
inline constexpr Int MaxTextLength = Int{1} << 20;

// Evaluates a formula (without its leading "="); afterwards
// Parser().ParserErrorCode and ParserErrorPosition tell whether it failed.
// This reads the formula as it computes; compiled_formula.h reads it once.
parser_UniversalType parser_Evaluate(TextView formula);
// The two steps every evaluation begins with: the formula into
// Parser().ParserText, and the error record emptied.
void parser_SetText(TextView formula);
void parser_StartEvaluation();
// Records an error; only the first of an evaluation is kept, all are counted.
void parser_RaiseError(Int code, Int position);

// What a cell shows now, without computing it: the text of a text cell, the
// number of any other; empty when formulas may not read the cell.
std::optional<parser_UniversalType> CellValue(Int index);

// A real as a signed 64-bit integer: truncation toward zero; NaN and
// magnitudes of 2^63 or more give the most negative integer.
Int parser_ToInteger(double value);
