#include "runtime/lzw.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// Packs codes of one width most significant bit first, after the width byte.
std::vector<std::uint8_t> Pack(int width, const std::vector<std::uint32_t>& codes) {
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(width)};
    std::uint32_t acc = 0;
    int bits = 0;
    for (std::uint32_t code : codes) {
        for (int i = width - 1; i >= 0; --i) {
            acc = (acc << 1) | ((code >> i) & 1u);
            if (++bits == 8) {
                out.push_back(static_cast<std::uint8_t>(acc));
                acc = 0;
                bits = 0;
            }
        }
    }
    if (bits > 0) out.push_back(static_cast<std::uint8_t>(acc << (8 - bits)));
    return out;
}

lzw::DecodeResult DecodeAll(const std::vector<std::uint8_t>& s) { return lzw::Decode(s.data(), s.size()); }

TEST(Lzw, DecodesHandPackedStreamsIncludingTheNextCodeCase) {
    // "ABABABA": A B 256(AB) 258(ABA, the code being defined).
    const auto result = DecodeAll(Pack(9, {'A', 'B', 256, 258}));
    ASSERT_EQ(result.status, lzw::DecodeStatus::Ok);
    EXPECT_EQ(result.bytes, Bytes("ABABABA"));
    // Twelve-bit codes across byte boundaries.
    EXPECT_EQ(DecodeAll(Pack(12, {'x', 'y', 'z', 256})).bytes, Bytes("xyzxy"));
}

TEST(Lzw, EmptyAndShortStreamsDecodeToNothing) {
    EXPECT_EQ(lzw::Decode(nullptr, 0).status, lzw::DecodeStatus::Ok);
    EXPECT_TRUE(lzw::Decode(nullptr, 0).bytes.empty());
    const std::vector<std::uint8_t> widthOnly{12, 0xAB};  // 8 bits: less than one code
    const auto result = DecodeAll(widthOnly);
    EXPECT_EQ(result.status, lzw::DecodeStatus::Ok);
    EXPECT_TRUE(result.bytes.empty());
}

TEST(Lzw, RefusesBadWidthsAndCodes) {
    EXPECT_EQ(DecodeAll({0, 1, 2}).status, lzw::DecodeStatus::BadCodeWidth);
    EXPECT_EQ(DecodeAll({25, 1, 2, 3, 4}).status, lzw::DecodeStatus::BadCodeWidth);
    EXPECT_EQ(DecodeAll(Pack(24, {'a', 'b'})).status, lzw::DecodeStatus::Ok);
    // First code is not a byte.
    EXPECT_EQ(DecodeAll(Pack(9, {300})).status, lzw::DecodeStatus::BadCode);
    // A code beyond the next free one.
    const auto bad = DecodeAll(Pack(9, {'a', 'b', 300}));
    EXPECT_EQ(bad.status, lzw::DecodeStatus::BadCode);
    EXPECT_TRUE(bad.bytes.empty());
}

TEST(Lzw, CapsTheQuadraticBlowUpOfShortStreams) {
    // Each code repeats the newest entry, so n codes give about n^2/2 bytes.
    std::vector<std::uint32_t> codes{'a'};
    for (std::uint32_t c = 256; c < 256 + 20000; ++c) codes.push_back(c);
    const auto stream = Pack(16, codes);
    EXPECT_LT(stream.size(), 50000u);
    const auto result = lzw::Decode(stream.data(), stream.size(), 1 << 20);
    EXPECT_EQ(result.status, lzw::DecodeStatus::TooLarge);
    EXPECT_TRUE(result.bytes.empty());
}

TEST(Lzw, EncoderRoundTripsAtEveryWidthEvenWhenTheDictionaryFills) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> text;
    for (int i = 0; i < 20000; ++i) text.push_back(static_cast<std::uint8_t>("ab  cd\0\xff"[random() % 8]));
    std::vector<std::uint8_t> noise(5000);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    for (const auto& input : {text, noise, Bytes("x"), Bytes("")}) {
        for (int width : {8, 9, 12, 16, 24}) {
            const auto encoded = lzw::Encode(input, width);
            ASSERT_EQ(encoded.at(0), width);
            const auto decoded = DecodeAll(encoded);
            ASSERT_EQ(decoded.status, lzw::DecodeStatus::Ok) << width;
            EXPECT_EQ(decoded.bytes, input) << "width " << width;
        }
    }
    EXPECT_LT(lzw::Encode(text, 12).size(), text.size() / 2);
    EXPECT_TRUE(lzw::Encode(text, 7).empty());
}

}  // namespace
