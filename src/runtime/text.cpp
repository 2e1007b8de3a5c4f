#include "runtime/text.h"

#include <algorithm>

#include "platform/log.h"

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Length of the UTF-8 sequence led by b, 0 when b cannot lead one.
int SequenceLength(unsigned char b) {
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) return 2;
    if (b >= 0xE0 && b <= 0xEF) return 3;
    if (b >= 0xF0 && b <= 0xF4) return 4;
    return 0;
}

}  // namespace

char32_t NextScalar(std::string_view utf8, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = SequenceLength(lead);
    if (length == 0 || i + static_cast<std::size_t>(length) > utf8.size()) {
        ++i;
        return Replacement;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = true;
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) valid = false;
        c = (c << 6) | (b & 0x3F);
    }
    const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    if (!valid || overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return Replacement;
    }
    i += static_cast<std::size_t>(length);
    return c;
}

std::u32string Scalars(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        // ASCII, most of any text, needs no decoding.
        if (byte < 0x80) {
            out += static_cast<char32_t>(byte);
            ++i;
        } else {
            out += NextScalar(utf8, i);
        }
    }
    return out;
}

void AppendUtf8(String& s, char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = Replacement;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
}

String Utf8(char32_t c) {
    String s;
    AppendUtf8(s, c);
    return s;
}

String Utf8(std::u32string_view scalars) {
    String s;
    s.reserve(scalars.size());
    for (char32_t c : scalars) AppendUtf8(s, c);
    return s;
}

std::size_t ScalarCount(std::string_view utf8) { return Scalars(utf8).size(); }

String TextToString(const Text& text) {
    String s;
    s.reserve(text.Size());
    for (UInt8 code : text.Elements) AppendUtf8(s, static_cast<char32_t>(code));
    return s;
}

Int position(TextView text, TextView pattern, Int start) {
    if (start < 1) {
        const Text shown(CodeBuffer(pattern.begin(), pattern.end()));
        LogLine("position: Startposition must be >= 1 (" + TextToString(shown) + ")");
        return 0;
    }
    const auto from = static_cast<std::size_t>(start - 1);
    if (pattern.empty() || from >= text.size() || pattern.size() > text.size() - from) return 0;
    const auto found =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), pattern.begin(), pattern.end());
    return found == text.end() ? 0 : static_cast<Int>(found - text.begin()) + 1;
}
