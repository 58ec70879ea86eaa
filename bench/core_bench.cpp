// The work behind the list and the export that needs no Win32, at the table sizes that
// matter: decoding the system's buffer, the six cell texts of every row, and the CSV text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "addrtable/AddrTable.h"
#include "export/CsvText.h"
#include "mainwindow/CellTexts.h"
#include "tests/TableBuilder.h"

namespace {

using namespace netpeek;

std::vector<std::uint8_t> Buffer(benchmark::State& state) {
    return test::TableBytes(test::NumberedRows(static_cast<std::uint32_t>(state.range(0))));
}

void Decode(benchmark::State& state) {
    const std::vector<std::uint8_t> buffer = Buffer(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeAddrTable(buffer));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void CellTexts(benchmark::State& state) {
    const CIPAddrList rows = DecodeAddrTable(Buffer(state));
    for (auto _ : state) {
        for (const CIPAddrRow& row : rows)
            benchmark::DoNotOptimize(RowCells(row));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Csv(benchmark::State& state) {
    CListTexts list;
    list.headers = {L"Interface", L"IP", L"Mask", L"Broadcast", L"Realm size", L"Type"};
    for (const CIPAddrRow& row : DecodeAddrTable(Buffer(state))) {
        const CRowCells cells = RowCells(row);
        list.items.emplace_back(cells.begin(), cells.end());
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(CsvText(list));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(Decode)->Arg(1)->Arg(42)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(CellTexts)->Arg(1)->Arg(42)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Csv)->Arg(1)->Arg(42)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
