#include "formula/names.h"

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

}  // namespace

Text TextUpper(const Text& text) {
    Text folded;
    folded.Elements.reserve(text.Size());
    FoldedReader reader(text);
    for (int code = reader.Next(); code >= 0; code = reader.Next()) folded += static_cast<UInt8>(code);
    return folded;
}

UInt8 parser_FoldedFirstByte(TextView name) {
    if (name.empty()) return 0;
    return name[0] == SharpS ? static_cast<UInt8>('S') : parser_UpperCaseByte(name[0]);
}

int parser_CompareNames(TextView a, TextView b) {
    FoldedReader left(a);
    FoldedReader right(b);
    while (true) {
        const int l = left.Next();
        const int r = right.Next();
        if (l != r) return l < r ? -1 : 1;  // the end (-1) sorts before every byte
        if (l < 0) return 0;
    }
}
