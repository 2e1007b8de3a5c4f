// Speed of the datafile loader: 100,000 records of five fields, one of
// each kind of value, executed from bytes already read.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "database/database.h"
#include "database/datafile.h"

namespace {

std::string Line(char instruction, const std::string& payload = "", char type = ' ') {
    return std::string(1, instruction) + "0000000001" + type + " " + payload + "\r";
}

std::vector<std::uint8_t> Datafile(int records) {
    std::string file = Line('T', "Kunden") + Line('F', "Name", 'S') + Line('F', "Alter", 'I') +
                       Line('F', "Umsatz", 'R') + Line('F', "Aktiv", 'B') + Line('F', "Dauer", 'T');
    for (int r = 0; r < records; ++r) {
        file += Line('R') + Line(' ', "Kunde " + std::to_string(r)) + Line(' ', std::to_string(r % 90)) +
                Line(' ', std::to_string(r) + ",25") + Line(' ', r % 2 ? "ja" : "nein") +
                Line(' ', std::to_string(r * 1000));
    }
    return {file.begin(), file.end()};
}

void BM_LoadDatafile(benchmark::State& state) {
    OpenMainScreen(50);
    const std::vector<std::uint8_t> bytes = Datafile(100000);
    for (auto _ : state) benchmark::DoNotOptimize(d_CreateDatabaseFromBinary(bytes));
    state.SetLabel(std::to_string(d_RecordsInTable(0)) + " records");
}
BENCHMARK(BM_LoadDatafile)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// 100,000 tables, or one table of 100,000 fields: names are looked up, not
// searched.
void BM_LoadManyTables(benchmark::State& state) {
    OpenMainScreen(50);
    std::string file;
    const bool fields = state.range(0) == 1;
    if (fields) file = Line('T', "Breit");
    for (int i = 0; i < 100000; ++i)
        file += fields ? Line('F', "Feld " + std::to_string(i), 'S') : Line('T', "Tabelle " + std::to_string(i));
    const std::vector<std::uint8_t> bytes(file.begin(), file.end());
    for (auto _ : state) benchmark::DoNotOptimize(d_CreateDatabaseFromBinary(bytes));
    state.SetLabel(fields ? "100,000 fields" : "100,000 tables");
}
BENCHMARK(BM_LoadManyTables)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
