#include "feed/TableRows.h"

#include "rows/InterfaceTip.h"
#include "rows/RowsOfTables.h"

#include <algorithm>
#include <functional>
#include <span>
#include <optional>
#include <utility>

namespace netpeek {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// How far past the last row found a row of the last read is looked for before its key is.
constexpr std::size_t kLookAhead = 16;

// Finds rows of the last read again: a little way ahead of where the last one was found, as a
// re-read mostly lists the rows in the same order, and failing that by who the row is, through
// an index of the last read's keys made the first time it is needed. A row found by its key
// that is not the same row any more has changed, and is looked for no further.
class LastRows {
public:
    explicit LastRows(std::span<const ListRow> rows) : m_rows(rows) {}

    // The position of a last row with that key of which `same` holds, or kNone.
    template <typename Same>
    std::size_t Find(const RowKey& key, const Same& same) {
        for (std::size_t at = m_next; at < m_rows.size() && at < m_next + kLookAhead; ++at)
            if (m_rows[at].key == key)
                return same(at) ? Found(at) : kNone;
        if (!m_index)
            m_index.emplace(m_rows);
        const std::size_t slot = m_index->SlotOf(key);
        for (std::size_t at = slot == RowIndex::kNone ? kNone : m_index->FirstOf(slot); at != kNone;
             at = m_index->NextOf(at))
            if (same(at))
                return Found(at);
        return kNone;
    }

private:
    std::size_t Found(std::size_t at) {
        m_next = at + 1;
        return at;
    }

    std::span<const ListRow> m_rows;
    std::size_t m_next = 0;
    std::optional<RowIndex> m_index;
};

}  // namespace

TableChoice TableChoiceOf(const ViewChoice& view) {
    TableChoice choice;
    choice.ipv6 = view.ipv6;
    for (const int column : view.extras)
        choice.extras |= CellOf(column);
    choice.hidden = view.hidden;
    choice.interfaces = view.minimizeToTray;
    choice.connections = view.minimizeToTray;
    choice.connectedOnly = view.connectedOnly;
    choice.primaryOnly = view.primaryOnly;
    choice.physicalOnly = view.physicalOnly;
    return choice;
}

void TableRows::Clear() {
    m_read = false;
    m_table.clear();
    m_table6.clear();
    m_temporary6.clear();
    m_adapters.clear();
    m_rows.clear();
    m_shown.clear();
}

void JoinConnectionReads(const TableSources& sources, const TableChoice& choice, AdapterMap& adapters) {
    // A connection that cannot be read now leaves its cells empty, and the rest as read.
    const auto readOr = [](const auto& source, bool wanted) {
        using Read = decltype(source());
        std::optional<Read> read;
        if (wanted && source) {
            try {
                read = source();
            } catch (...) {
            }
        }
        return read;
    };
    const std::optional<LinkMap> links = readOr(sources.getLinks, choice.NeedsLinks());
    const std::optional<std::vector<NetworkConnection>> networks = readOr(sources.getNetworks, choice.NeedsNetworks());
    const std::optional<WifiRead> wifi = readOr(sources.getWifi, choice.NeedsWifi());
    JoinConnections(adapters, {links ? &*links : nullptr, choice.NeedsSpeeds(), networks ? &*networks : nullptr,
                               wifi ? &*wifi : nullptr});
}

std::optional<bool> TableRows::ReadAdapters(const TableChoice& choice, AdapterMap& adapters) {
    try {
        adapters = m_services.getAdapters();
    } catch (...) {
        return std::nullopt;
    }
    JoinConnectionReads(m_services, choice, adapters);
    return MarkLeaseEnds(adapters, m_adapters, m_services.utcNow());
}

LeaseEnd TableRows::LeaseOf(const RowKey& row, const AdapterUnicast& now) {
    const AdapterUnicast* known = nullptr;
    if (const auto adapter = m_adapters.find(row.index); adapter != m_adapters.end())
        known = UnicastOf(row, adapter->second);
    LeaseEnd end;
    end.never = now.Infinite();
    end.utcSeconds = LeaseEndOf(now, m_services.utcNow(), known);
    if (!end.never)
        end.local = m_services.localMinute(end.utcSeconds);
    return end;
}

