#pragma once
// What reading and following the address table asks of the system: the tables, the interfaces,
// the change notices and the clocks. The program binds the real calls; the tests bind doubles.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addrtable/AddrTable.h"
#include "addrtable/CIPv6AddrRow.h"
#include "addrtable/GetIPAddresses.h"
#include "interfaces/AdapterInfo.h"
#include "interfaces/Routes.h"
#include "support/LocalTime.h"

namespace netpeek {

struct TableSources {
    // Reads the IPv4 table into `read.rows`, reusing the memory of the read before; on an error the
    // rows are left as they were.
    std::function<void(AddrTableRead& read)> getIPAddresses;
    std::function<CIPv6AddrList()> getIPv6Addresses;
    // The table's change notice: armed with an event to signal (giving IP Helper's handle of the
    // request), withdrawn (false when refused), and asked how it ended, waiting up to so many
    // milliseconds (ERROR_IO_INCOMPLETE while it is pending).
    std::function<HANDLE(OVERLAPPED&)> notifyAddrChange;
    std::function<bool(OVERLAPPED&)> cancelAddrChangeNotify;
    std::function<DWORD(HANDLE device, OVERLAPPED&, DWORD waitMilliseconds)> addrChangeResult;
    // The IPv6 table's change notice: each change posts `message` to `window` (from a thread of
    // the system's); releasing the answer withdraws it. Null where the system gives none.
    std::function<std::shared_ptr<void>(HWND window, UINT message)> notifyIPv6Change;
    // Milliseconds from some fixed moment, never going back: what the table's reads cost.
    std::function<ULONGLONG()> clock;
    // The interfaces with everything the extra columns and the tooltip show.
    std::function<AdapterMap()> getAdapters;
    // The connections behind the interfaces: each link's kind and speed (GetIfTable2), the Network
    // List Manager's connections (throws where it cannot be reached) and the Wi-Fi networks.
    std::function<LinkMap()> getLinks;
    std::function<std::vector<NetworkConnection>()> getNetworks;
    std::function<WifiRead()> getWifi;
    // Windows' notice that the networks' connectivity changed, as the IPv6 table's: posts `message`
    // to `window`, withdrawn when the answer is released; null where the system gives none.
    std::function<std::shared_ptr<void>(HWND window, UINT message)> notifyConnectivityChange;
    // The route table with the interfaces' metrics, and the route and source address Windows
    // takes to a destination (none where it does not say).
    std::function<RouteTable()> getRoutes;
    std::function<std::optional<BestRoute>(const SocketAddress& destination)> bestRoute;
    // The wall clock, in seconds since 1970 UTC, and a moment of it in local time: when leases end.
    std::function<std::int64_t()> utcNow;
    std::function<LocalMinute(std::int64_t utcSeconds)> localMinute;
    // When the interface with that AdapterName obtained its IPv4 lease (seconds since 1970 UTC), where known.
    std::function<std::optional<std::int64_t>(const std::wstring& adapterName)> leaseObtained;

    // The system's own.
    static TableSources Real();
};

}  // namespace netpeek
