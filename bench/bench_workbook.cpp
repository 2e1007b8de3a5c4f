// Speed of the other spreadsheets' files on full sheets: W3 (a formula of
// four functions of the cell above in every cell, which goes as values)
// and W1 (=Z{r-1}S{c}+1, which goes as formulas) written as xlsx and ods and
// read back into the Calculation, and W3 as CSV.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "runtime/program.h"
#include "sheet/recalculation.h"
#include "workbook/workbook_files.h"

namespace {

void Prepare(Filling filling) {
    OpenMainScreen(50);
    initoxtools();
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    ClearCalculation();
    FillSheet(filling);
    RecalculateCells();
}

std::string Bytes(WorkbookFormat format) {
    std::vector<std::pair<Int, Int>> valuesOnly;
    std::string error;
    return WorkbookBytes(format, TableFromCalculation(), valuesOnly, error).value_or("");
}

void BM_WriteWorkbook(benchmark::State& state, Filling filling, WorkbookFormat format) {
    Prepare(filling);
    for (auto _ : state) benchmark::DoNotOptimize(Bytes(format).size());
    state.counters["bytes"] = static_cast<double>(Bytes(format).size());
}

void BM_ReadWorkbook(benchmark::State& state, Filling filling, WorkbookFormat format) {
    Prepare(filling);
    const std::string bytes = Bytes(format);
    for (auto _ : state) {
        SheetTable table;
        std::string error;
        if (!ReadWorkbookBytes(format, bytes, table, error)) state.SkipWithError(error.c_str());
        ClearCalculation();
        PutTable(table);
    }
}

BENCHMARK_CAPTURE(BM_WriteWorkbook, W3_xlsx, Filling::Functions, WorkbookFormat::Xlsx)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorkbook, W3_xlsx, Filling::Functions, WorkbookFormat::Xlsx)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteWorkbook, W1_xlsx, Filling::PlusOne, WorkbookFormat::Xlsx)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorkbook, W1_xlsx, Filling::PlusOne, WorkbookFormat::Xlsx)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteWorkbook, W3_ods, Filling::Functions, WorkbookFormat::Ods)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorkbook, W3_ods, Filling::Functions, WorkbookFormat::Ods)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteWorkbook, W3_csv, Filling::Functions, WorkbookFormat::Csv)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadWorkbook, W3_csv, Filling::Functions, WorkbookFormat::Csv)->Unit(benchmark::kMillisecond);

}  // namespace
