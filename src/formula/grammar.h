// The grammar of formulas as one recursive-descent reader, written once for
// two modes: one computes each value as soon as it has read it (the
// evaluator), the other writes down what to compute, in the same order, for
// a compiled formula to run again and again. A mode provides a Slot (what a
// level gives back: a value, or a placeholder while compiling) and one
// function for each thing the reader meets; parse errors go through the
// mode too, so that both modes raise the same errors in the same order.
// The formula being read is Parser().ParserText; positions count from 1.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "formula/builtins.h"
#include "formula/errors.h"
#include "formula/evaluation.h"
#include "formula/function_table.h"
#include "formula/lexical.h"
#include "formula/operations.h"
#include "formula/parser_state.h"
#include "numbers/number_format.h"

namespace grammar {

// A numeral this long or longer is refused.
inline constexpr Int NumeralLengthLimit = 28;

// Where the reader stands: a position counted from 1, the byte there (0 past
// the end) and how many parentheses and argument lists are open around it.
struct Cursor {
    Int Position = 1;
    UInt8 Character = 0;
    Int Depth = 0;
};

inline UInt8 CharacterAt(Int position) { return parser_CharacterAt(Parser().ParserText, position); }

inline bool IsHexDigit(UInt8 code) {
    return IsDigit(code) || (code >= 'A' && code <= 'F') || (code >= 'a' && code <= 'f');
}

// The bytes from position `from` up to, not including, position `to`.
inline TextView View(Int from, Int to) {
    return TextView(Parser().ParserText).subspan(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from));
}

// The first position from `position` on that holds no blank.
inline Int NonBlankFrom(Int position) {
    const TextView formula = Parser().ParserText;
    const auto end = static_cast<Int>(formula.size());
    while (position >= 1 && position <= end && formula[static_cast<std::size_t>(position - 1)] == BlankCharacter)
        ++position;
    return position;
}

inline void MoveTo(Cursor& at, Int position) {
    at.Position = position;
    at.Character = CharacterAt(position);
}

// Stands on the first non-blank from `position` on.
inline void SkipBlanksFrom(Cursor& at, Int position) { MoveTo(at, NonBlankFrom(position)); }

// Steps past the current character and the blanks after it.
inline void Advance(Cursor& at) { SkipBlanksFrom(at, at.Position + 1); }

// The comparison operator at the cursor, if one is there for this level.
[[gnu::noinline]] inline std::optional<ComparisonOperator> ReadComparisonOperator(const Cursor& at) {
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

// The position after the multiplicative operator at the cursor, 0 when none
// is there. A single "<" or ">" is a comparison, left for that level.
inline Int MultiplicativeOperatorEnd(const Cursor& at) {
    const UInt8 op = at.Character;
    if (op == '*' || op == '/' || op == '%' || op == '\\') return at.Position + 1;
    if (op != '<' && op != '>') return 0;
    const Int second = NonBlankFrom(at.Position + 1);
    return CharacterAt(second) == op ? second + 1 : 0;
}

// Opens one level of parentheses or arguments at the "(" at openPosition.
// Past the limit the rest of the formula is left unread, because reading it
// would need the very stack depth the limit protects.
template <class Mode>
bool EnterNesting(Mode& mode, Cursor& at, Int openPosition) {
    if (at.Depth >= MaxNestingDepth) {
        mode.Raise(NestingTooDeepError, openPosition);
        MoveTo(at, Parser().ParserTextEnd + 1);
        return false;
    }
    ++at.Depth;
    return true;
}

inline void LeaveNesting(Cursor& at) { --at.Depth; }

template <class Mode>
typename Mode::Slot Logical(Mode& mode, Cursor& at);

// The hexadecimal digits from `first` to `last`, accumulated modulo 2^64 like
// the 64-bit integer they stand for; 0 with error 18 when there are none or
// another character is among them.
template <class Mode>
Int HexadecimalValue(Mode& mode, Int first, Int last, Int numeralStart) {
    if (first > last) {
        mode.Raise(HexadecimalError, numeralStart);
        return 0;
    }
    std::uint64_t number = 0;
    for (Int p = first; p <= last; ++p) {
        const UInt8 c = CharacterAt(p);
        if (!IsHexDigit(c)) {
            mode.Raise(HexadecimalError, numeralStart);
            return 0;
        }
        const unsigned digit = IsDigit(c) ? c - '0' : (c | 0x20u) - 'a' + 10;
        number = number * 16 + digit;
    }
    return static_cast<Int>(number);
}

// numeral := run ["." run] [("e" | "E") run [("+" | "-") run]]
// Each run steps over blanks; "0x" makes the first one hexadecimal.
template <class Mode>
[[gnu::noinline]] typename Mode::Slot Numeral(Mode& mode, Cursor& at) {
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
            if (!digits) mode.Raise(ExponentDigitsError, sign + 1);
        }
    }
    const Int stop = run.StopPosition;
    MoveTo(at, stop);
    // A stop at "." is a second point, however long the numeral.
    if (run.StopCharacter == '.') {
        mode.Raise(SecondPointError, stop);
        return mode.Nothing();
    }
    if (stop - start >= NumeralLengthLimit) {
        mode.Raise(BeyondLimitsError, start);
        return mode.Nothing();
    }
    Int first = start;
    Int last = stop - 1;
    while (first <= last && CharacterAt(first) == BlankCharacter) ++first;
    while (last >= first && CharacterAt(last) == BlankCharacter) --last;
    if (last - first >= 1 && CharacterAt(first) == '0' && CharacterAt(first + 1) == 'x')
        return mode.Number(static_cast<double>(HexadecimalValue(mode, first + 2, last, start)));
    return mode.Number(TextToNumber(View(first, last + 1)));
}

