#include "runtime/lzw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using Stream = std::vector<std::uint8_t>;
using lzw::DecodeStatus;

// Packs codes of one width most significant bit first, after the width byte.
Stream Pack(int width, const std::vector<std::uint32_t>& codes) {
    Stream out{static_cast<std::uint8_t>(width)};
    int bits = 0;
    for (std::uint32_t code : codes)
        for (int i = width - 1; i >= 0; --i, ++bits) {
            if (bits % 8 == 0) out.push_back(0);
            out.back() |= static_cast<std::uint8_t>(((code >> i) & 1u) << (7 - bits % 8));
        }
    return out;
}

TEST(Lzw, DecodesHandPackedStreamsAndRefusesBadOnes) {
    std::vector<std::uint32_t> blowUp{'a'};  // each code repeats the newest entry: about 200 MB
    for (std::uint32_t c = 256; c < 256 + 20000; ++c) blowUp.push_back(c);
    const std::size_t all = lzw::MaxDecodedSize;
    const Stream abab = Pack(9, {'A', 'B', 256, 258});  // 258 is the code this very step defines
    const std::tuple<const char*, Stream, std::size_t, DecodeStatus, std::string> rows[] = {
        {"next-code case", abab, all, DecodeStatus::Ok, "ABABABA"}, {"exactly the limit", abab, 7, DecodeStatus::Ok, "ABABABA"},
        {"over the limit", abab, 6, DecodeStatus::TooLarge, ""}, {"a limit of nothing", abab, 0, DecodeStatus::TooLarge, ""},
        {"blow-up", Pack(16, blowUp), all, DecodeStatus::TooLarge, ""},
        {"12 bit", Pack(12, {'x', 'y', 'z', 256}), all, DecodeStatus::Ok, "xyzxy"},
        {"24 bit", Pack(24, {'a', 'b'}), all, DecodeStatus::Ok, "ab"},
        {"1 bit", Pack(1, {1, 0, 1, 1, 0, 0, 0, 1}), all, DecodeStatus::Ok, std::string("\x01\x00\x01\x01\x00\x00\x00\x01", 8)},
        {"empty", {}, all, DecodeStatus::Ok, ""},                    {"less than one code", {12, 0xAB}, all, DecodeStatus::Ok, ""},
        {"width 0", {0, 1, 2}, all, DecodeStatus::BadCodeWidth, ""}, {"width 25", {25, 1, 2, 3}, all, DecodeStatus::BadCodeWidth, ""},
        {"first code not a byte", Pack(9, {256}), all, DecodeStatus::BadCode, ""},
        {"code past the next one", Pack(9, {'a', 'b', 258}), all, DecodeStatus::BadCode, ""}, };
    for (const auto& [name, stream, max, status, bytes] : rows) {
        const lzw::DecodeResult result = lzw::Decode(stream.data(), stream.size(), max);
        EXPECT_EQ(result.Status, status) << name;
        EXPECT_EQ(std::string(result.Bytes.begin(), result.Bytes.end()), bytes) << name;
    }
    EXPECT_TRUE(lzw::Encode({1, 2}, 7).empty() && lzw::Encode({1, 2}, 25).empty());
}

// Encoded text comes back at any width, also once the dictionary is full; damaged streams never crash the
// decoder nor give more than the limit; a cut-off stream gives a beginning of the original.
TEST(Lzw, RoundTripsAndSurvivesCutAndScrambledStreams) {
    std::mt19937 random(11);
    for (int round = 0; round < 400; ++round) {
        Stream original(round % 50 == 0 ? 30000 : 1 + random() % 3000);
        for (auto& b : original) b = static_cast<std::uint8_t>(round % 3 ? "abcab\n"[random() % 6] : random());
        Stream stream = lzw::Encode(original, 8 + static_cast<int>(random() % 17));
        lzw::DecodeResult result = lzw::Decode(stream.data(), stream.size());
        ASSERT_EQ(result.Bytes, original) << round;
        stream.resize(1 + random() % (stream.size() - 1));
        result = lzw::Decode(stream.data(), stream.size());
        ASSERT_EQ(result.Status, DecodeStatus::Ok) << round;
        ASSERT_TRUE(result.Bytes.size() < original.size() && std::equal(result.Bytes.begin(), result.Bytes.end(), original.begin()))
            << round;
        for (int flips = 0; flips < 4; ++flips) stream[random() % stream.size()] ^= static_cast<std::uint8_t>(random());
        const std::size_t max = 1 + random() % 5000;
        result = lzw::Decode(stream.data(), stream.size(), max);
        ASSERT_LE(result.Bytes.size(), result.Status == DecodeStatus::Ok ? max : 0) << round;
    }
}

}  // namespace
