// Speed of printing a full sheet: onto the virtual printer, which already
// holds earlier prints, and as a preview whose one page runs far past the
// window.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "commands/printing.h"
#include "input/events.h"
#include "runtime/printer.h"
#include "sheet/calculation.h"
#include "sheet/cell_editing.h"
#include "sheet/menu_settings.h"

namespace {

void FullSheet() {
    OpenMainScreen(50);
    t_InitWindow(1, 4, true, 200, 368, 16, 16, EmptyFont(), true);
    ClearCalculation();
    InsertDemoData();
}

// Each iteration adds one full print to a printer holding nine before it.
void BM_PrintFullSheet(benchmark::State& state) {
    FullSheet();
    for (int i = 0; i < 9; ++i) PrintToPrinter();
    for (auto _ : state) PrintToPrinter();
    state.SetLabel(std::to_string(p_GetPrinter().size() >> 20) + " MB on the printer");
}
BENCHMARK(BM_PrintFullSheet)->Unit(benchmark::kMillisecond);

// All 999 rows on one page: only what the window shows is drawn.
void BM_PreviewOneLongPage(benchmark::State& state) {
    FullSheet();
    Printing().PrintLinesPerSheet = 99999;
    for (auto _ : state) {
        t_TypeString(" ");  // the key that closes the last page's message
        PrintPreview();
    }
}
BENCHMARK(BM_PreviewOneLongPage)->Unit(benchmark::kMillisecond);

// The first page of the demo data, then Esc: what each page costs.
void BM_PreviewFirstPage(benchmark::State& state) {
    FullSheet();
    for (auto _ : state) {
        t_TypeString("\x1b");
        PrintPreview();
    }
}
BENCHMARK(BM_PreviewFirstPage)->Unit(benchmark::kMillisecond);

}  // namespace