// string := '"' {byte} ['"' blanks]
template <class Mode>
[[gnu::noinline]] typename Mode::Slot StringLiteral(Mode& mode, Cursor& at) {
    const Int end = Parser().ParserTextEnd;
    if (at.Position == end) {
        mode.Raise(LoneQuoteError, at.Position);
        MoveTo(at, end + 1);
        return mode.Nothing();
    }
    Int close = at.Position + 1;
    while (close <= end && CharacterAt(close) != QuoteCharacter) ++close;
    typename Mode::Slot value = mode.Literal(View(at.Position + 1, close));
    // Without a closing quote the literal simply runs to the end.
    if (close <= end) {
        SkipBlanksFrom(at, close + 1);
    } else {
        MoveTo(at, end + 1);
    }
    return value;
}

// parenthesised := "(" blanks logical (")" | ",") blanks
template <class Mode>
[[gnu::noinline]] typename Mode::Slot Parenthesised(Mode& mode, Cursor& at) {
    if (!EnterNesting(mode, at, at.Position)) return mode.Nothing();
    Advance(at);
    typename Mode::Slot value = Logical(mode, at);
    LeaveNesting(at);
    if (at.Character == ')' || at.Character == ',') {
        Advance(at);
    } else {
        mode.Raise(ClosingParenthesisError, at.Position);
    }
    return value;
}

// arguments := "(" blanks logical {"," blanks logical} ")" blanks
// Returns false when the nesting limit stopped the reading.
// Inlined into each call of a fixed count: one frame less per nesting level.
template <class Mode>
[[gnu::always_inline]] inline bool Arguments(Mode& mode, Cursor& at, std::span<typename Mode::Slot> arguments) {
    if (at.Character != '(') {
        mode.Raise(OpeningParenthesisError, at.Position);
        return true;
    }
    if (!EnterNesting(mode, at, at.Position)) return false;
    Advance(at);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        arguments[i] = Logical(mode, at);
        const bool lastArgument = i + 1 == arguments.size();
        if (at.Character == (lastArgument ? ')' : ',')) {
            Advance(at);
        } else {
            // Nothing is consumed; the next argument is read from here.
            mode.Raise(lastArgument ? ArgumentsEndError : CommaExpectedError, at.Position);
        }
    }
    LeaveNesting(at);
    return true;
}

// A call with its arguments in an array of their exact number: the values
// are cleared before they are read, and clearing four for every call showed
// in the profile. Without the arguments read (the nesting limit), no value.
template <class Mode, std::size_t Count>
[[gnu::noinline]] typename Mode::Slot CallWithArguments(Mode& mode, Cursor& at, Int token) {
    std::array<typename Mode::Slot, Count> arguments{};
    if (!Arguments(mode, at, std::span<typename Mode::Slot>(arguments))) return mode.Nothing();
    return mode.Call(at.Position, token, std::span<typename Mode::Slot>(arguments));
}

// A call without arguments may still be written with "()".
template <class Mode>
typename Mode::Slot CallWithoutArguments(Mode& mode, Cursor& at, Int token) {
    if (at.Character == '(') {
        Advance(at);
        if (at.Character == ')') {
            Advance(at);
        } else {
            mode.Raise(ArgumentsEndError, at.Position);
        }
    }
    return mode.Call(at.Position, token, std::span<typename Mode::Slot>());
}

// call := name ["$"] blanks (["(" blanks ")" blanks] | arguments)
// The name of the function at `index` runs from the cursor to nameEnd.
template <class Mode>
[[gnu::noinline]] typename Mode::Slot FunctionCall(Mode& mode, Cursor& at, Int index, Int nameEnd) {
    const parser_Function& entry = Parser().FunctionTable[static_cast<std::size_t>(index)];
    const Int token = entry.Token;
    SkipBlanksFrom(at, nameEnd);
    switch (std::clamp<Int>(entry.ParamCount, 0, MaxParamCount)) {
    case 1: return CallWithArguments<Mode, 1>(mode, at, token);
    case 2: return CallWithArguments<Mode, 2>(mode, at, token);
    case 3: return CallWithArguments<Mode, 3>(mode, at, token);
    case 4: return CallWithArguments<Mode, 4>(mode, at, token);
    default: return CallWithoutArguments(mode, at, token);
    }
}

