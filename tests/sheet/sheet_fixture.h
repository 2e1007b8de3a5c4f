// The screen with the formula language ready and an empty Calculation.
#pragma once

#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "screen/screen_fixture.h"
#include "sheet/calculation.h"

class SheetTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        parser_InitFunctions();
        Parser().CellReferencesEnabled = true;
        ClearCalculation();
    }
};
