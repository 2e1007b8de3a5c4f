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

struct FormulaTest : ::testing::Test {
    void SetUp() override;
    static void Check(std::initializer_list<FormulaRow> rows);
    static void SetCell(Int index, std::string_view text, Int kind);
};
