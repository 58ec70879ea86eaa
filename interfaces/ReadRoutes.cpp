#include "interfaces/ReadRoutes.h"

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstring>

#include "support/MibTable.h"
#include "support/SystemDlls.h"
#include "support/SystemError.h"

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

// Where a destination that only a default route reaches would go: documentation addresses, which
// no network of a user's routes by a route of its own.
SOCKADDR_INET FarDestination(std::uint8_t family) {
    SOCKADDR_INET destination{};
    if (family == 4) {
        destination.Ipv4.sin_family = AF_INET;
        const std::uint8_t address[4] = {203, 0, 113, 1};
        std::memcpy(&destination.Ipv4.sin_addr, address, 4);
    } else {
        destination.Ipv6.sin6_family = AF_INET6;
        const std::uint8_t address[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        std::memcpy(&destination.Ipv6.sin6_addr, address, 16);
    }
    return destination;
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
        throw SystemError(result, L"The route table could not be read.");
    for (ULONG i = 0; routes && i < routes->NumEntries; ++i) {
        const MIB_IPFORWARD_ROW2& row = routes->Table[i];
        if (row.DestinationPrefix.PrefixLength != 0)
            continue;
        const std::optional<SocketAddress> destination = AddressOf(row.DestinationPrefix.Prefix);
        if (!destination || !Unspecified(*destination))
            continue;
        DefaultRoute route;
        route.family = destination->family;
        route.index = row.InterfaceIndex;
        route.metric = row.Metric;
        if (const std::optional<SocketAddress> nextHop = AddressOf(row.NextHop); nextHop && !Unspecified(*nextHop))
            route.nextHop = nextHop;
        table.routes.push_back(route);
    }
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

std::optional<SocketAddress> BestSourceOf(const DefaultRoute& route) {
    static const auto getBestRoute = SystemFunction<decltype(&GetBestRoute2)>(L"iphlpapi.dll", "GetBestRoute2");
    const SOCKADDR_INET destination = FarDestination(route.family);
    MIB_IPFORWARD_ROW2 best{};
    SOCKADDR_INET source{};
    if (getBestRoute(nullptr, route.index, nullptr, &destination, 0, &best, &source) != NO_ERROR)
        return std::nullopt;
    return AddressOf(source);
}

}  // namespace netpeek
