// The command line's watch in process under Wine: one address added to 10,000, its line written,
// beside the least that takes (the unchanged re-read, the new row made, its line formatted and
// written to the same sink), in the same run; and one address added to a machine's table written
// by /wprom, its metrics' file anew, beside the same change written by /wtab, its line appended to
// its log. Prints report.py's lines:
//   figure <name> <median ms> <baseline name> <baseline ms> <budget ratio>
// Exits non-zero when a watch writes other than the change or a budget is missed.
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
#include "commandline/MetricsWatch.h"
#include "commandline/Watch.h"
#include "export/ChangeFormats.h"
#include "feed/TableFeed.h"
#include "feed/TableSources.h"
#include "rows/ChangeLines.h"
#include "rows/RowsOfTables.h"
#include "support/Error.h"
#include "support/Handles.h"
#include "support/LogFile.h"
#include "support/LocalTime.h"
#include "support/TextFileWriter.h"
#include "tests/TableBuilder.h"

namespace {

using namespace netpeek;
using namespace netpeek::bench;

// A line is out in a fraction of a millisecond, where a moment of another process weighs much.
constexpr int kRuns = 21;
constexpr double kBudget = 1.2;
// The watches' changes are timed with the interfaces' and the routes' reads, whose cost under Wine
// varies from one read to the next: more pairs steady the medians.
constexpr int kMetricsRuns = 41;

// The system's sources with the table read from `table`, as IP Helper gives it.
TableSources TableServices(const std::vector<std::uint8_t>& table) {
    TableSources services = TableSources::Real();
    services.getIPAddresses = [&table](AddrTableRead& read) { GetIPAddresses(CopySource(table), read); };
    return services;
}

// A machine's table of `count` addresses and the same with one more in the middle of its order.
struct Tables {
    std::vector<std::uint8_t> base, grown;
    explicit Tables(std::uint32_t count) {
        std::vector<test::RawRow> raw = test::NumberedRows(count);
        base = test::TableBytes(raw);
        test::RawRow added = raw[count / 2];
        added.addr[3] = 2;
        raw.insert(raw.begin() + count / 2 + 1, added);
        grown = test::TableBytes(raw);
    }
};

// One address added to a table of `count`, as /wprom writes it (the whole file anew through the
// writer for readers) and as /wtab does (the change's line appended to its log), each with the
// choice whose reads the metrics want (the interfaces' names and the routes beside the table), into
// files in `folder`. Prints the figure, or with no budget the two medians as information; true when
// it is within the budget.
bool MetricsAgainstTab(std::uint32_t count, const std::wstring& folder, bool budgeted) {
    const Tables tables(count);
    std::vector<std::uint8_t> table = tables.base;
    const TableSources services = TableServices(table);
    ViewChoice choice;
    choice.extras = {kColName, kColRoute};
    const std::wstring metricsFile = folder + L"\\netpeek.prom", logFile = folder + L"\\changes.tsv";
    DeleteFileW(metricsFile.c_str());
    DeleteFileW(logFile.c_str());
    std::size_t metricsWrites = 0, tabLines = 0;
    MetricsWatch metrics(services, choice);
    metrics.Start([&](const std::wstring& text) {
        TextFileWriter::ForReaders().WriteTextFile(metricsFile, text, kWriteReplaceExisting);
        ++metricsWrites;
    });
    LogFile log(logFile);
    Watch tab(services, choice, choice.Columns(), ChangeFormat::Tab);
    tab.Start([&](const std::wstring& line) {
        log.Append(line);
        ++tabLines;
    }, true);

    std::vector<double> prom, line;
    for (int run = 0; run <= kMetricsRuns; ++run) {
        table = tables.grown;
        metricsWrites = tabLines = 0;
        // Each goes first every other run, so that neither always meets the table's change first.
        double promMs = 0, tabMs = 0;
        if (run % 2 == 0) {
            promMs = TimeMs([&] { metrics.Reread(); });
            tabMs = TimeMs([&] { tab.Reread(); });
        } else {
            tabMs = TimeMs([&] { tab.Reread(); });
            promMs = TimeMs([&] { metrics.Reread(); });
        }
        if (metricsWrites != 1 || tabLines != 1)
            throw CError(ERROR_INVALID_DATA, L"A watch did not write the one address added once.");
        table = tables.base;
        metrics.Reread();
        tab.Reread();
        if (run > 0) {  // the first is the warm-up
            prom.push_back(promMs);
            line.push_back(tabMs);
        }
    }
    const double ms = Median(prom), baseMs = Median(line);
    if (budgeted)
        std::printf("figure\tone address added to %u, /wprom file out\t%.3f\tthe same change, /wtab line out"
                    "\t%.3f\t%.2f\n",
                    static_cast<unsigned>(count), ms, baseMs, kBudget);
    else
        std::printf("info\tone address added to %u, /wprom file out\t%.1f ms (the same change, /wtab line out: %.1f ms)\n",
                    static_cast<unsigned>(count), ms, baseMs);
    std::fflush(stdout);
    DeleteFileW(metricsFile.c_str());
    DeleteFileW(logFile.c_str());
    return !budgeted || ms <= kBudget * baseMs;
}

}  // namespace

// Argument: a folder for the watches' files.
int wmain(int argc, wchar_t** argv) {
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
        const bool lineMet = ms <= kBudget * baseMs;
        // A machine's table, as the textfile collector's fleets have them; where the whole file of
        // 10,000 addresses is written anew, its cost grows with the table, and is shown beside.
        const bool metricsMet =
            argc < 2 || (MetricsAgainstTab(42, argv[1], true) && MetricsAgainstTab(10000, argv[1], false));
        return lineMet && metricsMet ? 0 : 1;
    } catch (const CError& error) {
        std::fprintf(stderr, "watch_bench: error %lu: %s\n", static_cast<unsigned long>(error.Number()), error.what());
        return 2;
    }
}
