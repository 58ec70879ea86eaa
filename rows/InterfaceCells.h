#pragma once
// The extra columns of a row: what its interface, as the adapter read knows it, and its
// address's lease show, as texts and as the values they sort by.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "interfaces/AdapterInfo.h"
#include "interfaces/InterfaceText.h"
#include "rows/ListRow.h"

namespace netpeek {

// The extra cells of an interface's rows, worked out once for all of them, with what they sort
// by; the gateways and the DHCP server by the row's family (0 for IPv4, 1 for IPv6).
struct InterfaceTexts {
    std::wstring name, adapter, mac, status, dns;
    std::wstring gateways[2], dhcpServer[2];
    SortValue nameSort, adapterSort, macSort, statusSort, dnsSort;
    SortValue gatewaySort[2], dhcpServerSort[2];
    // The connection behind it; the reach by the row's family too.
    std::wstring network, category, ssid, speed, kind;
    std::wstring reach[2];
    SortValue speedSort;
};

// What a row's extra cells are made of: its interface, null where the adapter read does not
// know it (it came or went between the two reads); its address among the interface's own,
// null where it is not among them; and when its lease ends, for an address from DHCP.
struct RowInterface {
    const InterfaceTexts* texts = nullptr;
    const AdapterUnicast* unicast = nullptr;
    std::optional<LeaseEnd> lease;
    const std::wstring* leaseText = nullptr;  // LeaseText of it, as the lookup keeps it until its next row
};

// One adapter read as the rows look themselves up in it: by interface index, and by address.
// Each interface's texts are made at its first row; a lease's local time is asked of
// `localMinute`, once for a run of rows whose leases end alike.
class AdapterLookup {
public:
    using LocalMinuteFn = std::function<LocalMinute(std::int64_t utcSeconds)>;
    // The adapters must outlive the lookup.
    AdapterLookup(const AdapterMap& adapters, LocalMinuteFn localMinute);
    RowInterface Of(const RowKey& row) const;

private:
    const AdapterMap& m_adapters;
    LocalMinuteFn m_localMinute;
    std::unordered_map<RowKey, const AdapterUnicast*, RowKeyHash> m_unicast;
    mutable std::map<std::uint32_t, InterfaceTexts> m_texts;
    mutable std::optional<LeaseEnd> m_lastLease;
    mutable std::wstring m_lastLeaseText;
};

// The row that stands for one of an adapter's own addresses, listed under that interface index.
RowKey KeyOf(std::uint32_t index, const SocketAddress& address);

// Sets the cells of the extra columns in `shown` for a row of `family` (4 or 6) on that
// interface, and the values they sort by; the others stay empty.
void FillExtraCells(CRowCells& cells, SortValues& sortBy, std::uint8_t family, const RowInterface& on,
                    CellSet shown);

}  // namespace netpeek
