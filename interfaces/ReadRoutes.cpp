#include "interfaces/ReadRoutes.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "support/MibTable.h"
#include "support/SystemDlls.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

// An address of either family as a socket address holds it; none for another family.
std::optional<SocketAddress> AddressOf(const SOCKADDR_INET& address) {
    SocketAddress result;
    if (address.si_family == AF_INET) {
        std::memcpy(result.bytes.data(), &address.Ipv4.sin_addr, 4);
        return result;
    }
    if (address.si_family != AF_INET6)
        return std::nullopt;
    result.family = 6;
    std::memcpy(result.bytes.data(), &address.Ipv6.sin6_addr, 16);
    result.scopeId = address.Ipv6.sin6_scope_id;
    return result;
}

bool Unspecified(const SocketAddress& address) {
    return std::all_of(address.bytes.begin(), address.bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// The route a row of the route table holds; none for a family other than IPv4's and IPv6's.
std::optional<Route> RouteOf(const MIB_IPFORWARD_ROW2& row) {
    const std::optional<SocketAddress> destination = AddressOf(row.DestinationPrefix.Prefix);
    if (!destination)
        return std::nullopt;
    Route route;
    route.family = destination->family;
    route.index = row.InterfaceIndex;
    route.metric = row.Metric;
    route.prefix = destination->bytes;
    route.prefixLength = row.DestinationPrefix.PrefixLength;
    if (const std::optional<SocketAddress> nextHop = AddressOf(row.NextHop); nextHop && !Unspecified(*nextHop))
        route.nextHop = nextHop;
    return route;
}

// An address as a socket address of IP Helper holds it.
SOCKADDR_INET SockaddrOf(const SocketAddress& address) {
    SOCKADDR_INET result{};
    if (address.family == 4) {
        result.Ipv4.sin_family = AF_INET;
        std::memcpy(&result.Ipv4.sin_addr, address.bytes.data(), 4);
    } else {
        result.Ipv6.sin6_family = AF_INET6;
        std::memcpy(&result.Ipv6.sin6_addr, address.bytes.data(), 16);
        result.Ipv6.sin6_scope_id = address.scopeId;
    }
    return result;
}

}  // namespace

RouteTable ReadRoutes() {
    static const auto getForwardTable =
        SystemFunction<decltype(&GetIpForwardTable2)>(L"iphlpapi.dll", "GetIpForwardTable2");
    static const auto getInterfaceTable =
        SystemFunction<decltype(&GetIpInterfaceTable)>(L"iphlpapi.dll", "GetIpInterfaceTable");
    FreeMibTableFunction();
    RouteTable table;
    MIB_IPFORWARD_TABLE2* rawRoutes = nullptr;
    const DWORD result = getForwardTable(AF_UNSPEC, &rawRoutes);
    const UniqueMibTable<MIB_IPFORWARD_TABLE2> routes(rawRoutes);
    if (result != NO_ERROR && result != ERROR_NOT_FOUND)
        throw SystemError(result, TextWith(TextId::RoutesUnreadable));
    if (routes)
        table.routes.reserve(routes->NumEntries);
    for (ULONG i = 0; routes && i < routes->NumEntries; ++i)
        if (std::optional<Route> route = RouteOf(routes->Table[i]))
            table.routes.push_back(std::move(*route));
    MIB_IPINTERFACE_TABLE* rawInterfaces = nullptr;
    // Where it cannot be read (Wine answers ERROR_NOT_SUPPORTED), the interfaces stay unknown.
    const bool interfacesRead = getInterfaceTable(AF_UNSPEC, &rawInterfaces) == NO_ERROR;
    const UniqueMibTable<MIB_IPINTERFACE_TABLE> interfaces(rawInterfaces);
    for (ULONG i = 0; interfacesRead && interfaces && i < interfaces->NumEntries; ++i) {
        const MIB_IPINTERFACE_ROW& row = interfaces->Table[i];
        const std::uint8_t family = row.Family == AF_INET6 ? 6 : 4;
        table.interfaces[{family, row.InterfaceIndex}] = RouteInterface{row.Metric, row.Connected != FALSE};
    }
    return table;
}

std::optional<BestRoute> BestRouteTo(const SocketAddress& destination) {
    static const auto getBestRoute = SystemFunction<decltype(&GetBestRoute2)>(L"iphlpapi.dll", "GetBestRoute2");
    const SOCKADDR_INET to = SockaddrOf(destination);
    MIB_IPFORWARD_ROW2 best{};
    SOCKADDR_INET source{};
    // No interface named: Windows chooses among them all, as for a connection it makes.
    if (getBestRoute(nullptr, 0, nullptr, &to, 0, &best, &source) != NO_ERROR)
        return std::nullopt;
    std::optional<Route> route = RouteOf(best);
    const std::optional<SocketAddress> from = AddressOf(source);
    if (!route || !from || route->family != destination.family || from->family != destination.family)
        return std::nullopt;
    return BestRoute{std::move(*route), *from};
}

}  // namespace netpeek
