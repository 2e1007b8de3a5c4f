#include "formula/names.h"

#include <algorithm>

namespace {

constexpr UInt8 SharpS = 223;

// Reads a Text as its folded byte sequence, one byte at a time.
class FoldedReader {
public:
    explicit FoldedReader(TextView text) : text_(text) {}

    // The next folded byte, or -1 at the end.
    int Next() {
        if (pendingS_) {
            pendingS_ = false;
            return 'S';
        }
        if (index_ >= text_.size()) return -1;
        const UInt8 code = text_[index_++];
        if (code == SharpS) {
            pendingS_ = true;
            return 'S';
        }
        return parser_UpperCaseByte(code);
    }

private:
    TextView text_;
    std::size_t index_ = 0;
    bool pendingS_ = false;
};

// The general comparison, reading both folded forms a byte at a time.
int CompareFolded(TextView a, TextView b) {
    FoldedReader left(a);
    FoldedReader right(b);
    while (true) {
        const int l = left.Next();
        const int r = right.Next();
        if (l != r) return l < r ? -1 : 1;  // the end (-1) sorts before every byte
        if (l < 0) return 0;
    }
}

}  // namespace

Text TextUpper(const Text& text) {
    Text folded;
    folded.Elements.reserve(text.Size());
    FoldedReader reader(text);
    for (int code = reader.Next(); code >= 0; code = reader.Next()) folded += static_cast<UInt8>(code);
    return folded;
}

std::optional<std::uint64_t> parser_NameKey(TextView name) {
    constexpr int KeyBytes = 8;
    std::uint64_t key = 0;
    int shift = 8 * (KeyBytes - 1);
    const auto put = [&key, &shift](UInt8 folded) {
        if (folded == 0 || shift < 0) return false;
        key |= static_cast<std::uint64_t>(folded) << shift;
        shift -= 8;
        return true;
    };
    for (const UInt8 code : name) {
        const bool fits = code == SharpS ? put('S') && put('S') : put(parser_UpperCaseByte(code));
        if (!fits) return std::nullopt;
    }
    return key;
}

int parser_CompareNames(TextView a, TextView b) {
    // Byte for byte while no sharp s is involved; it folds to two bytes,
    // and only then is the general reader needed.
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == SharpS || b[i] == SharpS) return CompareFolded(a, b);
        const UInt8 l = parser_UpperCaseByte(a[i]);
        const UInt8 r = parser_UpperCaseByte(b[i]);
        if (l != r) return l < r ? -1 : 1;
    }
    // The rest of the longer name folds to at least one byte.
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}
