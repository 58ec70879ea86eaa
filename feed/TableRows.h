#pragma once
// The address tables as the list takes them: read through the window's services and turned
// into the list's rows once per read, so that a re-read that changed nothing formats nothing.
// The IPv4 rows come first, in their table's order; the IPv6 rows follow when asked for. The
// interfaces are read too while an extra column is shown or an interface is hidden, and only then.

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "feed/TableSources.h"
#include "interfaces/LeaseClock.h"
#include "interfaces/Routes.h"
#include "rows/InterfaceCells.h"
#include "rows/ListRow.h"
#include "rows/ListUpdate.h"
#include "settings/Settings.h"
#include "support/LayoutText.h"

namespace netpeek {

// What a read gathers and shows.
struct TableChoice {
    bool ipv6 = false;
    CellSet extras = 0;                // the extra columns shown, whose cells are filled
    std::set<std::wstring> hidden;     // the interfaces left out, by UpperName of their AdapterName
    bool interfaces = false;           // the interfaces' names and states, and the primary address, are wanted beside the rows
    bool connectedOnly = false;        // only the rows of interfaces that are up, and not the loopback's
    bool primaryOnly = false;          // only the primary address of each family
    bool physicalOnly = false;         // only the rows of hardware adapters: Physical and Wi-Fi
    bool connections = false;          // each interface's network, its reach and its SSID are wanted beside the rows

    // The connections are read only while a column, the filter or whoever shows the rows wants them.
    bool NeedsLinks() const { return (extras & kLinkCells) != 0 || physicalOnly; }
    bool NeedsSpeeds() const { return (extras & CellOf(kColSpeed)) != 0; }
    bool NeedsNetworks() const { return (extras & kNetworkCells) != 0 || connections; }
    bool NeedsWifi() const { return (extras & CellOf(kColSsid)) != 0 || connections; }
    bool NeedsAdapters() const {
        return (extras & kInterfaceCells) != 0 || !hidden.empty() || interfaces || connectedOnly || physicalOnly ||
               connections;
    }
    bool NeedsRoutes() const { return (extras & CellOf(kColRoute)) != 0 || interfaces || primaryOnly; }
    // Whether some rows may not be shown.
    bool Filters() const { return !hidden.empty() || connectedOnly || primaryOnly || physicalOnly; }
    friend bool operator==(const TableChoice&, const TableChoice&) = default;
};

// What a read gathers for the view the user chose: the icon's tip wants the interfaces' names
// and states beside the rows, and the networks they are on.
TableChoice TableChoiceOf(const ViewChoice& view);

// Gives the adapters just read the connections behind them that `choice` wants, read now; one that
// cannot be read is left out.
void JoinConnectionReads(const TableSources& sources, const TableChoice& choice, AdapterMap& adapters);

class TableRows {
public:
    // `services` must outlive the reader.
    explicit TableRows(const TableSources& services) : m_services(services) {}

    // What a read replaced of the rows shown: where they start, the last read's rows that gave way
    // (`before`) and those that came in their place (`after`); every row before and after them is
    // as it was. Only those rows are touched, so that the cost of a small change does not grow with
    // the table, and whoever shows or follows the rows learns from them alone what changed.
    using Replaced = RowsReplaced;

    // How a read takes the last one: a part that cannot be read now is as the last read had it, or
    // (F5, which asks for the table as it is now) an IPv6 table that cannot be read has no rows.
    enum class Mode { Again, Anew };

    // Reads the tables with that choice, and where it is the last read's, puts their rows in place
    // of the last read's only where they differ: what the read replaced, or none when nothing
    // differs. The rows that stayed keep their texts, found by who they are wherever they went: a
    // row is made of its table row, its interface and the time zone alone, so a row made again
    // from the same would be the same. The first read or one with another choice makes every row,
    // and replaces every row shown.
    // Throws when the IPv4 table cannot be read, leaving the last read as it was; an IPv6 table or
    // an adapter read that fails leaves that part as the last read with that choice left it (none
    // at first). Without IPv6 no IPv6 call is made, and with no extra column shown, nothing hidden
    // and no interface wanted no adapter call. `spent`, where given, gets the reads' milliseconds by
    // the services' clock.
    std::optional<Replaced> Read(const TableChoice& choice, Mode mode = Mode::Again, ULONGLONG* spent = nullptr);

