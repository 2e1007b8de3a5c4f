// Speed of the pasteboard's work on a full sheet: copying all 999 x 100
// cells to text, pasting that text back, and a search that finds nothing.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "formula/function_table.h"
#include "runtime/program.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/exchange_text.h"
#include "sheet/menu_settings.h"
#include "sheet/search.h"

namespace {

// Texts, numbers and formulas in turn, as a sheet of real work mixes them.
void FillSheet() {
    OpenMainScreen(50);
    initoxtools();
    parser_InitFunctions();
    ClearCalculation();
    CalculationState& c = Calculation();
    for (Int row = 1; row <= c.RowCount; ++row) {
        for (Int column = 1; column <= c.ColumnCount; ++column) {
            const auto at = static_cast<std::size_t>(CellIndex(row, column));
            switch ((row + column) % 3) {
                case 0: c.CellText.Set(at, Text::FromBytes("Umsatz " + std::to_string(row))); SetCellKind(c.CellAttributes.Edit(at), CellKindText); break;
                case 1: c.CellText.Set(at, Text::FromBytes(std::to_string(row * column) + ",5")); SetCellKind(c.CellAttributes.Edit(at), CellKindNumber); break;
                default: c.CellFormula.Set(at, Text::FromBytes("=Z1S1*2")); SetCellKind(c.CellAttributes.Edit(at), CellKindNumber); break;
            }
        }
    }
}

void BM_CopySheet(benchmark::State& state) {
    FillSheet();
    for (auto _ : state) benchmark::DoNotOptimize(SheetAsText().size());
}
BENCHMARK(BM_CopySheet)->Unit(benchmark::kMillisecond);

void BM_PasteSheet(benchmark::State& state) {
    FillSheet();
    const String text = SheetAsText();
    for (auto _ : state) {
        Calculation().CursorRow = Calculation().CursorColumn = 1;
        PasteText(text);
    }
}
BENCHMARK(BM_PasteSheet)->Unit(benchmark::kMillisecond);

void BM_SearchFindingNothing(benchmark::State& state, bool partial) {
    FillSheet();
    Search().SearchText = Text::FromBytes("nirgends");
    Search().PartialMatch = partial;
    for (auto _ : state) {
        Calculation().CursorRow = Calculation().CursorColumn = 1;
        benchmark::DoNotOptimize(FindNext());
    }
}
BENCHMARK_CAPTURE(BM_SearchFindingNothing, whole, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchFindingNothing, partial, true)->Unit(benchmark::kMillisecond);

}  // namespace
