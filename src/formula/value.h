// The value of a formula or of any part of one.
#pragma once

#include "runtime/text.h"
#include "runtime/types.h"

// ValueType codes; code 1 is never produced.
inline constexpr Int ValueTypeNone = 0;
inline constexpr Int ValueTypeText = 2;
inline constexpr Int ValueTypeReal = 3;

// Comparisons and Boolean operators yield real 1 or 0: there is no separate
// Boolean or integer type.
struct parser_UniversalType {
    Int ValueType = ValueTypeNone;
    double ValueNumeric = 0.0;  // meaningful when ValueType is 3
    Text ValueText;             // meaningful when ValueType is 2
};
