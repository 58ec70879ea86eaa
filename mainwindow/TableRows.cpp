#include "mainwindow/TableRows.h"

namespace netpeek {

void TableRows::Clear() {
    m_table.clear();
    m_rows.clear();
}

const ListRows& TableRows::Read() {
    Clear();
    m_table = m_services.getIPAddresses();
    m_rows = ToListRows(m_table);
    return m_rows;
}

std::optional<ListRows> TableRows::ReadChanges(ULONGLONG& spent) {
    const ULONGLONG start = m_services.clock();
    CIPAddrList table;
    bool read = true;
    try {
        table = m_services.getIPAddresses();
    } catch (...) {
        read = false;
    }
    const ULONGLONG end = m_services.clock();
    spent = end > start ? end - start : 0;
    if (!read || table == m_table)
        return std::nullopt;
    m_rows = ToListRows(table, m_table, m_rows);
    m_table = std::move(table);
    return m_rows;
}

}  // namespace netpeek
