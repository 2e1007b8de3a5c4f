// What every evaluation shares, whether the evaluator reads a formula as it
// computes or a compiled formula runs: the limits, the formula text and the
// error record in Parser() (parser_state.h), a cell's value and the
// conversion of reals to integers. The operators and the built-ins raise
// their errors here too, so this sits below all of them.
#pragma once

#include <optional>

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
