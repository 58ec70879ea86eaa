// The command line's watch in process under Wine: one address added to 10,000, its line written,
// beside the least that takes (the unchanged re-read, the new row made, its line formatted and
// written to the same sink), in the same run. Prints report.py's line:
//   figure <name> <median ms> <baseline name> <baseline ms> <budget ratio>
// Exits non-zero when the watch writes other lines than the change's or the budget is missed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "addrtable/AddrTable.h"
#include "addrtable/GetIPAddresses.h"
#include "bench/Timing.h"
#include "commandline/Watch.h"
#include "export/ChangeFormats.h"
#include "feed/TableFeed.h"
#include "feed/TableSources.h"
#include "rows/ChangeLines.h"
#include "rows/RowsOfTables.h"
#include "support/Error.h"
#include "support/Handles.h"
#include "support/LocalTime.h"
#include "support/TextFileWriter.h"
#include "tests/TableBuilder.h"

namespace {

using namespace netpeek;
using namespace netpeek::bench;

// A line is out in a fraction of a millisecond, where a moment of another process weighs much.
constexpr int kRuns = 21;
constexpr double kBudget = 1.2;

// The system's sources with the table read from `table`, as IP Helper gives it.
TableSources TableServices(const std::vector<std::uint8_t>& table) {
    TableSources services = TableSources::Real();
    services.getIPAddresses = [&table](AddrTableRead& read) { GetIPAddresses(CopySource(table), read); };
    return services;
}

}  // namespace

int wmain() {
    try {
        // A new address in the middle of the table's order.
        std::vector<test::RawRow> raw = test::NumberedRows(10000);
        const std::vector<std::uint8_t> base = test::TableBytes(raw);
        test::RawRow added = raw[5000];
        added.addr[3] = 2;
        raw.insert(raw.begin() + 5001, added);
        const std::vector<std::uint8_t> grown = test::TableBytes(raw);
        const CIPAddrRow addedRow = DecodeAddrTable(grown)[5001];

        // Both write to the same sink: the null device, one WriteFile a line.
        const HANDLE device =
            CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (device == INVALID_HANDLE_VALUE)
            throw CError(GetLastError(), L"The null device could not be opened.");
        const UniqueKernelHandle nul(device);
        std::size_t lines = 0;
        const WatchSink sink = [&](const std::wstring& line) {
            WriteAllBytes(nul.get(), ToUtf8(line));
            ++lines;
        };
        const std::vector<int> columns = {kColInterface, kColIP, kColMask, kColBroadcast, kColRealmSize, kColType};

        std::vector<std::uint8_t> table = base;
        const TableSources services = TableServices(table);
        Watch watch(services, {}, columns, ChangeFormat::Comma);
        watch.Start(sink, true);
        const ViewChoice view;
        TableFeed reader(services, view);
        reader.Read();
        const std::vector<std::wstring> headers = ChangeHeaders(columns);

        std::vector<double> seen, floor;
        for (int run = 0; run <= kRuns; ++run) {
            table = grown;
            lines = 0;
            const double seenMs = TimeMs([&] { watch.Reread(); });
            if (lines != 1)
                throw CError(ERROR_INVALID_DATA, L"The watch did not write one line for one address added.");
            table = base;
            watch.Reread();
            const double floorMs = TimeMs([&] {
                if (reader.Read().changed)
                    throw CError(ERROR_INVALID_DATA, L"The unchanged table read as changed.");
                const ChangeLine line{IsoLocalTime(UtcNow()), ChangeEvent::Added, ToListRow(addedRow)};
                sink(ChangeLineText(ChangeFormat::Comma, headers, ChangeFields(line, columns)));
            });
            if (run > 0) {  // the first is the warm-up
                seen.push_back(seenMs);
                floor.push_back(floorMs);
            }
        }
        const double ms = Median(seen), baseMs = Median(floor);
        std::printf("figure\tone address added to 10000, watch line out\t%.3f\tunchanged re-read + one row's line"
                    "\t%.3f\t%.2f\n",
                    ms, baseMs, kBudget);
        std::fflush(stdout);
        return ms <= kBudget * baseMs ? 0 : 1;
    } catch (const CError& error) {
        std::fprintf(stderr, "watch_bench: error %lu: %s\n", static_cast<unsigned long>(error.Number()), error.what());
        return 2;
    }
}
