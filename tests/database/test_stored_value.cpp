// A value of the store: held in place up to 15 bytes, in a block of its own
// beyond, through copies, moves and values assigned from themselves.
#include "database/stored_value.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(StoredValueTest, KeepsEveryLengthThroughCopiesAndMoves) {
    for (const std::size_t length : {0, 1, 15, 16, 17, 1000}) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
        text += std::string(length > 3 ? 1 : 0, '\0');  // bytes of any value
        StoredValue value;
        value = text;
        StoredValue copy(value), assigned;
        assigned = copy;
        StoredValue moved(std::move(copy));
        EXPECT_EQ(copy.View(), "");
        std::vector<StoredValue> grown(3);
        grown[1] = moved.View();
        grown.resize(1000);  // moved as the vector grows
        for (const StoredValue* v : {&value, &assigned, &moved, &grown[1]}) EXPECT_EQ(v->String(), text) << length;
        // A value assigned a part of itself, or itself.
        value = value.View().substr(length / 2);
        EXPECT_EQ(value.String(), text.substr(length / 2));
        assigned = assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.String(), text);
    }
}

}  // namespace
