// Speed of one recalculation pass over a full sheet: numbers in row 1 and,
// below them, formulas that each refer to the cell above, or plain texts.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "formula/evaluator.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "platform/program_state.h"
#include "sheet/calculation.h"
#include "sheet/calculation_file.h"
#include "sheet/cell_editing.h"
#include "sheet/recalculation.h"

namespace {

void BM_RecalculateAll(benchmark::State& state, Filling filling) {
    OpenMainScreen(50);
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    FillSheet(filling);
    for (auto _ : state) RecalculateAll();
    const Text& last = Calculation().CellText.back();
    state.SetLabel(std::string(last.Elements.begin(), last.Elements.end()));
    ResetProgramState();
}
BENCHMARK_CAPTURE(BM_RecalculateAll, plus_one, Filling::PlusOne)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecalculateAll, functions, Filling::Functions)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecalculateAll, texts, Filling::Texts)->Unit(benchmark::kMillisecond);

// The same pass where every value changes: row 1 takes other numbers before
// each pass, so that each formula's text is written anew.
void BM_RecalculateAllChanging(benchmark::State& state, Filling filling) {
    OpenMainScreen(50);
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    FillSheet(filling);
    Int round = 0;
    for (auto _ : state) {
        ++round;
        for (Int column = 1; column <= Calculation().ColumnCount; ++column)
            Calculation().CellText.Set(static_cast<std::size_t>(CellIndex(1, column)),
                                       Text::FromBytes(std::to_string(column + round % 7) + ",5"));
        RecalculateAll();
    }
    ResetProgramState();
}
BENCHMARK_CAPTURE(BM_RecalculateAllChanging, plus_one, Filling::PlusOne)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecalculateAllChanging, functions, Filling::Functions)->Unit(benchmark::kMillisecond);

// An edit with automatic recalculation in the full plus_one sheet: Z1S1,
// which 998 formulas below it depend on, or a cell nobody names.
void BM_EditCell(benchmark::State& state, Int row, Int column) {
    OpenMainScreen(50);
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    FillSheet(Filling::PlusOne);
    RecalculateCells();
    Int value = 0;
    for (auto _ : state) {
        EnterCell(row, column, Text::FromBytes(std::to_string(++value % 1000)));
        RecalculateChanged();
    }
    state.SetLabel(std::to_string(LastRecalculation().Computed) + " formulas computed");
    ResetProgramState();
}
BENCHMARK_CAPTURE(BM_EditCell, first_cell, 1, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_EditCell, cell_nobody_names, 999, 100)->Unit(benchmark::kMicrosecond);

// What the program thread does between keys for a recovery copy of a full
// sheet: the file's text built (the writer thread stores it).
void BM_RecoveryCopyText(benchmark::State& state, Filling filling) {
    OpenMainScreen(50);
    FillSheet(filling);
    for (auto _ : state) benchmark::DoNotOptimize(CalculationFileText(CalculationToText()).size());
    ResetProgramState();
}
BENCHMARK_CAPTURE(BM_RecoveryCopyText, functions, Filling::Functions)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecoveryCopyText, texts, Filling::Texts)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// One formula evaluated over and over, to tell the parts of a recalculation apart.
void BM_Evaluate(benchmark::State& state, const char* formula) {
    ResetProgramState();
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    Calculation().CellText.Set(0, Text::FromBytes("3,3105755857212324"));
    SetCellKind(Calculation().CellAttributes.Edit(0), CellKindNumber);
    const Text text = Text::FromBytes(formula);
    for (auto _ : state) benchmark::DoNotOptimize(parser_Evaluate(text).ValueNumeric);
    ResetProgramState();
}
BENCHMARK_CAPTURE(BM_Evaluate, one, "1");
BENCHMARK_CAPTURE(BM_Evaluate, one_long, "3,3105755857212324");
BENCHMARK_CAPTURE(BM_Evaluate, cell, "Z1S1");
BENCHMARK_CAPTURE(BM_Evaluate, sin, "Sin(1)");
BENCHMARK_CAPTURE(BM_Evaluate, abs, "Abs(1)");
BENCHMARK_CAPTURE(BM_Evaluate, str, "Str$(1)");
BENCHMARK_CAPTURE(BM_Evaluate, valstr, "Val(Str$(1))");
BENCHMARK_CAPTURE(BM_Evaluate, sum3, "1+1+1");
BENCHMARK_CAPTURE(BM_Evaluate, paren, "((((1))))");
BENCHMARK_CAPTURE(BM_Evaluate, functions, "Round(Sin(Z1S1),2)+Sqrt(Abs(Z1S1))+Val(Str$(Z1S1))/2");

}  // namespace
