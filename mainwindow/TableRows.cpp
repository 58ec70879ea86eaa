#include "mainwindow/TableRows.h"

#include <algorithm>
#include <span>

namespace netpeek {

void TableRows::Clear() {
    m_table.clear();
    m_table6.clear();
}

ListRows TableRows::Read(bool ipv6) {
    Clear();
    m_table = m_services.getIPAddresses();
    ListRows rows = ToListRows(m_table);
    if (ipv6) {
        // The IPv4 rows never wait on the IPv6 table: without it they show alone.
        try {
            m_table6 = m_services.getIPv6Addresses();
        } catch (...) {
            m_table6.clear();
        }
        AppendListRows(rows, m_table6);
    }
    return rows;
}

std::optional<ListRows> TableRows::ReadChanges(bool ipv6, const ListRows& last, ULONGLONG& spent) {
    const ULONGLONG start = m_services.clock();
    CIPAddrList table;
    CIPv6AddrList table6;
    bool read = true;
    try {
        table = m_services.getIPAddresses();
        if (ipv6)
            table6 = m_services.getIPv6Addresses();
    } catch (...) {
        read = false;
    }
    const ULONGLONG end = m_services.clock();
    spent = end > start ? end - start : 0;
    if (!read || (table == m_table && table6 == m_table6))
        return std::nullopt;
    const std::span<const ListRow> lastRows(last);
    const std::size_t lastIPv4 = std::min(m_table.size(), last.size());
    ListRows rows;
    AppendListRows(rows, table, m_table, lastRows.first(lastIPv4));
    AppendListRows(rows, table6, m_table6, lastRows.subspan(lastIPv4));
    m_table = std::move(table);
    m_table6 = std::move(table6);
    return rows;
}

}  // namespace netpeek
