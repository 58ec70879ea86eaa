#include "mainwindow/TableRows.h"

namespace netpeek {

void TableRows::Clear() {
    m_table.clear();
    m_table6.clear();
    m_rows.clear();
    m_rows6.clear();
}

ListRows TableRows::Rows() const {
    ListRows rows = m_rows;
    rows.insert(rows.end(), m_rows6.begin(), m_rows6.end());
    return rows;
}

ListRows TableRows::Read(bool ipv6) {
    Clear();
    m_table = m_services.getIPAddresses();
    m_rows = ToListRows(m_table);
    if (ipv6) {
        // The IPv4 rows never wait on the IPv6 table: without it they show alone.
        try {
            m_table6 = m_services.getIPv6Addresses();
        } catch (...) {
            m_table6.clear();
        }
        m_rows6 = ToListRows(m_table6);
    }
    return Rows();
}

std::optional<ListRows> TableRows::ReadChanges(bool ipv6, ULONGLONG& spent) {
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
    m_rows = ToListRows(table, m_table, m_rows);
    m_rows6 = ToListRows(table6, m_table6, m_rows6);
    m_table = std::move(table);
    m_table6 = std::move(table6);
    return Rows();
}

}  // namespace netpeek
