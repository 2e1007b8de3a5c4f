#include "formula/lexical.h"

#include "formula/names.h"

namespace {

bool IsDigit(UInt8 code) { return code >= '0' && code <= '9'; }

bool IsHexLetter(UInt8 code) { return (code >= 'A' && code <= 'F') || (code >= 'a' && code <= 'f'); }

}  // namespace

Int parser_ScanName(TextView formula, Int position) {
    if (!parser_IsNameStart(parser_CharacterAt(formula, position))) return position;
    const auto length = static_cast<Int>(formula.size());
    Int end = position + 1;
    while (end <= length && parser_IsNameCharacter(formula[static_cast<std::size_t>(end - 1)])) ++end;
    return end;
}

DigitRun parser_ScanDigitRun(TextView formula, Int position) {
    const Int length = static_cast<Int>(formula.size());
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
