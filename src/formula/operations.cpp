#include "formula/operations.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "formula/cell_source.h"
#include "formula/errors.h"
#include "formula/evaluation.h"
#include "formula/parser_state.h"
#include "formula/variables.h"

namespace {

struct RelationForm {
    UInt8 First;
    UInt8 Second;  // 0 for a one-character operator
    Relation Meaning;
};

constexpr std::array<RelationForm, 15> RelationForms = {{
    {'<', 0, Relation::Less},
    {'>', 0, Relation::Greater},
    {'=', 0, Relation::Equal},
    {'#', 0, Relation::Unequal},
    {'<', '=', Relation::LessOrEqual},
    {'=', '<', Relation::LessOrEqual},
    {'!', '>', Relation::LessOrEqual},
    {'>', '=', Relation::GreaterOrEqual},
    {'=', '>', Relation::GreaterOrEqual},
    {'!', '<', Relation::GreaterOrEqual},
    {'=', '=', Relation::Equal},
    {'!', '#', Relation::Equal},
    {'<', '>', Relation::Unequal},
    {'>', '<', Relation::Unequal},
    {'!', '=', Relation::Unequal},
}};

// Shifts on the unsigned pattern, since bits shifted out of a signed value
// would overflow; the pattern converts back modulo 2^64.
Int ShiftBitsLeft(Int value, Int count) {
    return static_cast<Int>(static_cast<std::uint64_t>(value) << static_cast<unsigned>(count));
}

Int ShiftLeft(Int value, Int count) {
    if (count > 63) return -1;
    if (count >= 0) return ShiftBitsLeft(value, count);
    if (count >= -63) return value >> -count;
    return value >> 63;
}

Int ShiftRight(Int value, Int count) {
    if (count > 63) return 0;
    if (count >= 0) return value >> count;
    if (count >= -63) return ShiftBitsLeft(value, -count);
    return 0;
}

// -1, 0 or 1 by unsigned bytes; a prefix is smaller.
int CompareTexts(const Text& a, const Text& b) {
    if (a.Elements < b.Elements) return -1;
    return a.Elements == b.Elements ? 0 : 1;
}

bool RelationHolds(Relation relation, const Value& left, const Value& right) {
    if (left.ValueType == ValueTypeText) {
        const int c = CompareTexts(left.ValueText, right.ValueText);
        switch (relation) {
        case Relation::Less: return c == -1;
        case Relation::Greater: return c == 1;
        case Relation::LessOrEqual: return c != 1;
        case Relation::GreaterOrEqual: return c != -1;
        case Relation::Equal: return c == 0;
        default: return c != 0;
        }
    }
    const double a = left.ValueNumeric;
    const double b = right.ValueNumeric;
    switch (relation) {
    case Relation::Less: return a < b;
    case Relation::Greater: return a > b;
    case Relation::LessOrEqual: return a <= b;
    case Relation::GreaterOrEqual: return a >= b;
    case Relation::Equal: return a == b;
    default: return !(a == b);
    }
}

// Only the right operand's type is checked; a wrong one leaves the left value.
bool RightIsReal(const Value& right, Int position) {
    if (right.ValueType == ValueTypeReal) return true;
    parser_RaiseError(TypeError, position);
    return false;
}

void RaiseUnknownName(Int variableCount, Int position) {
    parser_RaiseError(variableCount >= VariableLimit ? VariableTableFullError : UnknownNameError, position);
}

}  // namespace

Value Real(double number) {
    Value value;
    value.ValueType = ValueTypeReal;
    value.ValueNumeric = number;
    return value;
}

Value TextValue(Text text) {
    Value value;
    value.ValueType = ValueTypeText;
    value.ValueText = std::move(text);
    return value;
}

Relation RelationOf(UInt8 first, UInt8 second) {
    for (const RelationForm& form : RelationForms) {
        if (form.First == first && form.Second == second) return form.Meaning;
    }
    return Relation::Unknown;
}