// variable := name "$" blanks | name blanks
// The name runs from the cursor to nameEnd.
template <class Mode>
[[gnu::noinline]] typename Mode::Slot Variable(Mode& mode, Cursor& at, Int nameEnd) {
    const Int start = at.Position;
    if (nameEnd == start) {
        mode.Raise(OperandExpectedError, start);
        return mode.Nothing();
    }
    const bool dollar = CharacterAt(nameEnd) == '$';
    typename Mode::Slot value = mode.Name(start, nameEnd, dollar);
    SkipBlanksFrom(at, dollar ? nameEnd + 1 : nameEnd);
    return value;
}

// primary := numeral | string | parenthesised | pi blanks | call | variable
template <class Mode>
[[gnu::noinline]] typename Mode::Slot Primary(Mode& mode, Cursor& at) {
    const UInt8 c = at.Character;
    if (IsDigit(c) || c == '.') return Numeral(mode, at);
    if (c == QuoteCharacter) return StringLiteral(mode, at);
    if (c == '(') return Parenthesised(mode, at);
    if (c == PiCharacter) {
        Advance(at);
        return mode.Number(PiValue);
    }
    // A name is a function's with a "$" directly behind it, if there is one.
    const ScannedName name = parser_ScanName(Parser().ParserText, at.Position);
    const Int functionEnd = name.Dollar ? name.End + 1 : name.End;
    if (const Int index = parser_FindFunctionByKey(View(at.Position, functionEnd), name.Key); index > 0)
        return FunctionCall(mode, at, index, functionEnd);
    return Variable(mode, at, name.End);
}

// unary := ["-" | "!"] blanks primary
template <class Mode>
[[gnu::always_inline]] inline typename Mode::Slot Unary(Mode& mode, Cursor& at) {
    const UInt8 sign = at.Character;
    if (sign != '-' && sign != '!') return Primary(mode, at);
    Advance(at);
    typename Mode::Slot value = Primary(mode, at);
    mode.Sign(sign, value, at.Position);
    return value;
}

// power := unary {"^" blanks unary}
template <class Mode>
[[gnu::always_inline]] inline typename Mode::Slot Power(Mode& mode, Cursor& at) {
    typename Mode::Slot value = Unary(mode, at);
    while (at.Character == '^') {
        Advance(at);
        const typename Mode::Slot right = Unary(mode, at);
        mode.Power(value, right, at.Position);
    }
    return value;
}

// multiplicative := power {("*" | "/" | "%" | backslash | "<" blanks "<" | ">" blanks ">") blanks power}
template <class Mode>
[[gnu::always_inline]] inline typename Mode::Slot Multiplicative(Mode& mode, Cursor& at) {
    typename Mode::Slot value = Power(mode, at);
    while (const Int operatorEnd = MultiplicativeOperatorEnd(at)) {
        const UInt8 op = at.Character;
        SkipBlanksFrom(at, operatorEnd);
        const typename Mode::Slot right = Power(mode, at);
        mode.Multiplicative(op, value, right, at.Position);
    }
    return value;
}

// additive := multiplicative {("+" | "-") blanks multiplicative}
template <class Mode>
[[gnu::always_inline]] inline typename Mode::Slot Additive(Mode& mode, Cursor& at) {
    typename Mode::Slot value = Multiplicative(mode, at);
    while (at.Character == '+' || at.Character == '-') {
        const UInt8 op = at.Character;
        Advance(at);
        const typename Mode::Slot right = Multiplicative(mode, at);
        mode.Additive(op, value, right, at.Position);
    }
    return value;
}

// comparison := additive {("!" | "#" | "<" | "=" | ">") blanks ["#" | "<" | "=" | ">"] blanks additive}
template <class Mode>
[[gnu::always_inline]] inline typename Mode::Slot Comparison(Mode& mode, Cursor& at) {
    typename Mode::Slot value = Additive(mode, at);
    while (const std::optional<ComparisonOperator> op = ReadComparisonOperator(at)) {
        MoveTo(at, op->OperandStart);
        const typename Mode::Slot right = Additive(mode, at);
        mode.Comparison(*op, value, right, at.Position);
    }
    return value;
}

// logical := comparison {("&" | "|" | "~") blanks [same blanks] comparison}
template <class Mode>
[[gnu::noinline]] typename Mode::Slot Logical(Mode& mode, Cursor& at) {
    typename Mode::Slot value = Comparison(mode, at);
    while (at.Character == '&' || at.Character == '|' || at.Character == '~') {
        const UInt8 op = at.Character;
        Advance(at);
        const bool doubled = at.Character == op;
        if (doubled) Advance(at);
        const typename Mode::Slot right = Comparison(mode, at);
        mode.Logical(op, doubled, value, right, at.Position);
    }
    return value;
}

// A whole formula, already in Parser().ParserText: read, with the error for
// whatever is left over behind the last operand.
template <class Mode>
typename Mode::Slot Formula(Mode& mode) {
    Cursor at;
    SkipBlanksFrom(at, 1);
    typename Mode::Slot value = Logical(mode, at);
    // Checked by position rather than by a 0 byte, so that a 0 byte inside
    // the formula does not hide what follows it.
    if (at.Position <= Parser().ParserTextEnd) mode.Raise(LeftOverError, at.Position);
    return value;
}

}  // namespace grammar