std::optional<TableRows::Replaced> TableRows::Read(const TableChoice& choice, Mode mode, ULONGLONG* spent) {
    const ULONGLONG start = m_services.clock();
    const auto stop = [&] {
        const ULONGLONG end = m_services.clock();
        if (spent)
            *spent = end > start ? end - start : 0;
    };
    try {
        m_services.getIPAddresses(m_next);
    } catch (...) {
        stop();
        throw;
    }
    // A part that cannot be read now stays as it was, and the others go on without it: the IPv4
    // rows never wait on the IPv6 table.
    std::optional<CIPv6AddrList> table6;
    if (choice.ipv6) {
        try {
            table6 = m_services.getIPv6Addresses();
        } catch (...) {
        }
    }
    Gathered read;
    read.table6 = std::move(table6);
    read.adaptersSame = choice.NeedsAdapters() ? ReadAdapters(choice, read.adapters) : std::nullopt;
    const bool again = m_read && choice == m_choice && mode == Mode::Again;
    const CIPv6AddrList noIPv6;
    read.primary = ReadPrimary(choice, m_next.rows, read.table6 ? *read.table6 : again ? m_table6 : noIPv6,
                               read.adaptersSame ? read.adapters : m_adapters);
    stop();
    if (!m_read || !(choice == m_choice))
        return Renew(choice, std::move(read));
    // Read anew, an IPv6 table that cannot be read shows no IPv6 rows rather than the last read's.
    if (mode == Mode::Anew && choice.ipv6 && !read.table6)
        read.table6.emplace();
    Replaced replaced;
    if (!Reread(std::move(read), replaced))
        return std::nullopt;
    return replaced;
}

namespace {

// The addresses of the table that the interface with that index may send from.
std::vector<SourceAddress> SourcesOn(std::uint32_t index, const CIPAddrList& table) {
    std::vector<SourceAddress> sources;
    for (const CIPAddrRow& row : table) {
        if (static_cast<std::uint32_t>(row.dwIndex) != index)
            continue;
        SourceAddress source;
        source.index = index;
        source.address.bytes = {row.dwAddr.Part1, row.dwAddr.Part2, row.dwAddr.Part3, row.dwAddr.Part4};
        const std::uint32_t mask = (std::uint32_t{row.dwMask.Part1} << 24) | (std::uint32_t{row.dwMask.Part2} << 16) |
                                   (std::uint32_t{row.dwMask.Part3} << 8) | row.dwMask.Part4;
        while (source.prefixLength < 32 && (mask & (0x80000000u >> source.prefixLength)) != 0)
            ++source.prefixLength;
        sources.push_back(source);
    }
    return sources;
}

std::vector<SourceAddress> SourcesOn(std::uint32_t index, const CIPv6AddrList& table) {
    std::vector<SourceAddress> sources;
    const std::vector<bool> temporary = TemporaryAddresses(table);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const CIPv6AddrRow& row = table[i];
        if (row.InterfaceIndex != index)
            continue;
        SourceAddress source;
        source.index = index;
        source.address.family = 6;
        source.address.bytes = row.Address.Bytes;
        source.address.scopeId = row.ScopeId;
        source.prefixLength = row.OnLinkPrefixLength;
        source.preferred = row.DadState == kDadStatePreferred;
        source.temporary = temporary[i];
        sources.push_back(source);
    }
    return sources;
}

}  // namespace

