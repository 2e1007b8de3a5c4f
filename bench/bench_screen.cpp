// Speed of the two things every frame needs: drawing glyphs into video
// memory and turning a window into a picture.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "platform/program_state.h"
#include "screen/glyph.h"
#include "screen/window.h"

namespace {

// A screen full of text in changing colours, so the picture is not uniform.
void FillScreen(Int lines) {
    for (Int y = 1; y <= lines; ++y)
        for (Int x = 1; x <= 121; ++x)
            t_PrintSymbol(0, static_cast<UInt8>(32 + (x * 7 + y) % 224), static_cast<UInt8>((x + y) % 256), x, y);
}

void BM_WindowImage(benchmark::State& state) {
    const Int lines = state.range(0);
    OpenMainScreen(lines);
    FillScreen(lines);
    for (auto _ : state) {
        std::optional<ArgbImage> image = t_WindowImage(0);
        if (!image) {
            state.SkipWithError("no picture of window 0");
            break;
        }
        benchmark::DoNotOptimize(image->Bytes.get());
    }
    ResetProgramState();
}
BENCHMARK(BM_WindowImage)->Arg(50)->Arg(80)->Unit(benchmark::kMillisecond);

// Every glyph drawn: the window forgets what its cells show first.
void BM_FullScreenOfGlyphs(benchmark::State& state) {
    OpenMainScreen(80);
    for (auto _ : state) {
        ForgetDrawnCells(Screen().WindowTable[0]);
        FillScreen(80);
    }
    ResetProgramState();
}
BENCHMARK(BM_FullScreenOfGlyphs)->Unit(benchmark::kMillisecond);

// The same screen drawn again, as after a key that changed little.
void BM_UnchangedScreenOfGlyphs(benchmark::State& state) {
    OpenMainScreen(80);
    for (auto _ : state) FillScreen(80);
    ResetProgramState();
}
BENCHMARK(BM_UnchangedScreenOfGlyphs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
