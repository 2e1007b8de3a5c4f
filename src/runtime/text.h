// The program's strings: Text holds 8-bit character codes; String is a
// host string (UTF-8) whose length counts Unicode scalars.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "runtime/code_buffer.h"
#include "runtime/types.h"

using String = std::string;

// The codes '0' to '9'.
constexpr bool IsDigit(char32_t code) { return code >= '0' && code <= '9'; }

// A read-only run of 8-bit codes: a whole Text or a part of one, passed to
// readers so that a part need not be copied out first.
using TextView = std::span<const UInt8>;

struct Text {
    CodeBuffer Elements;

    Text() = default;
    Text(std::initializer_list<UInt8> codes) : Elements(codes) {}
    explicit Text(CodeBuffer codes) : Elements(std::move(codes)) {}
    // Each byte of the view becomes one code.
    static Text FromBytes(std::string_view bytes) { return Text(CodeBuffer(bytes.begin(), bytes.end())); }

    // Implicit, so that every reader taking a view also takes a Text.
    operator TextView() const { return Elements; }  // NOLINT(google-explicit-constructor)
    std::size_t Size() const { return Elements.size(); }
    bool Empty() const { return Elements.empty(); }
    UInt8 operator[](std::size_t i) const { return Elements[i]; }
    Text& operator+=(const Text& other) {
        Elements.insert(Elements.end(), other.Elements.begin(), other.Elements.end());
        return *this;
    }
    Text& operator+=(UInt8 code) {
        Elements.push_back(code);
        return *this;
    }
    friend Text operator+(Text a, const Text& b) { return a += b; }
    friend bool operator==(const Text&, const Text&) = default;
};

// UTF-8 <-> Unicode scalars. Malformed UTF-8 decodes to U+FFFD per bad byte.
std::u32string Scalars(std::string_view utf8);
// The scalar at byte i of a non-empty rest (i < size), and i moved past it.
char32_t NextScalar(std::string_view utf8, std::size_t& i);
String Utf8(std::u32string_view scalars);
String Utf8(char32_t scalar);
// Adds the scalar's UTF-8 (U+FFFD for a surrogate or a value past U+10FFFF).
void AppendUtf8(String& utf8, char32_t scalar);
// Number of Unicode scalars in a UTF-8 string.
std::size_t ScalarCount(std::string_view utf8);
// The codes of a Text as a String, each code the scalar of the same value.
String TextToString(const Text& text);

// The 1-based place of the first whole occurrence of pattern in text at or
// after start; 0 when there is none or the pattern is empty. A start below
// 1 is logged and gives 0.
Int position(TextView text, TextView pattern, Int start);
