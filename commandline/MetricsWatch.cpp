#include "commandline/MetricsWatch.h"

#include <numeric>
#include <optional>
#include <utility>
#include <vector>

#include "interfaces/NetworkState.h"
#include "rows/ChangeLines.h"

namespace netpeek {

namespace {

// The changes that the lines tell: a row that came or went, and one that changed (its "was" and
// "now" lines are one change).
std::uint64_t ChangesIn(const std::vector<ChangeLine>& lines) {
    std::uint64_t changes = 0;
    for (const ChangeLine& line : lines)
        if (line.event == ChangeEvent::Added || line.event == ChangeEvent::Removed || line.event == ChangeEvent::Was)
            ++changes;
    return changes;
}

// A reader has the file open and will let go in a moment: windows_exporter, for one, reads without
// letting anyone replace the file meanwhile.
bool HeldByReader(const CError& error) {
    return error.Number() == ERROR_SHARING_VIOLATION || error.Number() == ERROR_LOCK_VIOLATION;
}

}  // namespace

MetricsWatch::MetricsWatch(const TableSources& services, ViewChoice choice)
    : m_services(services), m_choice(std::move(choice)), m_feed(services, m_choice) {
    m_feed.Read();
    m_counts.lastChangeUtcSeconds = m_services.utcNow();
}

void MetricsWatch::Start(WatchSink sink) {
    m_sink = std::move(sink);
    m_due = true;
    Write();
}

ULONGLONG MetricsWatch::Reread() {
    ULONGLONG spent = 0;
    // A read that fails changes nothing, and the watch goes on.
    try {
        const TableUpdate update = m_feed.Read(TableRows::Mode::Again, &spent);
        if (const std::uint64_t changes = ChangesIn(update.lines); changes != 0) {
            m_counts.changes += changes;
            m_counts.lastChangeUtcSeconds = m_services.utcNow();
        }
        m_due = m_due || update.changed;
    } catch (...) {
    }
    if (m_due)
        Write();
    return spent;
}

void MetricsWatch::Write() {
    const ListRows& rows = m_feed.Rows();
    // The table's own order, so that a change never reorders the file.
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::wstring text = MetricsText(rows, order, m_choice.ipv6, ReachOf(m_feed.ReadInterfaces()).state, m_counts);
    if (text != m_written) {
        try {
            m_sink(text);
        } catch (const CError& error) {
            if (!HeldByReader(error))
                throw;
            return;
        }
        m_written = std::move(text);
    }
    m_due = false;
}

}  // namespace netpeek
