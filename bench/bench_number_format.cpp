// Speed of the number conversions every computed cell and every numeral
// goes through, one call per iteration over a varied set of values.
#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "numbers/number_format.h"

namespace {

// Equal shares of small integers, amounts in cents, magnitudes spread over
// 1e-6 .. 1e20, and arbitrary finite doubles (subnormals and extremes).
std::vector<double> VariedValues() {
    std::mt19937_64 random(2024);
    std::uniform_int_distribution<int> integers(-100000, 100000);
    std::uniform_int_distribution<std::int64_t> cents(-100000000, 100000000);
    std::uniform_real_distribution<double> decade(-6, 20);
    std::vector<double> values;
    while (values.size() < 4096) {
        values.push_back(integers(random));
        values.push_back(static_cast<double>(cents(random)) / 100);
        values.push_back(std::pow(10.0, decade(random)) * (values.size() % 8 == 2 ? -1 : 1));
        double any = std::bit_cast<double>(random());
        while (!std::isfinite(any)) any = std::bit_cast<double>(random());
        values.push_back(any);
    }
    return values;
}

void BM_FormulaNumberText(benchmark::State& state) {
    const std::vector<double> values = VariedValues();
    std::size_t k = 0;
    for (auto _ : state) {
        Text text = FormulaNumberText(values[k]);
        benchmark::DoNotOptimize(text.Elements.data());
        k = (k + 1) % values.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormulaNumberText);

void BM_TextToNumber(benchmark::State& state) {
    std::vector<Text> texts;
    for (double x : VariedValues()) texts.push_back(FormulaNumberText(x));
    std::size_t k = 0;
    for (auto _ : state) {
        double value = TextToNumber(texts[k]);
        benchmark::DoNotOptimize(value);
        k = (k + 1) % texts.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextToNumber);

}  // namespace
