#pragma once
// The one feed of the address table: it reads the table as the user chose it, compares it with the
// last read and says what changed. F5, the live re-read, a change of choice and the command line's
// watch all take their rows and their lines of changes from here, and the window, its log, its
// icon and the watch consume them.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "feed/TableRows.h"
#include "feed/TableSources.h"
#include "interfaces/InterfaceText.h"
#include "rows/ChangeLines.h"
#include "rows/InterfaceTip.h"
#include "rows/ListUpdate.h"
#include "settings/Settings.h"
#include "support/Error.h"

namespace netpeek {

// What one read found.
struct TableUpdate {
    // What changed in the table since the last read, as "removed", "added", "was" and "now" lines;
    // none for the first read, nor for other rows that only another choice shows.
    std::vector<ChangeLine> lines;
    // The rows shown differ from the last read's.
    bool changed = false;
    // They differ because the choice did: they are other rows, not changed ones.
    bool rechosen = false;
    // The primary address of each family that moved since the last read, as it is now: the
    // traffic leaves by another interface or address (a VPN connected, a cable was pulled).
    std::vector<PrimaryAddress> primaryMoved;
    // What the read replaced of the rows the last read showed, where they differ: all of them where
    // the choice changed, or for the first read.
    RowsReplaced replaced;
};

class TableFeed {
public:
    // Both must outlive the feed; the choice is the one value the user's choices change.
    TableFeed(const TableSources& sources, const ViewChoice& choice);

    // Reads the table as the choice asks now, and compares it with the last read, touching only what
    // differs: again (the table followed, a change of choice, the watch), or anew (F5). Where
    // the choice changed since, the table is compared under the last read's choice first, so that
    // no change is lost to the other choice, and then read with the new one. Throws when the IPv4
    // table cannot be read, the last read kept as it was. `spent`, where given, gets the reads'
    // milliseconds by the sources' clock.
    TableUpdate Read(TableRows::Mode mode = TableRows::Mode::Again, ULONGLONG* spent = nullptr);
    // Forgets the last read, as at the start: F5's read failed, and nothing is shown.
    void Clear();

    // The rows the last read shows, in the tables' order: the one copy of them.
    const ListRows& Rows() const { return m_rows.Rows(); }
    // The interfaces with the networks behind them: the last read's where it read them all, else
    // read now and kept until a read finds the table changed or they are forgotten. Throws the CError of a read that failed, which is
    // kept as long.
    const AdapterMap& Interfaces();
    // The next Interfaces() reads them afresh: the user asked for everything anew.
    void ForgetInterfaces();
    // The interfaces that the last read read with the rows: none where it read none.
    const AdapterMap& ReadInterfaces() const { return m_rows.Adapters(); }
    // Every interface's name that a read of the interfaces found, one that went kept.
    const InterfaceNames& Names() const { return m_names; }
    // The primary address of each family (IPv4's first), where the choice reads the routes.
    const std::vector<PrimaryAddress>& Primary() const { return m_rows.Primary(); }
    // The primary address of the row's family where the row is it, else null.
    const PrimaryAddress* PrimaryOf(const RowKey& row) const { return m_rows.PrimaryOf(row); }
    std::vector<RowKey> PrimaryKeys() const { return m_rows.PrimaryKeys(); }
    // The interface of the row, as Interfaces() knows it; none where it does not, or they cannot be read.
    std::optional<AdapterInfo> InterfaceOf(const RowKey& row);
    // What the tooltip tells of the lease of a row's address (`now` as a read made now finds it on
    // `adapter`): when it ends, as the row's own cell says where it shows it, and, for IPv4, when it
    // was obtained, which Windows keeps (a DHCPv6 lease's it does not tell).
    TipLease TipLeaseOf(const RowKey& row, const AdapterInfo& adapter, const AdapterUnicast& now);
    // The lease texts made again in the time zone in force now: what that replaced where one
    // differs, none where none does.
    std::optional<RowsReplaced> Rezone() { return m_rows.Rezone(); }

private:
    // The lines of what a read replaced.
    std::vector<ChangeLine> LinesOf(const TableRows::Replaced& replaced) const;

    const TableSources& m_sources;
    const ViewChoice& m_choice;
    TableRows m_rows;
    InterfaceNames m_names;
    // The interfaces read for the tooltip or a menu where the last read read none, or why they
    // could not be.
    std::optional<AdapterMap> m_interfaces;
    std::optional<CError> m_interfacesError;
};

}  // namespace netpeek
