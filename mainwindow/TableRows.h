#pragma once
// The address tables as the list takes them: read through the window's services and turned
// into the list's rows once per read, so that a re-read that changed nothing formats nothing.
// The IPv4 rows come first, in their table's order; the IPv6 rows follow when asked for.

#include <windows.h>

#include <optional>

#include "mainwindow/FormServices.h"
#include "mainwindow/ListRow.h"

namespace netpeek {

class TableRows {
public:
    // `services` must outlive the reader.
    explicit TableRows(const FormServices& services) : m_services(services) {}

    // The tables read now, the last read forgotten. Throws when the IPv4 table cannot be read; an IPv6 table that cannot
    // be read leaves its part empty. Without `ipv6` no IPv6 call is made.
    ListRows Read(bool ipv6);
    // The tables read again: their rows when they differ from the last read's, else none (also
    // when either read fails, so that a failure changes nothing). `last` are the rows of the
    // last read as the list took them, in their order, whose texts the rows that stayed keep.
    // `spent` gets the reads' milliseconds by the services' clock.
    std::optional<ListRows> ReadChanges(bool ipv6, const ListRows& last, ULONGLONG& spent);

private:
    void Clear();

    const FormServices& m_services;
    CIPAddrList m_table;  // the last reads as the system gave them
    CIPv6AddrList m_table6;
};

}  // namespace netpeek