std::vector<PrimaryAddress> TableRows::ReadPrimary(const TableChoice& choice, const CIPAddrList& table,
                                                   const CIPv6AddrList& table6, const AdapterMap& adapters) {
    if (!choice.NeedsRoutes()) {
        m_routes = RouteTable{};
        return {};
    }
    // Routes that cannot be read now are as the last read found them.
    try {
        m_routes = m_services.getRoutes();
    } catch (...) {
    }
    // An interface the adapters do not know, or that were not read, counts as up.
    const auto up = [&](std::uint32_t index) {
        const auto adapter = adapters.find(index);
        return adapter == adapters.end() || adapter->second.operStatus == kOperStatusUp;
    };
    std::vector<PrimaryAddress> primary;
    for (const std::uint8_t family : {std::uint8_t{4}, std::uint8_t{6}}) {
        const std::optional<BestRoute> windows =
            m_services.bestRoute ? m_services.bestRoute(InternetDestination(family)) : std::nullopt;
        // Only the chosen route's interface's addresses are gathered: a re-read of a big table
        // costs a pass over it and no more.
        const auto sourcesOn = [&](std::uint32_t index) {
            return family == 4 ? SourcesOn(index, table) : SourcesOn(index, table6);
        };
        if (const std::optional<PrimaryAddress> found = ChoosePrimary(m_routes, family, up, windows, sourcesOn))
            primary.push_back(*found);
    }
    return primary;
}

std::vector<RowKey> TableRows::PrimaryKeys() const {
    std::vector<RowKey> keys;
    for (const PrimaryAddress& primary : m_primary)
        keys.push_back(KeyOf(primary.index, primary.address));
    return keys;
}

const PrimaryAddress* TableRows::PrimaryOf(const RowKey& row) const {
    for (const PrimaryAddress& primary : m_primary)
        if (KeyOf(primary.index, primary.address) == row)
            return &primary;
    return nullptr;
}

TableRows::Replaced TableRows::Renew(const TableChoice& choice, Gathered read) {
    Replaced replaced;
    replaced.before = Rows();
    // Interfaces that cannot be read now are as the last read found them, so that a hidden one
    // stays hidden.
    if (!choice.NeedsAdapters())
        m_adapters.clear();
    else if (read.adaptersSame)
        m_adapters = std::move(read.adapters);
    m_choice = choice;
    m_primary = std::move(read.primary);
    CIPv6AddrList now6 = read.table6 ? std::move(*read.table6) : CIPv6AddrList{};
    std::vector<bool> temporary6 = TemporaryAddresses(now6);
    const CIPAddrList& table = m_next.rows;
    m_rows = Rebuilt(table, now6, temporary6, 0, table.size() + now6.size(), 0, false, false);
    std::swap(m_table, m_next.rows);
    m_table6 = std::move(now6);
    m_temporary6 = std::move(temporary6);
    m_read = true;
    ShowRows();
    replaced.after = Rows();
    return replaced;
}

std::optional<TableRows::Replaced> TableRows::Rezone() {
    if ((m_choice.extras & CellOf(kColLeaseExpires)) == 0 || m_rows.size() != m_table.size() + m_table6.size())
        return std::nullopt;
    ListRows rows = Rebuilt(m_table, m_table6, m_temporary6, 0, m_rows.size(), 0, false, false);
    if (std::equal(rows.begin(), rows.end(), m_rows.begin(), m_rows.end()))
        return std::nullopt;
    Replaced replaced;
    replaced.before = Rows();
    m_rows = std::move(rows);
    ShowRows();
    replaced.after = Rows();
    return replaced;
}

bool TableRows::Reread(Gathered read, Replaced& replaced) {
    const CIPAddrList& table = m_next.rows;
    std::optional<CIPv6AddrList>& table6 = read.table6;
    const bool adaptersRead = read.adaptersSame.has_value();
    // A primary address that moved changes the rows only where they show it.
    const std::vector<RowKey> lastPrimary = PrimaryKeys();
    m_primary = std::move(read.primary);
    const bool primaryShown = (m_choice.extras & CellOf(kColRoute)) != 0 || m_choice.primaryOnly;
    const bool samePrimary = !primaryShown || PrimaryKeys() == lastPrimary;
    const bool sameInterfaces = (!adaptersRead || *read.adaptersSame) && samePrimary;
    const bool same6 = !table6 || *table6 == m_table6;
    if (sameInterfaces && same6 && SameTable(table, m_table))
        return false;
    const CIPv6AddrList& now6 = table6 ? *table6 : m_table6;
    std::vector<bool> temporary6 = TemporaryAddresses(now6);
    // The runs of rows alike need the last read's rows to stand for its tables one for one, as
    // they always do once read; a change of the interfaces makes every row again anyway.
    const bool known = m_rows.size() == m_table.size() + m_table6.size() && m_temporary6.size() == m_table6.size();
    if (sameInterfaces && known) {
        Replace(table, now6, temporary6, replaced);
        ShowRows();
    } else {
        replaced.before = Rows();
        if (adaptersRead)
            m_adapters = std::move(read.adapters);
        // Rows whose interface told something new are made again; the others are the last read's.
        const std::size_t last4 = std::min(m_table.size(), m_rows.size());
        const bool known6 = m_temporary6.size() == m_table6.size() && m_rows.size() - last4 == m_table6.size();
        m_rows = Rebuilt(table, now6, temporary6, 0, table.size() + now6.size(), m_rows.size(), sameInterfaces,
                         sameInterfaces && known6);
        ShowRows();
        replaced.after = Rows();
    }
    // The last read's memory is the next read's.
    std::swap(m_table, m_next.rows);
    if (table6)
        m_table6 = std::move(*table6);
    m_temporary6 = std::move(temporary6);
    return true;
}

