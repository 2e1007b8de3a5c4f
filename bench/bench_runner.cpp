// The headless runner typing 10,000 plain keys into the real program: words,
// Return and Down, as a user fills a column. This measures the whole round
// trip of each key, from the runner through the program's wait and back.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int KeyCount = 10'000;

// "x" leaves the title screen; then words of four to nine letters, each
// stored with Return and followed by Down.
std::string PlainKeys() {
    std::string keys = "x";
    int count = 1;
    for (int n = 0; count < KeyCount; ++n) {
        const int letters = 4 + n % 6;
        for (int i = 0; i < letters && count < KeyCount; ++i, ++count) keys += static_cast<char>('a' + (n + i) % 26);
        for (const char* key : {"{Return}", "{Down}"})
            if (count < KeyCount) {
                keys += key;
                ++count;
            }
    }
    return keys;
}

void BM_Runner10000Keys(benchmark::State& state) {
    const fs::path dir = fs::temp_directory_path() / ("tabrona-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "plain.keys") << PlainKeys();
    const std::string command = std::string("'") + TABRONA_EXE + "' --headless --keys '" +
                                (dir / "plain.keys").string() + "' --log /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the run failed");
            break;
        }
    }
    state.counters["keys"] = KeyCount;
    fs::remove_all(dir);
}
BENCHMARK(BM_Runner10000Keys)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
