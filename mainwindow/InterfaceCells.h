#pragma once
// The extra columns of a row: what its interface, as the adapter read knows it, and its
// address's lease show, as texts and as the values they sort by.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "mainwindow/ListRow.h"
#include "support/AdapterInfo.h"
#include "support/LocalTime.h"

namespace netpeek {

// When an address's lease ends.
struct LeaseEnd {
    bool never = false;           // its lifetime is infinite
    std::int64_t utcSeconds = 0;  // since 1970, UTC
    LocalMinute local;            // the same moment in local time
    friend bool operator==(const LeaseEnd&, const LeaseEnd&) = default;
};
using LeaseEnds = std::unordered_map<RowKey, LeaseEnd, RowKeyHash>;

// What a row's extra cells are made of: its interface, null where the adapter read does not
// know it (it came or went between the two reads); its address among the interface's own,
// null where it is not among them; and when its lease ends, for an address from DHCP.
struct RowInterface {
    const AdapterInfo* adapter = nullptr;
    const AdapterUnicast* unicast = nullptr;
    const LeaseEnd* lease = nullptr;
};

// One adapter read as the rows look themselves up in it: by interface index, and by address.
class AdapterLookup {
public:
    // Both must outlive the lookup.
    AdapterLookup(const AdapterMap& adapters, const LeaseEnds& leases);
    RowInterface Of(const RowKey& row) const;

private:
    const AdapterMap& m_adapters;
    const LeaseEnds& m_leases;
    std::unordered_map<RowKey, const AdapterUnicast*, RowKeyHash> m_unicast;
};

// The row that stands for one of an adapter's own addresses, listed under that interface index.
RowKey KeyOf(std::uint32_t index, const SocketAddress& address);

// The state as Windows' own tools name it: "Up", "Down", "Testing", "Unknown", "Dormant",
// "Not present", "Lower layer down"; the number for a state this program does not know.
std::wstring StatusText(std::uint32_t operStatus);
// An address as the row of its family writes it: dotted, or RFC 5952's form with "%" and the
// zone where it has one.
std::wstring AddressText(const SocketAddress& address);
// "2026-12-09 14:03", or "Never" for a lifetime that never ends.
std::wstring LeaseText(const LeaseEnd& lease);
// "2026-12-09 14:03".
std::wstring MinuteText(const LocalMinute& moment);

// The addresses of `family` (4 or 6; 0 for both) in their order, joined by ", ".
std::wstring AddressListText(std::span<const SocketAddress> addresses, std::uint8_t family);

// Sets the cells of the extra columns in `shown` for a row of `family` on that interface, and
// the values they sort by; the others stay empty.
void FillExtraCells(CRowCells& cells, SortValues& sortBy, std::uint8_t family, const RowInterface& on,
                    CellSet shown);

}  // namespace netpeek