// Only the rows between the longest run alike at the start of both reads (their IPv4 rows, then
// their IPv6 rows) and the longest at their end are made, or taken from the last read's rows
// between the same runs; the others stay where they are.
void TableRows::Replace(const CIPAddrList& table, const CIPv6AddrList& table6, const std::vector<bool>& temporary6,
                        Replaced& replaced) {
    const std::size_t last4 = m_table.size(), lastCount = m_rows.size();
    const std::size_t now4 = table.size(), nowCount = now4 + table6.size();
    const auto same6 = [&](std::size_t last, std::size_t now) {
        return m_table6[last] == table6[now] && m_temporary6[last] == temporary6[now];
    };
    std::size_t head = SameHead(m_table, table);
    if (head == last4 && head == now4)
        while (head < lastCount && head < nowCount && same6(head - last4, head - now4))
            ++head;
    std::size_t tail = 0;
    const std::size_t most = std::min(lastCount, nowCount) - head;
    const std::size_t last6 = lastCount - last4, now6 = nowCount - now4;
    while (tail < most && tail < last6 && tail < now6 && same6(last6 - 1 - tail, now6 - 1 - tail))
        ++tail;
    if (tail == last6 && tail == now6) {
        const std::size_t rest = most - tail;  // how many IPv4 rows the tail may still take
        tail += SameTail(std::span(m_table).last(std::min(rest, last4)), std::span(table).last(std::min(rest, now4)));
    }

    ListRows middle = Rebuilt(table, table6, temporary6, head, nowCount - tail, lastCount - tail, true, true);
    const std::size_t gone = lastCount - tail - head, both = std::min(gone, middle.size());
    const auto at = m_rows.begin() + static_cast<std::ptrdiff_t>(head);
    replaced.first = ShownBefore(head);
    replaced.before = Visible(ListRows(at, at + static_cast<std::ptrdiff_t>(gone)));
    replaced.after = Visible(middle);
    // The rows after them move once, and only when the count changed.
    std::move(middle.begin(), middle.begin() + static_cast<std::ptrdiff_t>(both), at);
    if (gone > both)
        m_rows.erase(at + static_cast<std::ptrdiff_t>(both), at + static_cast<std::ptrdiff_t>(gone));
    else
        m_rows.insert(at + static_cast<std::ptrdiff_t>(both),
                      std::make_move_iterator(middle.begin() + static_cast<std::ptrdiff_t>(both)),
                      std::make_move_iterator(middle.end()));
}

