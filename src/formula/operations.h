// What the formula language does with values: the operators, reading a
// variable or a cell by name. Shared by the evaluator that computes while it
// reads a formula and by the run of a compiled formula, so that both give
// the same values and raise the same errors at the same positions.
#pragma once

#include "formula/value.h"
#include "runtime/text.h"
#include "runtime/types.h"

using Value = parser_UniversalType;

Value Real(double number);
Value TextValue(Text text);
// Makes the value the real number, in place. Inline: compiled formulas set
// one for nearly every step they run.
inline void SetReal(Value& value, double number) {
    value.ValueType = ValueTypeReal;
    value.ValueNumeric = number;
    value.ValueText.Elements.clear();
}

enum class Relation { Less, Greater, LessOrEqual, GreaterOrEqual, Equal, Unequal, Unknown };

// A comparison operator as read: what it means, where it stands and where
// its right operand begins.
struct ComparisonOperator {
    Relation Meaning;
    Int Position;
    Int OperandStart;
};

Relation RelationOf(UInt8 first, UInt8 second);

// Each applies an operator to value (the left operand, which takes the
// result) and right; errors are raised at `position`, where the parser
// stood after the right operand.
void ApplyLogical(UInt8 op, bool doubled, Value& value, const Value& right, Int position);
void ApplyComparison(const ComparisonOperator& op, Value& value, const Value& right, Int position);
void ApplyAdditive(UInt8 op, Value& value, const Value& right, Int position);
void ApplyMultiplicative(UInt8 op, Value& value, const Value& right, Int position);
void ApplySign(UInt8 sign, Value& value, Int position);
void ApplyPower(Value& value, const Value& right, Int position);

// The value of a name that is no function, as the formula reads it now: a
// text variable (a "$" follows), else a numeric variable, else the cell
// `cellIndex` (FormulaCellIndex of the name) when formulas may read it. An
// unknown name raises its error at `start`.
Value NamedValue(TextView name, bool dollar, Int cellIndex, Int start);
