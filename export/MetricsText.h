#pragma once
// The address table as metrics in Prometheus' text format (version 0.0.4), as windows_exporter's
// textfile collector publishes a file of them at every scrape: one series per address, whose labels
// say what it is, the counts an alert asks about, the network's state as the icon shows it, and for
// the watch the changes it saw.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "interfaces/NetworkState.h"
#include "rows/Columns.h"
#include "rows/ListRow.h"

namespace netpeek {

// The extra columns whose cells the labels take, beside the six: the interface's name and "Route".
inline constexpr int kMetricsExtras[] = {kColName, kColRoute};

// What the command line's watch adds to the table's metrics.
struct WatchCounts {
    std::uint64_t changes = 0;              // the rows that came, went or changed since it started
    std::int64_t lastChangeUtcSeconds = 0;  // the read that saw the last of them, or its first read
};

// The metrics of the rows at `order` (positions in `rows`, which carry the cells of kMetricsExtras):
// UTF-8 once encoded, LF after every line, HELP and TYPE before each family's samples, label values
// escaped (\\, \", \n; half a surrogate pair, which UTF-8 cannot hold, as U+FFFD). A row whose
// labels are those of a row written before it (the same address twice on one interface, the same
// mask and all) is one series, so that no series is written twice. The counts are of the IPv4
// family, and of the IPv6 one where `ipv6` says its table was read.
std::wstring MetricsText(const ListRows& rows, std::span<const std::size_t> order, bool ipv6, NetworkState state,
                         const std::optional<WatchCounts>& watch = std::nullopt);

}  // namespace netpeek
