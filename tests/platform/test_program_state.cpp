#include "platform/program_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> steps;

struct Counter {
    int Value = 7;
};

// Two states that log their quiesce and reset, one with the default reset,
// and one that lives through resets.
ProgramState<Counter> logged{[](Counter& c) {
                                 steps.push_back("reset " + std::to_string(c.Value));
                                 c.Value = 0;
                             },
                             [] { steps.push_back("quiesce"); }};
ProgramState<Counter> second{[](Counter& c) { steps.push_back("reset second " + std::to_string(c.Value)); },
                             [] { steps.push_back("quiesce second"); }};
ProgramState<Counter> fresh;
ProgramState<Counter> kept{nullptr};

}  // namespace

// Every quiesce runs before any reset; each value goes back to its start
// except the one without a reset.
TEST(ProgramStateTest, ResetQuiescesFirstThenResetsEveryValueButTheKeptOnes) {
    logged->Value = 3;
    fresh->Value = 4;
    kept->Value = 5;
    second->Value = 6;
    steps.clear();
    ResetProgramState();
    EXPECT_EQ(steps, (std::vector<std::string>{"quiesce", "quiesce second", "reset 3", "reset second 6"}));
    EXPECT_EQ(logged->Value, 0);
    EXPECT_EQ(fresh->Value, 7);
    EXPECT_EQ(kept->Value, 5);
}
