// The error codes of formulas, one name each. A cell whose formula fails
// shows the first one raised, with its position: "(ERR#n@p)".
#pragma once

#include "runtime/types.h"

inline constexpr Int DivisionByZeroError = 1;
inline constexpr Int OpeningParenthesisError = 2;
inline constexpr Int VariableTableFullError = 3;
// An argument or operand beyond the program's limits: a numeral too long, a
// text joined past its limit, an argument a function cannot take.
inline constexpr Int BeyondLimitsError = 4;
inline constexpr Int CommaExpectedError = 5;
inline constexpr Int ClosingParenthesisError = 6;
inline constexpr Int ExponentDigitsError = 7;
inline constexpr Int LeftOverError = 8;
// Raised at the "(" that opens one level more than the evaluator allows; the
// evaluation then reads no further. Code 9 was unused, so the cell's
// "(ERR#9@...)" cannot be mistaken for another failure.
inline constexpr Int NestingTooDeepError = 9;
inline constexpr Int SecondPointError = 10;
inline constexpr Int OperandExpectedError = 11;
inline constexpr Int TypeError = 13;
inline constexpr Int LoneQuoteError = 15;
inline constexpr Int UnknownComparisonError = 16;
inline constexpr Int ArgumentsEndError = 17;
inline constexpr Int HexadecimalError = 18;
inline constexpr Int InvalidVariableNameError = 20;
inline constexpr Int UnknownNameError = 21;
inline constexpr Int CellOutOfRangeError = 22;
