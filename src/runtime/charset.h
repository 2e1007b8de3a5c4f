// Mapping between Unicode and the program's 8-bit character codes.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "runtime/text.h"

namespace charset_detail {
constexpr bool InRange(int code, int low, int high) { return code >= low && code <= high; }

// The case pairs: "a"-"z" and the Latin-1 letters whose upper-case form lies
// 32 below; 223, 229, 230, 247, 248 and 253-255 have no such form.
constexpr bool IsLowerCase(int code) {
    return InRange(code, 97, 122) || InRange(code, 224, 228) || InRange(code, 231, 246) || InRange(code, 249, 252);
}

constexpr std::array<UInt8, 256> CaseTable(int shift) {
    std::array<UInt8, 256> table{};
    for (int code = 0; code < 256; ++code) {
        const bool changes = shift < 0 ? IsLowerCase(code) : code + 32 < 256 && IsLowerCase(code + 32);
        table[static_cast<std::size_t>(code)] = static_cast<UInt8>(changes ? code + shift : code);
    }
    return table;
}
}  // namespace charset_detail

// The program's one pair of case maps over its 8-bit codes.
inline constexpr std::array<UInt8, 256> UpperCaseBytes = charset_detail::CaseTable(-32);
inline constexpr std::array<UInt8, 256> LowerCaseBytes = charset_detail::CaseTable(32);

struct ConvertResult {
    String Converted;         // every scalar below 256
    char32_t LastUnmapped;    // 0 when everything was mapped
};

// Unicode compatibility composition (NFKC); malformed UTF-8 stays as it is.
String CompatibilityComposed(const String& text);

// Brings a string into the program's codes (canonical composition first).
ConvertResult t_ConvertUniCode(const String& text);
// Replaces the font's line-drawing codes by look-alike characters.
String t_ExportText(const String& text);
// The character a program code looks like on the screen: the line-drawing
// codes as box-drawing characters, codes 0-31 as control pictures.
char32_t ShownCharacter(UInt8 code);
