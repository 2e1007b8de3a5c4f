// Speed of a full redraw of the sheet: status and header lines plus every
// grid line of the 80-line screen with every visible cell filled.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "platform/program_state.h"
#include "sheet/calculation.h"
#include "sheet/grid_display.h"

namespace {

// Numbers and texts in all five display formats, some coloured, some longer
// than their column; the cursor inside a selection.
void FillVisibleCells() {
    CalculationState& calc = Calculation();
    calc.GridBottom = 80;
    calc.ColorMode = true;
    for (Int row = calc.TopRow; row < calc.TopRow + calc.GridBottom - calc.GridTop; ++row) {
        for (Int column = 1; column <= calc.RightColumn; ++column) {
            const auto index = static_cast<std::size_t>(CellIndex(row, column));
            const bool number = (row + column) % 2 == 0;
            const std::string text = number ? std::to_string(row * 1000 + column) + ",125"
                                            : "Text " + std::to_string(row) + "/" + std::to_string(column) + " lang";
            calc.CellText.Set(index, Text::FromBytes(text));
            Int& attributes = calc.CellAttributes.Edit(index);
            SetCellKind(attributes, number ? CellKindNumber : CellKindText);
            SetDisplayFormat(attributes, (row * 3 + column) % 5);
            SetFontColor(attributes, (row + column) % 16);
            SetBackgroundColor(attributes, (row * 7 + column) % 16);
        }
    }
    calc.SelectionStartRow = 3;
    calc.SelectionStartColumn = 2;
    calc.SelectionEndRow = 20;
    calc.SelectionEndColumn = 6;
    calc.CursorRow = 5;
    calc.CursorColumn = 4;
}

void BM_GridFullRedraw(benchmark::State& state) {
    OpenMainScreen(80);
    FillVisibleCells();
    for (auto _ : state) {
        RedrawScreen();
        RedrawGrid();
    }
    ResetProgramState();
}
BENCHMARK(BM_GridFullRedraw)->Unit(benchmark::kMillisecond);

}  // namespace