// "&" "|" "~" bitwise, doubled the Boolean forms, on integer conversions.
void ApplyLogical(UInt8 op, bool doubled, Value& value, const Value& right, Int position) {
    if (!RightIsReal(right, position)) return;
    const Int a = parser_ToInteger(value.ValueNumeric);
    const Int b = parser_ToInteger(right.ValueNumeric);
    double result = 0;
    if (!doubled) {
        result = static_cast<double>(op == '&' ? (a & b) : op == '|' ? (a | b) : (a ^ b));
    } else if (op == '&') {
        result = (a != 0 && b != 0) ? 1 : 0;
    } else if (op == '|') {
        result = (a != 0 || b != 0) ? 1 : 0;
    } else {
        result = ((a != 0) != (b != 0)) ? 1 : 0;
    }
    SetReal(value, result);
}

void ApplyComparison(const ComparisonOperator& op, Value& value, const Value& right, Int position) {
    const bool bothText = value.ValueType == ValueTypeText && right.ValueType == ValueTypeText;
    const bool bothReal = value.ValueType == ValueTypeReal && right.ValueType == ValueTypeReal;
    if (!bothText && !bothReal) {
        parser_RaiseError(TypeError, position);
        return;
    }
    if (op.Meaning == Relation::Unknown) {
        // Reported at the operator, which is what the user has to change.
        parser_RaiseError(UnknownComparisonError, op.Position);
        SetReal(value, value.ValueNumeric);
        return;
    }
    SetReal(value, RelationHolds(op.Meaning, value, right) ? 1 : 0);
}

void ApplyAdditive(UInt8 op, Value& value, const Value& right, Int position) {
    if (right.ValueType == ValueTypeText && op == '+') {
        if (value.ValueText.Size() + right.ValueText.Size() > static_cast<std::size_t>(MaxTextLength)) {
            parser_RaiseError(BeyondLimitsError, position);
            return;
        }
        // Appended in place: a long chain of "+" stays linear.
        value.ValueType = ValueTypeText;
        value.ValueNumeric = 0;
        value.ValueText += right.ValueText;
    } else if (RightIsReal(right, position)) {
        SetReal(value, op == '+' ? value.ValueNumeric + right.ValueNumeric : value.ValueNumeric - right.ValueNumeric);
    }
}

void ApplyMultiplicative(UInt8 op, Value& value, const Value& right, Int position) {
    if (!RightIsReal(right, position)) return;
    const double x = value.ValueNumeric;
    const double y = right.ValueNumeric;
    if (y == 0 && (op == '/' || op == '%' || op == '\\')) {
        parser_RaiseError(DivisionByZeroError, position);
        return;
    }
    double result = 0;
    switch (op) {
    case '*': result = x * y; break;
    case '/': result = x / y; break;
    case '%': result = std::fmod(x, y); break;
    case '\\': result = std::trunc(x / y); break;
    case '<': result = static_cast<double>(ShiftLeft(parser_ToInteger(x), parser_ToInteger(y))); break;
    default: result = static_cast<double>(ShiftRight(parser_ToInteger(x), parser_ToInteger(y))); break;
    }
    SetReal(value, result);
}

void ApplySign(UInt8 sign, Value& value, Int position) {
    if (!RightIsReal(value, position)) return;
    if (sign == '-') {
        SetReal(value, -value.ValueNumeric);
        return;
    }
    const Int n = parser_ToInteger(value.ValueNumeric);
    SetReal(value, n == 0 ? 1 : (n > 0 ? 0 : 2));
}

void ApplyPower(Value& value, const Value& right, Int position) {
    if (RightIsReal(right, position)) SetReal(value, std::pow(value.ValueNumeric, right.ValueNumeric));
}

Value NamedValue(TextView name, bool dollar, Int cellIndex, Int start) {
    const ParserState& parser = Parser();
    if (dollar) {
        if (const Int found = parser_FindTextVariable(name); found > 0)
            return TextValue(parser.TextVariables[static_cast<std::size_t>(found)].Value);
        RaiseUnknownName(parser.TextVariableCount, start);
        return Value{};
    }
    if (const Int found = parser_FindNumericVariable(name); found > 0)
        return Real(parser.NumericVariables[static_cast<std::size_t>(found)].Value);
    // A real name that is no variable may address a cell.
    if (parser.CellReferencesEnabled && cellIndex >= 0) {
        if (std::optional<Value> cell = CellValue(cellIndex)) return std::move(*cell);
    }
    RaiseUnknownName(parser.NumericVariableCount, start);
    return Value{};
}
