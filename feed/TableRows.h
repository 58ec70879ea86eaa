#pragma once
// The address tables as the list takes them: read through the window's services and turned
// into the list's rows once per read, so that a re-read that changed nothing formats nothing.
// The IPv4 rows come first, in their table's order; the IPv6 rows follow when asked for. The
// interfaces are read too while an extra column is shown or an interface is hidden, and only then.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "feed/TableSources.h"
#include "interfaces/LeaseClock.h"
#include "rows/InterfaceCells.h"
#include "rows/ListRow.h"
#include "settings/Settings.h"
#include "support/LayoutText.h"

namespace netpeek {

// What a read gathers and shows.
struct TableChoice {
    bool ipv6 = false;
    CellSet extras = 0;                // the extra columns shown, whose cells are filled
    std::set<std::wstring> hidden;     // the interfaces left out, by UpperName of their AdapterName
    bool interfaces = false;           // the interfaces' names and states are wanted beside the rows

    bool NeedsAdapters() const { return (extras & kExtraCells) != 0 || !hidden.empty() || interfaces; }
    friend bool operator==(const TableChoice&, const TableChoice&) = default;
};

// What a read gathers for the view the user chose: the icon's tip wants the interfaces' names
// and states beside the rows.
TableChoice TableChoiceOf(const ViewChoice& view);

class TableRows {
public:
    // `services` must outlive the reader.
    explicit TableRows(const TableSources& services) : m_services(services) {}

    // The tables read now with that choice, the last read forgotten (but for when the leases end).
    // Throws when the IPv4 table cannot be read; an IPv6 table or an adapter read that fails
    // leaves its part as the last read left it (none at first). Without IPv6 no IPv6 call is
    // made, and with no extra column shown and nothing hidden no adapter call.
    ListRows Read(const TableChoice& choice);
    // The tables read again with the last read's choice: the rows to show when anything differs
    // from that read, else none (also when the IPv4 read fails, so that a failure changes
    // nothing; an IPv6 or adapter read that fails keeps that part as it was). The rows that stayed
    // keep their texts, found by who they are wherever they went. `spent` gets the reads'
    // milliseconds by the services' clock.
    // What a re-read replaced, for whoever follows the changes rather than shows the rows: the
    // shown rows of the last read that gave way (`before`) and those that came in their place
    // (`after`); every row before and after them is as it was. Only those rows are touched, so
    // that the cost of a small change does not grow with the table.
    struct Replaced {
        ListRows before, after;
    };
    // `replaced`, where given, gets what the re-read replaced, for a log of the changes beside the list.
    std::optional<ListRows> ReadChanges(ULONGLONG& spent, Replaced* replaced = nullptr);
    // The tables read again as ReadChanges reads them: what they replaced when anything differs
    // from the last read, else none.
    std::optional<Replaced> ReadReplaced(ULONGLONG& spent);

    // The last read's rows made again with the lease texts of the time zone in force now: the rows
    // to show where a text differs, else none.
    std::optional<ListRows> Rezone();

    const TableChoice& Choice() const { return m_choice; }
    // How many rows the last read formatted; the others were the last read's own.
    std::size_t Formatted() const { return m_formatted; }
    // The interfaces as the last adapter read found them (none when none was made).
    const AdapterMap& Adapters() const { return m_adapters; }
    // When the lease of a row's address ends, as a read made now finds it: the moment the rows'
    // own cells show where the last read knew the lease, so that the tooltip says what the cell does.
    LeaseEnd LeaseOf(const RowKey& row, const AdapterUnicast& now);
    // Forgets every read, as at the start.
    void Clear();

private:
    // Reads the interfaces, with when their leases end: none when that read failed, else whether
    // they tell what the last read's did.
    std::optional<bool> ReadAdapters(AdapterMap& adapters);
    // ReadChanges and ReadReplaced: false when nothing changed; `replaced`, where given, gets
    // what was replaced.
    bool Reread(ULONGLONG& spent, Replaced* replaced);
    ListRows Rebuilt(const CIPAddrList& table, const CIPv6AddrList& table6, const std::vector<bool>& temporary6,
                     std::size_t from, std::size_t to, std::size_t lastTo, bool reuse4, bool reuse6);
    // Puts the rows of a re-read's tables in place of the last read's where they differ; the
    // last read's tables and rows are still the members.
    void Replace(const CIPAddrList& table, const CIPv6AddrList& table6, const std::vector<bool>& temporary6,
                 Replaced* replaced);
    std::set<std::uint32_t> HiddenIndexes() const;
    ListRows Shown() const;
    ListRows Shown(ListRows rows) const;

    const TableSources& m_services;
    TableChoice m_choice;
    // The last read: the tables as the system gave them, what the interfaces told, and its rows.
    CIPAddrList m_table;
    AddrTableRead m_next;  // where the next read goes, in the memory of the one before
    CIPv6AddrList m_table6;
    std::vector<bool> m_temporary6;
    AdapterMap m_adapters;
    ListRows m_rows;  // every row, hidden ones too: the IPv4 ones, then the IPv6 ones
    std::size_t m_formatted = 0;
};

}  // namespace netpeek