    // The last read's rows made again with the lease texts of the time zone in force now: what that
    // replaced where a text differs, and the rows are then those; none where none does.
    std::optional<Replaced> Rezone();

    // The rows the last read shows, in the tables' order: the IPv4 rows, then the IPv6 rows, but
    // those of a hidden interface.
    const ListRows& Rows() const { return m_choice.Filters() ? m_shown : m_rows; }
    // The primary address of each family, as the last read that read the routes found it: IPv4's
    // first; none where the choice reads no routes.
    const std::vector<PrimaryAddress>& Primary() const { return m_primary; }
    // The primary address of the row's family where the row is it, else null.
    const PrimaryAddress* PrimaryOf(const RowKey& row) const;
    // The rows that are the primary addresses.
    std::vector<RowKey> PrimaryKeys() const;
    bool HasRead() const { return m_read; }
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
    // Reads the interfaces, with when their leases end and the connections behind them that the
    // choice wants: none when that read failed, else whether they tell what the last read's did.
    std::optional<bool> ReadAdapters(const TableChoice& choice, AdapterMap& adapters);
    // What one read gathered beside the IPv4 table.
    struct Gathered {
        std::optional<CIPv6AddrList> table6;
        AdapterMap adapters;
        std::optional<bool> adaptersSame;  // none where they were not read
        std::vector<PrimaryAddress> primary;
    };
    // Reads the routes and works out the primary address of each family from a read's tables.
    std::vector<PrimaryAddress> ReadPrimary(const TableChoice& choice, const CIPAddrList& table,
                                            const CIPv6AddrList& table6, const AdapterMap& adapters);
    // Every row made anew for another choice, or the first read.
    Replaced Renew(const TableChoice& choice, Gathered read);
    // The same choice again: only the rows that differ are touched. False when nothing did.
    bool Reread(Gathered read, Replaced& replaced);
    ListRows Rebuilt(const CIPAddrList& table, const CIPv6AddrList& table6, const std::vector<bool>& temporary6,
                     std::size_t from, std::size_t to, std::size_t lastTo, bool reuse4, bool reuse6);
    // Puts the rows of a re-read's tables in place of the last read's where they differ; the
    // last read's tables and rows are still the members.
    void Replace(const CIPAddrList& table, const CIPv6AddrList& table6, const std::vector<bool>& temporary6,
                 Replaced& replaced);
    // Whether a row is shown, as the choice and the last read's interfaces and primary addresses say.
    std::function<bool(const ListRow&)> ShownRule() const;
    // How many of the rows before that position of all rows are shown.
    std::size_t ShownBefore(std::size_t at) const;
    // Those of the rows that are shown.
    ListRows Visible(ListRows rows) const;
    // The rows shown once the rows or the interfaces changed.
    void ShowRows();

    const TableSources& m_services;
    TableChoice m_choice;
    bool m_read = false;  // there is a last read
    // The last read: the tables as the system gave them, what the interfaces told, and its rows.
    CIPAddrList m_table;
    AddrTableRead m_next;  // where the next read goes, in the memory of the one before
    CIPv6AddrList m_table6;
    std::vector<bool> m_temporary6;
    AdapterMap m_adapters;
    RouteTable m_routes;                   // as the last route read found them
    std::vector<PrimaryAddress> m_primary;  // worked out from the last read's tables and routes
    ListRows m_rows;   // every row, hidden ones too: the IPv4 ones, then the IPv6 ones
    ListRows m_shown;  // those shown, while some are not
    std::size_t m_formatted = 0;
};

}  // namespace netpeek
