// Lexical pieces of a formula shared by the parser: character codes, the
// name scanner and the digit-run scanner of numerals. Positions count from 1.
#pragma once

#include <cstdint>
#include <optional>

#include "formula/names.h"
#include "runtime/text.h"
#include "runtime/types.h"

inline constexpr UInt8 BlankCharacter = 32;
inline constexpr UInt8 QuoteCharacter = 34;
// A primary of its own standing for pi.
inline constexpr UInt8 PiCharacter = 240;
inline constexpr double PiValue = 3.141592653589793;

// The byte at a 1-based position, 0 outside the formula.
inline UInt8 parser_CharacterAt(TextView formula, Int position) {
    if (position < 1 || position > static_cast<Int>(formula.size())) return 0;
    return formula[static_cast<std::size_t>(position - 1)];
}

inline bool parser_IsNameStart(UInt8 code) { return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z'); }

// Letters, digits and "_", tested after upper-casing (parser_UpperCaseByte).
inline bool parser_IsNameCharacter(UInt8 code) {
    const UInt8 upper = parser_UpperCaseByte(code);
    return (upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9') || upper == '_';
}

// The name starting at position, with what the function lookup needs, read
// in one pass: every operand of a formula that is not a number starts here.
struct ScannedName {
    // The position after the name; position itself when no name starts
    // there. A following "$" is not part of it.
    Int End = 0;
    bool Dollar = false;  // a "$" follows directly, and belongs to a function name
    // parser_NameKey of the name with that "$"; empty when it is too long.
    std::optional<std::uint64_t> Key;
};
ScannedName parser_ScanName(TextView formula, Int position);

struct DigitRun {
    Int StopPosition;       // the first position not taken
    UInt8 StopCharacter;    // the byte there, 0 past the end
    bool Hexadecimal;       // the run began with "0x"
};

// One run of a numeral: the character at position whatever it is, then an
// "x" directly after it, then digits, stepping over blanks; the letters
// A-F and a-f only when the run began with "0x".
DigitRun parser_ScanDigitRun(TextView formula, Int position);
