#include "formula/lexical.h"

#include "formula/names.h"

namespace {

bool IsHexLetter(UInt8 code) { return (code >= 'A' && code <= 'F') || (code >= 'a' && code <= 'f'); }

}  // namespace

ScannedName parser_ScanName(TextView formula, Int position) {
    // Name characters never fold to 0 and never include the sharp s, which
    // folds to two bytes: the key is simply the upper-case bytes.
    constexpr Int KeyBytes = 8;
    const auto length = static_cast<Int>(formula.size());
    std::uint64_t key = 0;
    Int end = position;
    const auto take = [&key, &end, position](UInt8 upper) {
        const Int index = end - position;
        if (index < KeyBytes) key |= static_cast<std::uint64_t>(upper) << (8 * (KeyBytes - 1 - index));
        ++end;
    };
    if (parser_IsNameStart(parser_CharacterAt(formula, position))) {
        take(parser_UpperCaseByte(formula[static_cast<std::size_t>(position - 1)]));
        while (end <= length && parser_IsNameCharacter(formula[static_cast<std::size_t>(end - 1)]))
            take(parser_UpperCaseByte(formula[static_cast<std::size_t>(end - 1)]));
    }
    ScannedName name;
    name.End = end;
    name.Dollar = parser_CharacterAt(formula, end) == '$';
    if (name.Dollar) take('$');
    if (end - position <= KeyBytes) name.Key = key;
    return name;
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
