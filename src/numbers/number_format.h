// Numbers as the texts cells show and back: numbers are written with a
// decimal comma and read with a comma or a point. Also the whole-number and
// time formatters of the macro file and the database.
#pragma once

#include "runtime/text.h"
#include "runtime/types.h"

// The shortest digits that read back (correctly rounded) as exactly value:
// plain with a decimal comma for magnitudes from 0.0001 up to 2^54, else
// mantissa "e" sign and at least two exponent digits ("1e+20", "1,5e-05").
// A ",0" ending is dropped, so 1 is "1" and -0.0 is "-0". NaN is "nan",
// the infinities "inf" and "-inf".
Text FormulaNumberText(double value);
// The same written into text, reusing its buffer: every computed cell goes
// through here.
void AssignFormulaNumberText(Text& text, double value);

// Reads a leading number written with a comma or a point and an optional
// exponent, ignoring whatever follows. The digits read, however many, are
// rounded once to the nearest double, so every FormulaNumberText reads back
// as exactly its value; past the largest double the result is an infinity,
// below the smallest it is 0. A text without mantissa digits, or one
// starting with "+", gives 0.
double TextToNumber(TextView text);

// Fixed-decimal layout of FormulaNumberText(value), without rounding:
// fill codes in front of sign and integer digits up to width, "." groups of
// three when the low bit of grouping is set, and |decimals| fraction digits
// (cut, padded with zeros; for negative decimals trailing zeros are then
// dropped again; 0 drops the fraction). Texts starting with a code of 64 or
// more ("nan", "inf") come back unchanged.
Text FormatNumber(Int fill, Int width, Int decimals, Int grouping, double value);

// Decimal digits of value, "." groups of three when grouping, "-" in front
// when negative, then fill codes in front of it all up to width (so -5 with
// fill "0" and width 3 is "0-5"). A fill code outside 0..255 adds nothing.
Text IntegerText(Int value, Int fill, Int width, bool grouping);

// "mm:ss", or "h:mm:ss" with hours, plus ":" and 1 to 3 fraction digits of
// the second when fractionDigits is 1, 2 or 3 (truncated, not rounded).
Text TimeText(Int milliseconds, Int fractionDigits, bool withHours);
