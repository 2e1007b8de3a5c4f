#include "formula/lexical.h"

#include "formula/names.h"

namespace {

bool IsDigit(UInt8 code) { return code >= '0' && code <= '9'; }

bool IsHexLetter(UInt8 code) { return (code >= 'A' && code <= 'F') || (code >= 'a' && code <= 'f'); }

}  // namespace

UInt8 parser_CharacterAt(const Text& formula, Int position) {
    if (position < 1 || position > static_cast<Int>(formula.Size())) return 0;
    return formula[static_cast<std::size_t>(position - 1)];
}

bool parser_IsNameStart(UInt8 code) { return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z'); }

bool parser_IsNameCharacter(UInt8 code) {
    const UInt8 upper = parser_UpperCaseByte(code);
    return (upper >= 'A' && upper <= 'Z') || IsDigit(upper) || upper == '_';
}

Int parser_ScanName(const Text& formula, Int position) {
    if (!parser_IsNameStart(parser_CharacterAt(formula, position))) return position;
    Int end = position + 1;
    while (end <= static_cast<Int>(formula.Size()) && parser_IsNameCharacter(parser_CharacterAt(formula, end))) ++end;
    return end;
}

DigitRun parser_ScanDigitRun(const Text& formula, Int position) {
    const Int length = static_cast<Int>(formula.Size());
    if (position < 1 || position > length) return {position, 0, false};
    const bool startsWithZero = parser_CharacterAt(formula, position) == '0';
    Int p = position + 1;
    bool hexadecimal = false;
    if (parser_CharacterAt(formula, p) == 'x') {
        hexadecimal = startsWithZero;
        ++p;
    }
    while (p <= length) {
        const UInt8 c = parser_CharacterAt(formula, p);
        if (!IsDigit(c) && c != BlankCharacter && !(hexadecimal && IsHexLetter(c))) break;
        ++p;
    }
    return {p, parser_CharacterAt(formula, p), hexadecimal};
}
