// Undo and redo: what a step costs to record, what a full-sheet step costs
// to take back (with the recalculation), and what the history holds.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "formula/function_table.h"
#include "formula/parser_state.h"
#include "sheet/exchange_text.h"
#include "sheet/history.h"
#include "sheet/recalculation.h"

namespace {

void OpenSheet(Filling filling) {
    OpenMainScreen(50);
    parser_InitFunctions();
    Parser().CellReferencesEnabled = true;
    FillSheet(filling);
    RecalculateCells();
    Calculation().Modified = false;
    EnableHistory(true);
    StartHistory();
}

// Every cell of the sheet, pasted as numbers over the formulas.
std::string FullSheetText() {
    std::string text;
    for (Int row = 1; row <= SheetRowCount; ++row) {
        for (Int column = 1; column <= SheetColumnCount; ++column)
            text += std::to_string(row * column) + (column < SheetColumnCount ? "\t" : "\r\n");
    }
    return text;
}

// A one-cell edit as a step of its own, with and without the history.
void BM_OneCellEditStep(benchmark::State& state, bool history) {
    OpenSheet(Filling::Texts);
    EnableHistory(history);
    Int value = 0;
    for (auto _ : state) {
        BeginStep("Feld bearbeiten");
        ++value;
        EnterCell(1 + value % 900, 1 + value % 90, Text::FromBytes(std::to_string(value)));
        EndStep();
    }
    state.counters["steps"] = static_cast<double>(CurrentHistory().UndoSteps);
    ResetProgramState();
}
BENCHMARK_CAPTURE(BM_OneCellEditStep, recorded, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_OneCellEditStep, not_recorded, false)->Unit(benchmark::kMicrosecond);

// Undo and redo of a full-sheet step in the plus_one sheet, each with the
// recalculation that follows: undoing the paste brings the 99,800 formulas
// back and computes them all.
enum class FullStep { Paste, DemoData };

void BM_UndoRedoFullSheet(benchmark::State& state, FullStep kind, bool timeUndo) {
    OpenSheet(Filling::PlusOne);
    BeginStep("step");
    if (kind == FullStep::Paste) {
        Calculation().CursorRow = Calculation().CursorColumn = 1;
        PasteCells(FullSheetText());
    } else {
        InsertDemoData();
    }
    EndStep();
    RecalculateChanged();
    // Undo and redo by turns; only one of them is timed.
    const auto step = [](bool undo) {
        benchmark::DoNotOptimize(undo ? UndoStep() : RedoStep());
        RecalculateChanged();
    };
    for (auto _ : state) {
        if (!timeUndo) {
            state.PauseTiming();
            step(true);
            state.ResumeTiming();
        }
        step(timeUndo);
        if (timeUndo) {
            state.PauseTiming();
            step(false);
            state.ResumeTiming();
        }
    }
    state.counters["history_MB"] = static_cast<double>(CurrentHistory().Bytes) / 1e6;
    ResetProgramState();
}
BENCHMARK_CAPTURE(BM_UndoRedoFullSheet, undo_paste, FullStep::Paste, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedoFullSheet, redo_paste, FullStep::Paste, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedoFullSheet, undo_demo_data, FullStep::DemoData, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedoFullSheet, redo_demo_data, FullStep::DemoData, false)->Unit(benchmark::kMillisecond);

// What the sheet's cells take, for comparing the history with; a formula
// counts as if its cell kept its text whole (a fill keeps it once).
double SheetBytes() {
    const CalculationState& c = Calculation();
    double bytes = static_cast<double>(c.CellText.size()) * (2 * sizeof(Text) + sizeof(Int));
    // Codes kept in place take no heap.
    const auto heap = [](const Text& text) {
        const std::size_t capacity = text.Elements.capacity();
        return static_cast<double>(capacity > CodeBuffer::InPlace ? capacity : 0);
    };
    for (std::size_t i = 0; i < c.CellText.size(); ++i) bytes += heap(c.CellText[i]) + heap(c.CellFormula.Get(i));
    return bytes;
}

// The history after 100 one-cell edits, and after 10 full-sheet pastes.
void BM_HistoryMemory(benchmark::State& state) {
    for (auto _ : state) {
        OpenSheet(Filling::Texts);
        for (Int i = 0; i < 100; ++i) {
            BeginStep("Feld bearbeiten");
            EnterCell(1 + i, 1, Text::FromBytes(std::to_string(i)));
            EndStep();
        }
        state.counters["after_100_edits_KB"] = static_cast<double>(CurrentHistory().Bytes) / 1e3;
        const std::string text = FullSheetText();
        for (int i = 0; i < 10; ++i) {
            BeginStep("Einfügen");
            Calculation().CursorRow = Calculation().CursorColumn = 1;
            PasteCells(text);
            EndStep();
        }
        state.counters["after_10_pastes_MB"] = static_cast<double>(CurrentHistory().Bytes) / 1e6;
        state.counters["sheet_MB"] = SheetBytes() / 1e6;
        ResetProgramState();
    }
}
BENCHMARK(BM_HistoryMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
