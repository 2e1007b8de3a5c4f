// Formulas checked row by row against what they give; the rows' notation is
// explained where Check is defined, in test_evaluator.cpp.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "runtime/types.h"

struct FormulaRow {
    std::string Formula, Expect;
};

// Runs the formula (without its "=") compiled for cell `self` and read as
// it computes, from the same state, and expects the same outcome; the state
// is left as it was.
void ExpectCompiledAgrees(const std::string& body, Int self = 0);

struct FormulaTest : ::testing::Test {
    void SetUp() override;
    static void Check(std::initializer_list<FormulaRow> rows);
    static void SetCell(Int index, std::string_view text, Int kind);
};
