#include "formula/evaluator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>

#include "formula/builtins.h"
#include "formula/cell_source.h"
#include "formula/function_table.h"
#include "formula/lexical.h"
#include "formula/parser_state.h"
#include "formula/variables.h"
#include "numbers/number_format.h"

namespace {

using Value = parser_UniversalType;

// A numeral this long or longer is refused.
constexpr Int NumeralLengthLimit = 28;

// Where the parser stands: a position counted from 1, the byte there (0 past
// the end) and how many parentheses and argument lists are open around it.
struct Cursor {
    Int Position = 1;
    UInt8 Character = 0;
    Int Depth = 0;
};

enum class Relation { Less, Greater, LessOrEqual, GreaterOrEqual, Equal, Unequal, Unknown };

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

bool IsHexDigit(UInt8 code) { return IsDigit(code) || (code >= 'A' && code <= 'F') || (code >= 'a' && code <= 'f'); }

UInt8 CharacterAt(Int position) { return parser_CharacterAt(Parser().ParserText, position); }

bool AtEnd(Int position) { return position > Parser().ParserTextEnd; }

// The bytes from position `from` up to, not including, position `to`.
TextView View(Int from, Int to) {
    return TextView(Parser().ParserText).subspan(static_cast<std::size_t>(from - 1),
                                                 static_cast<std::size_t>(to - from));
}

// The first position from `position` on that holds no blank.
Int NonBlankFrom(Int position) {
    const TextView formula = Parser().ParserText;
    const auto end = static_cast<Int>(formula.size());
    while (position >= 1 && position <= end && formula[static_cast<std::size_t>(position - 1)] == BlankCharacter)
        ++position;
    return position;
}

void MoveTo(Cursor& at, Int position) {
    at.Position = position;
    at.Character = CharacterAt(position);
}

// Stands on the first non-blank from `position` on.
void SkipBlanksFrom(Cursor& at, Int position) { MoveTo(at, NonBlankFrom(position)); }

// Steps past the current character and the blanks after it.
void Advance(Cursor& at) { SkipBlanksFrom(at, at.Position + 1); }

void SetReal(Value& value, double number) {
    value.ValueType = ValueTypeReal;
    value.ValueNumeric = number;
    value.ValueText.Elements.clear();
}

// Only the right operand's type is checked; a wrong one leaves the left value.
bool RightIsReal(const Value& right, const Cursor& at) {
    if (right.ValueType == ValueTypeReal) return true;
    parser_RaiseError(TypeError, at.Position);
    return false;
}

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

Relation RelationOf(UInt8 first, UInt8 second) {
    for (const RelationForm& form : RelationForms) {
        if (form.First == first && form.Second == second) return form.Meaning;
    }
    return Relation::Unknown;
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

// The level functions below recurse once per nesting level. What they compute
// lives in these functions, kept out of line, so that a recursion frame holds
// little beyond its two operands: sanitizer builds give every inlined
// temporary a stack slot of its own. The levels from comparison down to
// unary are inlined into the logical level, on the other hand: with a frame
// each, a nested call went more than 30 returns deep, past what the
// processor predicts, and every level cost a mispredicted return.

// "&" "|" "~" bitwise, doubled the Boolean forms, on integer conversions.
[[gnu::noinline]] void ApplyLogical(UInt8 op, bool doubled, Value& value, const Value& right, const Cursor& at) {
    if (!RightIsReal(right, at)) return;
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

struct ComparisonOperator {
    Relation Meaning;
    Int Position;       // of its first character
    Int OperandStart;   // the first non-blank after it
};

// The comparison operator at the cursor, if one is there for this level.
[[gnu::noinline]] std::optional<ComparisonOperator> ReadComparisonOperator(const Cursor& at) {
    const UInt8 first = at.Character;
    if (first != '!' && first != '#' && first != '<' && first != '=' && first != '>') return std::nullopt;
    const Int secondPosition = NonBlankFrom(at.Position + 1);
    const UInt8 c = CharacterAt(secondPosition);
    const UInt8 second = (c == '#' || c == '<' || c == '=' || c == '>') ? c : 0;
    // "!" alone belongs to no level here and is left over. "<<" and ">>"
    // are shifts, which the multiplicative level below takes first.
    if ((first == '!' && second == 0) || (second == first && (first == '<' || first == '>'))) return std::nullopt;
    const Int operandStart = second != 0 ? NonBlankFrom(secondPosition + 1) : secondPosition;
    return ComparisonOperator{RelationOf(first, second), at.Position, operandStart};
}

[[gnu::noinline]] void ApplyComparison(const ComparisonOperator& op, Value& value, const Value& right,
                                       const Cursor& at) {
    const bool bothText = value.ValueType == ValueTypeText && right.ValueType == ValueTypeText;
    const bool bothReal = value.ValueType == ValueTypeReal && right.ValueType == ValueTypeReal;
    if (!bothText && !bothReal) {
        parser_RaiseError(TypeError, at.Position);
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

[[gnu::noinline]] void ApplyAdditive(UInt8 op, Value& value, const Value& right, const Cursor& at) {
    if (right.ValueType == ValueTypeText && op == '+') {
        if (value.ValueText.Size() + right.ValueText.Size() > static_cast<std::size_t>(MaxTextLength)) {
            parser_RaiseError(BeyondLimitsError, at.Position);
            return;
        }
        // Appended in place: a long chain of "+" stays linear.
        value.ValueType = ValueTypeText;
        value.ValueNumeric = 0;
        value.ValueText += right.ValueText;
    } else if (RightIsReal(right, at)) {
        SetReal(value, op == '+' ? value.ValueNumeric + right.ValueNumeric : value.ValueNumeric - right.ValueNumeric);
    }
}

// The position after the multiplicative operator at the cursor, 0 when none
// is there. A single "<" or ">" is a comparison, left for that level.
Int MultiplicativeOperatorEnd(const Cursor& at) {
    const UInt8 op = at.Character;
    if (op == '*' || op == '/' || op == '%' || op == '\\') return at.Position + 1;
    if (op != '<' && op != '>') return 0;
    const Int second = NonBlankFrom(at.Position + 1);
    return CharacterAt(second) == op ? second + 1 : 0;
}

[[gnu::noinline]] void ApplyMultiplicative(UInt8 op, Value& value, const Value& right, const Cursor& at) {
    if (!RightIsReal(right, at)) return;
    const double x = value.ValueNumeric;
    const double y = right.ValueNumeric;
    if (y == 0 && (op == '/' || op == '%' || op == '\\')) {
        parser_RaiseError(DivisionByZeroError, at.Position);
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

[[gnu::noinline]] void ApplySign(UInt8 sign, Value& value, const Cursor& at) {
    if (!RightIsReal(value, at)) return;
    if (sign == '-') {
        SetReal(value, -value.ValueNumeric);
        return;
    }
    const Int n = parser_ToInteger(value.ValueNumeric);
    SetReal(value, n == 0 ? 1 : (n > 0 ? 0 : 2));
}

// Opens one level of parentheses or arguments at the "(" at openPosition.
// Past the limit the rest of the formula is left unread, because parsing it
// would need the very stack depth the limit protects.
bool EnterNesting(Cursor& at, Int openPosition) {
    if (at.Depth >= MaxNestingDepth) {
        parser_RaiseError(NestingTooDeepError, openPosition);
        MoveTo(at, Parser().ParserTextEnd + 1);
        return false;
    }
    ++at.Depth;
    return true;
}

void LeaveNesting(Cursor& at) { --at.Depth; }

Value parser_Logical(Cursor& at);

// The hexadecimal digits from `first` to `last`, accumulated modulo 2^64 like
// the 64-bit integer they stand for; 0 with error 18 when there are none or
// another character is among them.
Int HexadecimalValue(Int first, Int last, Int numeralStart) {
    if (first > last) {
        parser_RaiseError(HexadecimalError, numeralStart);
        return 0;
    }
    std::uint64_t number = 0;
    for (Int p = first; p <= last; ++p) {
        const UInt8 c = CharacterAt(p);
        if (!IsHexDigit(c)) {
            parser_RaiseError(HexadecimalError, numeralStart);
            return 0;
        }
        const unsigned digit = IsDigit(c) ? c - '0' : (c | 0x20u) - 'a' + 10;
        number = number * 16 + digit;
    }
    return static_cast<Int>(number);
}

// numeral := run ["." run] [("e" | "E") run [("+" | "-") run]]
// Each run steps over blanks; "0x" makes the first one hexadecimal.
[[gnu::noinline]] Value parser_Numeral(Cursor& at) {
    const Text& formula = Parser().ParserText;
    const Int start = at.Position;
    DigitRun run{start, at.Character, false};
    // A numeral starting with "." begins with its fraction run.
    if (at.Character != '.') run = parser_ScanDigitRun(formula, start);
    if (run.StopCharacter == '.') run = parser_ScanDigitRun(formula, run.StopPosition);
    if (run.StopCharacter == 'e' || run.StopCharacter == 'E') {
        const Int exponent = run.StopPosition;
        run = parser_ScanDigitRun(formula, exponent);
        if (run.StopPosition == exponent + 1 && (run.StopCharacter == '+' || run.StopCharacter == '-')) {
            const Int sign = run.StopPosition;
            run = parser_ScanDigitRun(formula, sign);
            bool digits = false;
            for (Int p = sign + 1; p < run.StopPosition; ++p) digits = digits || IsDigit(CharacterAt(p));
            if (!digits) parser_RaiseError(ExponentDigitsError, sign + 1);
        }
    }
    const Int stop = run.StopPosition;
    MoveTo(at, stop);
    // A stop at "." is a second point, however long the numeral.
    if (run.StopCharacter == '.') {
        parser_RaiseError(SecondPointError, stop);
        return Value{};
    }
    if (stop - start >= NumeralLengthLimit) {
        parser_RaiseError(BeyondLimitsError, start);
        return Value{};
    }

    Int first = start;
    Int last = stop - 1;
    while (first <= last && CharacterAt(first) == BlankCharacter) ++first;
    while (last >= first && CharacterAt(last) == BlankCharacter) --last;
    if (last - first >= 1 && CharacterAt(first) == '0' && CharacterAt(first + 1) == 'x') {
        return Real(static_cast<double>(HexadecimalValue(first + 2, last, start)));
    }
    return Real(TextToNumber(View(first, last + 1)));
}

// string := '"' {byte} ['"' blanks]
[[gnu::noinline]] Value parser_StringLiteral(Cursor& at) {
    const Int end = Parser().ParserTextEnd;
    if (at.Position == end) {
        parser_RaiseError(LoneQuoteError, at.Position);
        MoveTo(at, end + 1);
        return Value{};
    }
    Int close = at.Position + 1;
    while (close <= end && CharacterAt(close) != QuoteCharacter) ++close;
    const TextView literal = View(at.Position + 1, close);
    Value value = TextValue(Text(std::vector<UInt8>(literal.begin(), literal.end())));
    // Without a closing quote the literal simply runs to the end.
    if (close <= end) {
        SkipBlanksFrom(at, close + 1);
    } else {
        MoveTo(at, end + 1);
    }
    return value;
}

// parenthesised := "(" blanks logical (")" | ",") blanks
[[gnu::noinline]] Value parser_Parenthesised(Cursor& at) {
    if (!EnterNesting(at, at.Position)) return Value{};
    Advance(at);
    Value value = parser_Logical(at);
    LeaveNesting(at);
    if (at.Character == ')' || at.Character == ',') {
        Advance(at);
    } else {
        parser_RaiseError(ClosingParenthesisError, at.Position);
    }
    return value;
}

// arguments := "(" blanks logical {"," blanks logical} ")" blanks
// Returns false when the nesting limit stopped the reading.
// Inlined into each call of a fixed count: one frame less per nesting level.
[[gnu::always_inline]] inline bool parser_Arguments(Cursor& at, std::span<Value> arguments) {
    if (at.Character != '(') {
        parser_RaiseError(OpeningParenthesisError, at.Position);
        return true;
    }
    if (!EnterNesting(at, at.Position)) return false;
    Advance(at);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        arguments[i] = parser_Logical(at);
        const bool lastArgument = i + 1 == arguments.size();
        if (at.Character == (lastArgument ? ')' : ',')) {
            Advance(at);
        } else {
            // Nothing is consumed; the next argument is read from here.
            parser_RaiseError(lastArgument ? ArgumentsEndError : CommaExpectedError, at.Position);
        }
    }
    LeaveNesting(at);
    return true;
}

// A call with its arguments in an array of their exact number: the values
// are cleared before they are read, and clearing four for every call showed
// in the profile.
template <std::size_t Count>
[[gnu::noinline]] Value CallWithArguments(Cursor& at, Int token) {
    std::array<Value, Count> arguments{};
    if (!parser_Arguments(at, arguments)) return Value{};
    return parser_CallBuiltin(at.Position, token, arguments);
}

// A call without arguments may still be written with "()".
Value CallWithoutArguments(Cursor& at, Int token) {
    if (at.Character == '(') {
        Advance(at);
        if (at.Character == ')') {
            Advance(at);
        } else {
            parser_RaiseError(ArgumentsEndError, at.Position);
        }
    }
    return parser_CallBuiltin(at.Position, token, {});
}

// call := name ["$"] blanks (["(" blanks ")" blanks] | arguments)
// The name of the function at `index` runs from the cursor to nameEnd.
[[gnu::noinline]] Value parser_FunctionCall(Cursor& at, Int index, Int nameEnd) {
    const parser_Function& entry = Parser().FunctionTable[static_cast<std::size_t>(index)];
    const Int token = entry.Token;
    SkipBlanksFrom(at, nameEnd);
    switch (std::clamp<Int>(entry.ParamCount, 0, MaxParamCount)) {
    case 1: return CallWithArguments<1>(at, token);
    case 2: return CallWithArguments<2>(at, token);
    case 3: return CallWithArguments<3>(at, token);
    case 4: return CallWithArguments<4>(at, token);
    default: return CallWithoutArguments(at, token);
    }
}

void ForgetCellReads() { Parser().CellReads.fill(parser_CellRead{}); }

// What a readable cell shows: its text, or its number read once per evaluation.
Value CellContents(Int index, const FormulaCell& cell) {
    if (cell.IsText) return TextValue(*cell.Contents);
    std::array<parser_CellRead, 4>& reads = Parser().CellReads;
    parser_CellRead& read = reads[static_cast<std::size_t>(index) % reads.size()];
    if (read.Index != index) read = {index, TextToNumber(*cell.Contents)};
    return Real(read.Number);
}

struct Reference {
    Int Index = -1;
    FormulaCell Cell;  // without contents when the name addresses no readable cell
};

Reference ReferencedCell(TextView name) {
    if (!Parser().CellReferencesEnabled) return {};
    const Int index = FormulaCellIndex(name);
    return {index, index >= 0 ? ReadFormulaCell(index) : FormulaCell{}};
}

void RaiseUnknownName(Int variableCount, Int position) {
    parser_RaiseError(variableCount >= VariableLimit ? VariableTableFullError : UnknownNameError, position);
}

// variable := name "$" blanks | name blanks
// The name runs from the cursor to nameEnd. A real name that is no variable
// may address a cell.
[[gnu::noinline]] Value parser_Variable(Cursor& at, Int nameEnd) {
    const Int start = at.Position;
    if (nameEnd == start) {
        parser_RaiseError(OperandExpectedError, start);
        return Value{};
    }
    const TextView name = View(start, nameEnd);
    const ParserState& parser = Parser();
    Value value;
    if (CharacterAt(nameEnd) == '$') {
        if (const Int found = parser_FindTextVariable(name); found > 0) {
            value = TextValue(parser.TextVariables[static_cast<std::size_t>(found)].Value);
        } else {
            RaiseUnknownName(parser.TextVariableCount, start);
        }
        SkipBlanksFrom(at, nameEnd + 1);
        return value;
    }
    if (const Int found = parser_FindNumericVariable(name); found > 0) {
        value = Real(parser.NumericVariables[static_cast<std::size_t>(found)].Value);
    } else if (const Reference reference = ReferencedCell(name); reference.Cell.Contents) {
        value = CellContents(reference.Index, reference.Cell);
    } else {
        RaiseUnknownName(parser.NumericVariableCount, start);
    }
    SkipBlanksFrom(at, nameEnd);
    return value;
}

// primary := numeral | string | parenthesised | pi blanks | call | variable
[[gnu::noinline]] Value parser_Primary(Cursor& at) {
    const UInt8 c = at.Character;
    if (IsDigit(c) || c == '.') return parser_Numeral(at);
    if (c == QuoteCharacter) return parser_StringLiteral(at);
    if (c == '(') return parser_Parenthesised(at);
    if (c == PiCharacter) {
        Advance(at);
        return Real(PiValue);
    }
    // A name is a function's with a "$" directly behind it, if there is one.
    const ScannedName name = parser_ScanName(Parser().ParserText, at.Position);
    const Int functionEnd = name.Dollar ? name.End + 1 : name.End;
    if (const Int index = parser_FindFunctionByKey(View(at.Position, functionEnd), name.Key); index > 0)
        return parser_FunctionCall(at, index, functionEnd);
    return parser_Variable(at, name.End);
}

// unary := ["-" | "!"] blanks primary
[[gnu::always_inline]] inline Value parser_Unary(Cursor& at) {
    const UInt8 sign = at.Character;
    if (sign != '-' && sign != '!') return parser_Primary(at);
    Advance(at);
    Value value = parser_Primary(at);
    ApplySign(sign, value, at);
    return value;
}

// power := unary {"^" blanks unary}
[[gnu::always_inline]] inline Value parser_Power(Cursor& at) {
    Value value = parser_Unary(at);
    while (at.Character == '^') {
        Advance(at);
        const Value right = parser_Unary(at);
        if (RightIsReal(right, at)) SetReal(value, std::pow(value.ValueNumeric, right.ValueNumeric));
    }
    return value;
}

// multiplicative := power {("*" | "/" | "%" | backslash | "<" blanks "<" | ">" blanks ">") blanks power}
[[gnu::always_inline]] inline Value parser_Multiplicative(Cursor& at) {
    Value value = parser_Power(at);
    while (const Int operatorEnd = MultiplicativeOperatorEnd(at)) {
        const UInt8 op = at.Character;
        SkipBlanksFrom(at, operatorEnd);
        const Value right = parser_Power(at);
        ApplyMultiplicative(op, value, right, at);
    }
    return value;
}

// additive := multiplicative {("+" | "-") blanks multiplicative}
[[gnu::always_inline]] inline Value parser_Additive(Cursor& at) {
    Value value = parser_Multiplicative(at);
    while (at.Character == '+' || at.Character == '-') {
        const UInt8 op = at.Character;
        Advance(at);
        const Value right = parser_Multiplicative(at);
        ApplyAdditive(op, value, right, at);
    }
    return value;
}

// comparison := additive {("!" | "#" | "<" | "=" | ">") blanks ["#" | "<" | "=" | ">"] blanks additive}
[[gnu::always_inline]] inline Value parser_Comparison(Cursor& at) {
    Value value = parser_Additive(at);
    while (const std::optional<ComparisonOperator> op = ReadComparisonOperator(at)) {
        MoveTo(at, op->OperandStart);
        const Value right = parser_Additive(at);
        ApplyComparison(*op, value, right, at);
    }
    return value;
}

// logical := comparison {("&" | "|" | "~") blanks [same blanks] comparison}
[[gnu::noinline]] Value parser_Logical(Cursor& at) {
    Value value = parser_Comparison(at);
    while (at.Character == '&' || at.Character == '|' || at.Character == '~') {
        const UInt8 op = at.Character;
        Advance(at);
        const bool doubled = at.Character == op;
        if (doubled) Advance(at);
        const Value right = parser_Comparison(at);
        ApplyLogical(op, doubled, value, right, at);
    }
    return value;
}

}  // namespace

std::optional<parser_UniversalType> CellValue(Int index) {
    const FormulaCell cell = ReadFormulaCell(index);
    if (!cell.Contents) return std::nullopt;
    return CellContents(index, cell);
}

parser_UniversalType parser_Evaluate(TextView formula) {
    ParserState& parser = Parser();
    std::vector<UInt8>& text = parser.ParserText.Elements;
    // Copied into the kept buffer, which a pass over the sheet then reuses;
    // a part of that buffer itself goes through a copy first.
    const std::less<const UInt8*> before;
    if (!formula.empty() && !before(formula.data(), text.data()) && before(formula.data(), text.data() + text.size())) {
        text = std::vector<UInt8>(formula.begin(), formula.end());
    } else {
        text.assign(formula.begin(), formula.end());
    }
    ForgetCellReads();
    parser.ParserTextEnd = static_cast<Int>(parser.ParserText.Size());
    parser.ParserErrorCode = 0;
    parser.ParserErrorPosition = 0;
    parser.ParserErrorCount = 0;
    Cursor at;
    SkipBlanksFrom(at, 1);
    parser.ParserResult = parser_Logical(at);
    // Checked by position rather than by a 0 byte, so that a 0 byte inside
    // the formula does not hide what follows it.
    if (!AtEnd(at.Position)) parser_RaiseError(LeftOverError, at.Position);
    return parser.ParserResult;
}

void parser_RaiseError(Int code, Int position) {
    ParserState& parser = Parser();
    if (parser.ParserErrorCode == 0) {
        parser.ParserErrorCode = code;
        parser.ParserErrorPosition = position;
    }
    ++parser.ParserErrorCount;
}

Int parser_ToInteger(double value) {
    // 2^63, the first magnitude beyond the signed 64-bit range.
    constexpr double Limit = 9223372036854775808.0;
    if (std::isnan(value) || value >= Limit || value <= -Limit) return std::numeric_limits<Int>::min();
    return static_cast<Int>(value);
}
