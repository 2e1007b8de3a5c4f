// The codes of a Text against std::vector: random runs of every operation,
// across the change from codes in place to the heap and with ranges taken
// from the buffer itself, must leave both the same.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "runtime/code_buffer.h"

namespace {

using Model = std::vector<UInt8>;

void ExpectSame(const CodeBuffer& buffer, const Model& model, const std::string& step) {
    ASSERT_EQ(buffer.size(), model.size()) << step;
    ASSERT_EQ(buffer.empty(), model.empty()) << step;
    ASSERT_GE(buffer.capacity(), buffer.size()) << step;
    ASSERT_TRUE(std::equal(buffer.begin(), buffer.end(), model.begin(), model.end())) << step;
}

TEST(CodeBufferTest, RandomOperationsAgreeWithAVector) {
    std::mt19937 random(20261208);
    const auto pick = [&](std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound)(random); };
    for (int round = 0; round < 300; ++round) {
        CodeBuffer buffer;
        Model model;
        CodeBuffer other;  // a second buffer, copied and moved to and from
        Model otherModel;
        for (int step = 0; step < 60; ++step) {
            // Sizes mostly around the 23 codes kept in place.
            const std::size_t count = pick(3) == 0 ? pick(80) : pick(30);
            const auto code = static_cast<UInt8>(pick(255));
            const std::size_t at = pick(model.size());
            const std::size_t to = at + pick(model.size() - at);
            const int operation = static_cast<int>(pick(13));
            switch (operation) {
                case 0: buffer.push_back(code), model.push_back(code); break;
                case 1:
                    if (!model.empty()) buffer.pop_back(), model.pop_back();
                    break;
                case 2: buffer.resize(count, code), model.resize(count, code); break;
                case 3: buffer.insert(buffer.begin() + at, count, code), model.insert(model.begin() + at, count, code); break;
                case 4: {
                    const Model codes(count, code);
                    buffer.insert(buffer.begin() + at, codes.begin(), codes.end());
                    model.insert(model.begin() + at, codes.begin(), codes.end());
                    break;
                }
                case 5: {
                    // A part of itself, into itself (text += text and such).
                    const std::size_t where = pick(model.size());
                    buffer.insert(buffer.begin() + where, buffer.begin() + at, buffer.begin() + to);
                    const Model part(model.begin() + at, model.begin() + to);
                    model.insert(model.begin() + where, part.begin(), part.end());
                    break;
                }
                case 6:
                    buffer.erase(buffer.begin() + at, buffer.begin() + to);
                    model.erase(model.begin() + at, model.begin() + to);
                    break;
                case 7: {
                    buffer.assign(buffer.begin() + at, buffer.begin() + to);
                    model = Model(model.begin() + at, model.begin() + to);
                    break;
                }
                case 8: {
                    const std::string bytes(count, static_cast<char>(code));
                    buffer.assign(bytes.begin(), bytes.end()), model.assign(bytes.begin(), bytes.end());
                    break;
                }
                case 9: other = buffer, otherModel = model; break;
                case 10: buffer = std::move(other), model = std::move(otherModel), other = {}, otherModel = {}; break;
                case 11: {
                    CodeBuffer moved(std::move(buffer));
                    ExpectSame(buffer, {}, "moved from");
                    buffer = moved;
                    break;
                }
                case 12: buffer.reserve(count), buffer.clear(), model.clear(); break;
                default: {
                    const CodeBuffer& same = buffer;
                    buffer = same;  // to itself
                    break;
                }
            }
            ExpectSame(buffer, model, "round " + std::to_string(round) + " step " + std::to_string(step) + " op " +
                                          std::to_string(operation));
            ExpectSame(other, otherModel, "the other buffer");
            ASSERT_EQ(buffer == other, model == otherModel);
            ASSERT_EQ(buffer < other, model < otherModel);
        }
    }
}

}  // namespace
