#pragma once
// The address table as the list takes it: read through the window's services and turned into
// the list's rows once per read, so that a re-read that changed nothing formats nothing.

#include <windows.h>

#include <optional>

#include "mainwindow/FormServices.h"
#include "mainwindow/ListRow.h"

namespace netpeek {

class TableRows {
public:
    // `services` must outlive the reader.
    explicit TableRows(const FormServices& services) : m_services(services) {}

    // Forgets the last read, as an emptied list has nothing of it.
    void Clear();
    // The table read now, in its own order. Throws when it cannot be read.
    const ListRows& Read();
    // The table read again: its rows when they differ from the last read's, else none (also
    // when the read fails). `spent` gets the read's milliseconds by the services' clock.
    std::optional<ListRows> ReadChanges(ULONGLONG& spent);

private:
    const FormServices& m_services;
    CIPAddrList m_table;  // the last read as the system gave it
    ListRows m_rows;      // and as the list shows it
};

}  // namespace netpeek
