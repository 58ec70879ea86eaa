// The work behind the list and the export that needs no Win32, at the table sizes that
// matter: decoding the system's buffer, the six cell texts of every row, the CSV text, and
// the IPv6 address text beside the C library's inet_ntop.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "addrtable/AddrTable.h"
#include "export/CsvText.h"
#include "rows/CellTexts.h"
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

// Addresses as a machine's table holds them: link-local, global and unique-local ones with
// interface identifiers of every shape, and some with runs of zeros in the middle.
std::vector<CIPv6Addr> Ipv6Addresses(std::size_t count) {
    std::mt19937 random(6);
    std::vector<CIPv6Addr> addresses(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::array<std::uint16_t, 8> groups{};
        static constexpr std::uint16_t kPrefixes[] = {0xfe80, 0x2001, 0xfd00};
        groups[0] = kPrefixes[i % 3];
        if (i % 3 != 0) {
            groups[1] = 0x0db8;
            groups[2] = static_cast<std::uint16_t>(random());
            groups[3] = static_cast<std::uint16_t>(i % 7 == 0 ? 0 : random());
        }
        for (std::size_t g = 4; g < 8; ++g)
            groups[g] = static_cast<std::uint16_t>(i % 5 == 0 && g < 6 ? 0 : random() >> (4 * (random() % 4) + 16));
        addresses[i] = test::V6(groups);
    }
    return addresses;
}

void Ipv6Text(benchmark::State& state) {
    const auto addresses = Ipv6Addresses(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        for (const CIPv6Addr& address : addresses)
            benchmark::DoNotOptimize(address.toString());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same addresses through inet_ntop into a buffer of its own: the C library's formatting
// without a string to allocate.
void Ipv6InetNtop(benchmark::State& state) {
    const auto addresses = Ipv6Addresses(static_cast<std::size_t>(state.range(0)));
    char text[INET6_ADDRSTRLEN];
    for (auto _ : state) {
        for (const CIPv6Addr& address : addresses)
            benchmark::DoNotOptimize(inet_ntop(AF_INET6, address.Bytes.data(), text, sizeof text));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(Decode)->Arg(1)->Arg(42)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(CellTexts)->Arg(1)->Arg(42)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Csv)->Arg(1)->Arg(42)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Ipv6Text)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Ipv6InetNtop)->Arg(100000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
