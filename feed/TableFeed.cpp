#include "feed/TableFeed.h"

#include <algorithm>
#include <utility>

#include "support/LocalTime.h"
#include "support/SystemError.h"

namespace netpeek {

TableFeed::TableFeed(const TableSources& sources, const ViewChoice& choice)
    : m_sources(sources), m_choice(choice), m_rows(sources) {}

std::vector<ChangeLine> TableFeed::LinesOf(const TableRows::Replaced& replaced) const {
    return ChangedLines(replaced.before, replaced.after, IsoLocalTime(m_sources.utcNow()));
}

namespace {

// The primary addresses of `now` that are not as they were `before`, family by family.
std::vector<PrimaryAddress> Moved(const std::vector<PrimaryAddress>& before, const std::vector<PrimaryAddress>& now) {
    std::vector<PrimaryAddress> moved;
    for (const PrimaryAddress& primary : now) {
        const auto same = std::find_if(before.begin(), before.end(), [&](const PrimaryAddress& was) {
            return was.family == primary.family && was.index == primary.index && was.address == primary.address;
        });
        if (same == before.end())
            moved.push_back(primary);
    }
    return moved;
}

}  // namespace

TableUpdate TableFeed::Read(TableRows::Mode mode, ULONGLONG* spent) {
    const TableChoice wanted = TableChoiceOf(m_choice);
    TableUpdate update;
    const bool first = !m_rows.HasRead();
    // A move is one where the read before knew where the traffic left too.
    const bool routesBefore = !first && m_rows.Choice().NeedsRoutes();
    const std::vector<PrimaryAddress> primaryBefore = m_rows.Primary();
    std::optional<TableRows::Replaced> earlier;
    if (!first && !(m_rows.Choice() == wanted)) {
        // The table under the last read's choice first: what changed there is a change of the table.
        earlier = m_rows.Read(m_rows.Choice(), mode, spent);
        if (earlier)
            update.lines = LinesOf(*earlier);
        update.rechosen = true;
    }
    std::optional<TableRows::Replaced> replaced =
        m_rows.Read(wanted, update.rechosen ? TableRows::Mode::Again : mode, update.rechosen ? nullptr : spent);
    KnowNames(m_names, m_rows.Adapters());
    update.changed = replaced.has_value() || update.rechosen;
    if (routesBefore && wanted.NeedsRoutes())
        update.primaryMoved = Moved(primaryBefore, m_rows.Primary());
    // Another table may have other interfaces.
    if (update.changed)
        ForgetInterfaces();
    if (replaced && !first && !update.rechosen)
        update.lines = LinesOf(*replaced);
    if (replaced) {
        // Another choice replaced every row of the first read: before it, they were the rows shown.
        if (earlier)
            replaced->before = RowsBefore(replaced->before, *earlier);
        update.replaced = std::move(*replaced);
    }
    return update;
}

void TableFeed::Clear() {
    m_rows.Clear();
    ForgetInterfaces();
}

void TableFeed::ForgetInterfaces() {
    m_interfaces.reset();
    m_interfacesError.reset();
}

const AdapterMap& TableFeed::Interfaces() {
    const TableChoice& read = m_rows.Choice();
    if (read.NeedsAdapters() && read.NeedsNetworks() && read.NeedsWifi() && m_rows.HasRead())
        return m_rows.Adapters();
    if (m_interfacesError)
        throw *m_interfacesError;
    if (!m_interfaces) {
        try {
            m_interfaces = m_sources.getAdapters();
            // The tooltip names the network behind each row.
            TableChoice wanted;
            wanted.connections = true;
            JoinConnectionReads(m_sources, wanted, *m_interfaces);
        } catch (...) {
            m_interfacesError = CurrentError();
            throw;
        }
        KnowNames(m_names, *m_interfaces);
    }
    return *m_interfaces;
}

std::optional<AdapterInfo> TableFeed::InterfaceOf(const RowKey& row) {
    try {
        const AdapterMap& adapters = Interfaces();
        const auto found = adapters.find(row.index);
        return found == adapters.end() ? std::nullopt : std::optional<AdapterInfo>(found->second);
    } catch (...) {
        return std::nullopt;
    }
}

TipLease TableFeed::TipLeaseOf(const RowKey& row, const AdapterInfo& adapter, const AdapterUnicast& now) {
    TipLease lease{m_rows.LeaseOf(row, now), std::nullopt};
    if (row.family == AddressFamily::IPv4 && m_sources.leaseObtained)
        if (const auto obtained = m_sources.leaseObtained(adapter.adapterName))
            lease.obtained = m_sources.localMinute(*obtained);
    return lease;
}

}  // namespace netpeek