// The rows of the tables at [from, to) of their rows (the IPv4 rows, then the IPv6 rows) with the
// interfaces as now known; where `reuse4` or `reuse6` lets it, each row the last read had among
// its rows at [from, lastTo), with the same table row and type, is that read's own. The last read
// is m_table, m_table6, m_temporary6 and m_rows still.
ListRows TableRows::Rebuilt(const CIPAddrList& table, const CIPv6AddrList& table6, const std::vector<bool>& temporary6,
                            std::size_t from, std::size_t to, std::size_t lastTo, bool reuse4, bool reuse6) {
    const AdapterLookup lookup(m_adapters, m_services.localMinute);
    const std::vector<RowKey> primary = PrimaryKeys();
    const RowContext context{m_choice.NeedsAdapters() ? &lookup : nullptr, m_choice.extras, primary};
    const std::size_t last4 = std::min(m_table.size(), m_rows.size());
    lastTo = std::min(lastTo, m_rows.size());
    const std::span<const ListRow> lastRows(m_rows);
    const std::size_t from4 = std::min(from, last4), to4 = std::max(from4, std::min(lastTo, last4));
    const std::size_t from6 = std::max(from, last4), to6 = std::max(from6, lastTo);
    LastRows lastIPv4(lastRows.subspan(from4, to4 - from4)), lastIPv6(lastRows.subspan(from6, to6 - from6));
    ListRows rows;
    rows.reserve(to - from);
    m_formatted = 0;
    for (std::size_t at = from; at < std::min(to, table.size()); ++at) {
        const CIPAddrRow& row = table[at];
        const std::size_t found =
            reuse4 ? lastIPv4.Find(KeyOf(row), [&](std::size_t j) { return m_table[from4 + j] == row; }) : kNone;
        if (found != kNone) {
            rows.push_back(lastRows[from4 + found]);
        } else {
            rows.push_back(ToListRow(row, context));
            ++m_formatted;
        }
    }
    for (std::size_t at = std::max(from, table.size()); at < to; ++at) {
        const std::size_t i = at - table.size();
        const CIPv6AddrRow& row = table6[i];
        const std::size_t found = reuse6 ? lastIPv6.Find(KeyOf(row),
                                                          [&](std::size_t j) {
                                                              const std::size_t last = from6 - last4 + j;
                                                              return m_table6[last] == row &&
                                                                     m_temporary6[last] == temporary6[i];
                                                          })
                                         : kNone;
        if (found != kNone) {
            rows.push_back(lastRows[from6 + found]);
        } else {
            rows.push_back(ToListRow(row, temporary6[i], context));
            ++m_formatted;
        }
    }
    return rows;
}

// Whatever leaves rows out (an interface hidden by name, one that is not connected or is the
// loopback, one that is no hardware adapter, a row that is not a primary address), one rule says
// which rows are shown, for the rows themselves and for where a change starts among them alike.
std::function<bool(const ListRow&)> TableRows::ShownRule() const {
    // An interface the adapter read does not know is shown: it may be none of the hidden ones. One
    // whose link is not known is no hardware adapter that Windows vouches for, and is left out.
    std::set<std::uint32_t> hiddenIndexes;
    for (const auto& [index, adapter] : m_adapters)
        if (m_choice.hidden.count(UpperName(adapter.adapterName)) != 0 ||
            (m_choice.connectedOnly && (adapter.operStatus != kOperStatusUp || adapter.ifType == kIfTypeLoopback)) ||
            (m_choice.physicalOnly && !(adapter.link && IsHardware(*adapter.link))))
            hiddenIndexes.insert(index);
    std::vector<RowKey> primary;
    if (m_choice.primaryOnly)
        primary = PrimaryKeys();
    return [hiddenIndexes = std::move(hiddenIndexes), primary = std::move(primary),
            primaryOnly = m_choice.primaryOnly](const ListRow& row) {
        return hiddenIndexes.count(row.key.index) == 0 &&
               (!primaryOnly || std::find(primary.begin(), primary.end(), row.key) != primary.end());
    };
}

std::size_t TableRows::ShownBefore(std::size_t at) const {
    if (!m_choice.Filters())
        return at;
    return static_cast<std::size_t>(
        std::count_if(m_rows.begin(), m_rows.begin() + static_cast<std::ptrdiff_t>(at), ShownRule()));
}

ListRows TableRows::Visible(ListRows rows) const {
    if (!m_choice.Filters())
        return rows;
    const auto shown = ShownRule();
    std::erase_if(rows, [&](const ListRow& row) { return !shown(row); });
    return rows;
}

void TableRows::ShowRows() {
    m_shown = m_choice.Filters() ? Visible(m_rows) : ListRows();
}

}  // namespace netpeek
