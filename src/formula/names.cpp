#include "formula/names.h"

#include <array>

namespace {

constexpr UInt8 SharpS = 223;

constexpr bool InRange(int code, int low, int high) { return code >= low && code <= high; }

// "a"-"z" and the Latin-1 lower-case letters whose upper-case form lies 32
// below; 223, 229, 230, 247, 248 and 253-255 have no such form.
constexpr std::array<UInt8, 256> UpperCaseBytes = [] {
    std::array<UInt8, 256> table{};
    for (int code = 0; code < 256; ++code) {
        const bool lower = InRange(code, 97, 122) || InRange(code, 224, 228) || InRange(code, 231, 246) ||
                           InRange(code, 249, 252);
        table[static_cast<std::size_t>(code)] = static_cast<UInt8>(lower ? code - 32 : code);
    }
    return table;
}();

// Reads a Text as its folded byte sequence, one byte at a time.
class FoldedReader {
public:
    explicit FoldedReader(const Text& text) : text_(text) {}

    // The next folded byte, or -1 at the end.
    int Next() {
        if (pendingS_) {
            pendingS_ = false;
            return 'S';
        }
        if (index_ >= text_.Size()) return -1;
        const UInt8 code = text_[index_++];
        if (code == SharpS) {
            pendingS_ = true;
            return 'S';
        }
        return parser_UpperCaseByte(code);
    }

private:
    const Text& text_;
    std::size_t index_ = 0;
    bool pendingS_ = false;
};

}  // namespace

UInt8 parser_UpperCaseByte(UInt8 code) { return UpperCaseBytes[code]; }

Text TextUpper(const Text& text) {
    Text folded;
    folded.Elements.reserve(text.Size());
    FoldedReader reader(text);
    for (int code = reader.Next(); code >= 0; code = reader.Next()) folded += static_cast<UInt8>(code);
    return folded;
}

int parser_CompareNames(const Text& a, const Text& b) {
    FoldedReader left(a);
    FoldedReader right(b);
    while (true) {
        const int l = left.Next();
        const int r = right.Next();
        if (l != r) return l < r ? -1 : 1;  // the end (-1) sorts before every byte
        if (l < 0) return 0;
    }
}
