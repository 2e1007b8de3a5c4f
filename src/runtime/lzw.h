// Fixed-width LZW as used by compressed font files: no clear or end codes,
// a dictionary that starts with the 256 single bytes and grows from 256.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lzw {

// Largest output the decoder will produce. A short stream can describe a
// quadratic amount of data, so decoding stops (and fails) beyond this.
inline constexpr std::size_t MaxDecodedSize = 16u * 1024u * 1024u;

// Code widths a stream may declare.
inline constexpr int MinCodeWidth = 1;
inline constexpr int MaxCodeWidth = 24;

enum class DecodeStatus { Ok, BadCodeWidth, BadCode, TooLarge };

struct DecodeResult {
    DecodeStatus Status = DecodeStatus::Ok;
    std::vector<std::uint8_t> Bytes;  // empty unless Status is Ok
};

// Decodes a stream whose first byte is the code width in bits, followed by
// the codes packed most significant bit first. Trailing bits that do not
// fill a code are ignored. An empty stream decodes to nothing.
DecodeResult Decode(const std::uint8_t* data, std::size_t size,
                    std::size_t maxSize = MaxDecodedSize);

// Encodes bytes into the stream Decode reads back (code width byte first).
std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& bytes, int codeWidth);

}  // namespace lzw
