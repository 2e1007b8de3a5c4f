// Speed of printing a line and of scrolling the whole screen.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "platform/program_state.h"
#include "screen/text_output.h"
#include "screen/window.h"

namespace {

void BM_PrintFullLine(benchmark::State& state) {
    OpenMainScreen(50);
    String line;
    for (int i = 0; i < 121; ++i) line += static_cast<char>('A' + i % 26);
    for (auto _ : state) {
        t_Htab(0, 1);
        t_Vtab(0, 10);
        t_Print(0, line);  // ends with the cursor at the start of line 11
    }
    ResetProgramState();
}
BENCHMARK(BM_PrintFullLine)->Unit(benchmark::kMicrosecond);

void BM_ScrollFullWidth(benchmark::State& state) {
    OpenMainScreen(80);
    for (Int y = 1; y <= 80; ++y) {
        t_Vtab(0, y);
        t_Htab(0, 1);
        t_Print(0, String(120, static_cast<char>('a' + y % 26)));
    }
    for (auto _ : state) t_ScrollUp(0);
    ResetProgramState();
}
BENCHMARK(BM_ScrollFullWidth)->Unit(benchmark::kMicrosecond);

}  // namespace
