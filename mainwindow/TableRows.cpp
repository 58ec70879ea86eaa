#include "mainwindow/TableRows.h"

#include "mainwindow/InterfaceTip.h"

#include <algorithm>
#include <span>
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

void TableRows::Clear() {
    m_table.clear();
    m_table6.clear();
    m_temporary6.clear();
    m_adapters.clear();
    m_rows.clear();
}

std::optional<bool> TableRows::ReadAdapters(AdapterMap& adapters) {
    try {
        adapters = m_services.getAdapters();
    } catch (...) {
        return std::nullopt;
    }
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

ListRows TableRows::Read(const TableChoice& choice) {
    m_choice = choice;
    CIPAddrList table = m_services.getIPAddresses();
    CIPv6AddrList table6;
    // The IPv4 rows never wait on the IPv6 table: without it they show alone.
    if (choice.ipv6) {
        try {
            table6 = m_services.getIPv6Addresses();
        } catch (...) {
        }
    }
    // Interfaces that cannot be read now are as the last read found them, so that a hidden one
    // stays hidden.
    AdapterMap adapters;
    if (!choice.NeedsAdapters())
        m_adapters.clear();
    else if (ReadAdapters(adapters).has_value())
        m_adapters = std::move(adapters);
    m_rows = Rebuilt(table, table6, false);
    m_table = std::move(table);
    m_table6 = std::move(table6);
    return Shown();
}

std::optional<ListRows> TableRows::ReadChanges(ULONGLONG& spent) {
    const ULONGLONG start = m_services.clock();
    const auto stop = [&] {
        const ULONGLONG end = m_services.clock();
        spent = end > start ? end - start : 0;
    };
    CIPAddrList table;
    try {
        table = m_services.getIPAddresses();
    } catch (...) {
        stop();
        return std::nullopt;
    }
    // A part that cannot be read now stays as it was, and the others go on without it.
    std::optional<CIPv6AddrList> table6;
    if (m_choice.ipv6) {
        try {
            table6 = m_services.getIPv6Addresses();
        } catch (...) {
        }
    }
    AdapterMap adapters;
    const std::optional<bool> adaptersSame = m_choice.NeedsAdapters() ? ReadAdapters(adapters) : std::nullopt;
    const bool adaptersRead = adaptersSame.has_value();
    stop();
    const bool sameInterfaces = !adaptersRead || *adaptersSame;
    const bool same6 = !table6 || *table6 == m_table6;
    if (sameInterfaces && same6 && table == m_table)
        return std::nullopt;
    if (adaptersRead)
        m_adapters = std::move(adapters);
    // Rows whose interface told something new are made again; the others are the last read's.
    ListRows rows = Rebuilt(table, table6 ? *table6 : m_table6, sameInterfaces);
    m_rows = std::move(rows);
    m_table = std::move(table);
    if (table6)
        m_table6 = std::move(*table6);
    return Shown();
}

// The rows of the tables with the interfaces as now known; with `reuse`, each row the last read
// had, with the same table row and type, is that read's own. The last read is m_table, m_table6
// and m_rows still.
ListRows TableRows::Rebuilt(const CIPAddrList& table, const CIPv6AddrList& table6, bool reuse) {
    const AdapterLookup lookup(m_adapters, m_services.localMinute);
    const RowContext context{m_choice.NeedsAdapters() ? &lookup : nullptr, m_choice.extras};
    std::vector<bool> temporary6 = TemporaryAddresses(table6);
    const std::size_t last4 = std::min(m_table.size(), m_rows.size());
    const std::span<const ListRow> lastRows(m_rows);
    LastRows lastIPv4(lastRows.first(last4)), lastIPv6(lastRows.subspan(last4));
    ListRows rows;
    rows.reserve(table.size() + table6.size());
    m_formatted = 0;
    for (const CIPAddrRow& row : table) {
        const std::size_t at =
            reuse ? lastIPv4.Find(KeyOf(row), [&](std::size_t j) { return m_table[j] == row; }) : kNone;
        if (at != kNone) {
            rows.push_back(lastRows[at]);
        } else {
            rows.push_back(ToListRow(row, context));
            ++m_formatted;
        }
    }
    const bool known6 = m_temporary6.size() == m_table6.size() && lastRows.size() - last4 == m_table6.size();
    for (std::size_t i = 0; i < table6.size(); ++i) {
        const CIPv6AddrRow& row = table6[i];
        const std::size_t at = reuse && known6 ? lastIPv6.Find(KeyOf(row),
                                                               [&](std::size_t j) {
                                                                   return m_table6[j] == row &&
                                                                          m_temporary6[j] == temporary6[i];
                                                               })
                                               : kNone;
        if (at != kNone) {
            rows.push_back(lastRows[last4 + at]);
        } else {
            rows.push_back(ToListRow(row, temporary6[i], context));
            ++m_formatted;
        }
    }
    m_temporary6 = std::move(temporary6);
    return rows;
}

ListRows TableRows::Shown() const {
    if (m_choice.hidden.empty())
        return m_rows;
    // An interface the adapter read does not know is shown: it may be none of the hidden ones.
    std::set<std::uint32_t> hiddenIndexes;
    for (const auto& [index, adapter] : m_adapters)
        if (m_choice.hidden.count(UpperName(adapter.adapterName)) != 0)
            hiddenIndexes.insert(index);
    ListRows shown;
    shown.reserve(m_rows.size());
    for (const ListRow& row : m_rows)
        if (hiddenIndexes.count(row.key.index) == 0)
            shown.push_back(row);
    return shown;
}

}  // namespace netpeek
