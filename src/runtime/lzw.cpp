#include "runtime/lzw.h"

#include <unordered_map>

namespace lzw {
namespace {

// A dictionary entry is its prefix code plus one byte; strings are rebuilt
// by walking the prefix chain backwards.
struct Entry {
    std::uint32_t Prefix;
    std::uint8_t Last;
    std::uint8_t First;
    std::size_t Length;
};

class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Reads one code of the given width; false when too few bits remain.
    bool Read(int width, std::uint32_t& code) {
        if (bitPos_ + static_cast<std::size_t>(width) > size_ * 8) return false;
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i) {
            const std::size_t byte = bitPos_ >> 3;
            const int shift = 7 - static_cast<int>(bitPos_ & 7);
            value = (value << 1) | ((data_[byte] >> shift) & 1u);
            ++bitPos_;
        }
        code = value;
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t bitPos_ = 0;
};

class Dictionary {
public:
    Dictionary() {
        entries_.reserve(4096);
        for (std::uint32_t b = 0; b < 256; ++b)
            entries_.push_back({0, static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(b), 1});
    }
    std::uint32_t NextCode() const { return static_cast<std::uint32_t>(entries_.size()); }
    bool Has(std::uint32_t code) const { return code < entries_.size(); }
    const Entry& operator[](std::uint32_t code) const { return entries_[code]; }
    void Add(std::uint32_t prefix, std::uint8_t byte) {
        const Entry& p = entries_[prefix];
        entries_.push_back({prefix, byte, p.First, p.Length + 1});
    }

    // Writes the string of code into out at [pos, pos + length).
    void Write(std::uint32_t code, std::uint8_t* out) const {
        const Entry* e = &entries_[code];
        std::size_t i = e->Length;
        while (true) {
            out[--i] = e->Last;
            if (i == 0) break;
            e = &entries_[e->Prefix];
        }
    }

private:
    std::vector<Entry> entries_;
};

}  // namespace

DecodeResult Decode(const std::uint8_t* data, std::size_t size, std::size_t maxSize) {
    DecodeResult result;
    if (size == 0) return result;
    const int width = data[0];
    if (width < MinCodeWidth || width > MaxCodeWidth) {
        result.Status = DecodeStatus::BadCodeWidth;
        return result;
    }
    BitReader reader(data + 1, size - 1);
    std::uint32_t code = 0;
    if (!reader.Read(width, code)) return result;
    if (code > 255) {
        result.Status = DecodeStatus::BadCode;
        return result;
    }
    if (maxSize == 0) {
        result.Status = DecodeStatus::TooLarge;
        return result;
    }
    Dictionary dict;
    std::vector<std::uint8_t>& out = result.Bytes;
    out.push_back(static_cast<std::uint8_t>(code));
    std::uint32_t previous = code;
    while (reader.Read(width, code)) {
        const bool known = dict.Has(code);
        if (!known && code != dict.NextCode()) {
            result.Status = DecodeStatus::BadCode;
            out.clear();
            return result;
        }
        // The unknown-but-next case (w + first byte of w) is the entry the
        // Add below creates, so adding first lets both cases share Write.
        const std::uint8_t firstOfEntry = known ? dict[code].First : dict[previous].First;
        dict.Add(previous, firstOfEntry);
        const std::size_t length = dict[code].Length;
        if (length > maxSize || out.size() > maxSize - length) {
            result.Status = DecodeStatus::TooLarge;
            out.clear();
            out.shrink_to_fit();
            return result;
        }
        const std::size_t at = out.size();
        out.resize(at + length);
        dict.Write(code, out.data() + at);
        previous = code;
    }
    return result;
}

namespace {

class BitWriter {
public:
    void Write(std::uint32_t code, int width) {
        for (int i = width - 1; i >= 0; --i) {
            current_ = static_cast<std::uint8_t>((current_ << 1) | ((code >> i) & 1u));
            if (++bits_ == 8) Flush();
        }
    }
    std::vector<std::uint8_t> Finish() {
        if (bits_ > 0) {
            current_ = static_cast<std::uint8_t>(current_ << (8 - bits_));
            Flush();
        }
        return std::move(out_);
    }
    void PutByte(std::uint8_t b) { out_.push_back(b); }

private:
    void Flush() {
        out_.push_back(current_);
        current_ = 0;
        bits_ = 0;
    }
    std::vector<std::uint8_t> out_;
    std::uint8_t current_ = 0;
    int bits_ = 0;
};

}  // namespace

std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& bytes, int codeWidth) {
    if (codeWidth < 8 || codeWidth > MaxCodeWidth) return {};
    BitWriter writer;
    writer.PutByte(static_cast<std::uint8_t>(codeWidth));
    if (bytes.empty()) return writer.Finish();

    const std::uint32_t limit = 1u << codeWidth;
    std::unordered_map<std::uint64_t, std::uint32_t> codes;
    auto key = [](std::uint32_t prefix, std::uint8_t b) {
        return (static_cast<std::uint64_t>(prefix) << 8) | b;
    };
    std::uint32_t nextCode = 256;
    std::uint32_t w = bytes[0];
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        const std::uint8_t c = bytes[i];
        const auto found = codes.find(key(w, c));
        if (found != codes.end()) {
            w = found->second;
            continue;
        }
        writer.Write(w, codeWidth);
        // The decoder adds an entry for every code after the first, so the
        // numbering continues past the limit; those entries are just unusable.
        if (nextCode < limit) codes.emplace(key(w, c), nextCode);
        ++nextCode;
        w = c;
    }
    writer.Write(w, codeWidth);
    return writer.Finish();
}

}  // namespace lzw
