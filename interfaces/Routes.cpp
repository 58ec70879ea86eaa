#include "interfaces/Routes.h"

#include <algorithm>

namespace netpeek {

namespace {

constexpr std::uint8_t kIPv4 = 4;

std::uint32_t Ipv4Number(const SocketAddress& address) {
    return (std::uint32_t{address.bytes[0]} << 24) | (std::uint32_t{address.bytes[1]} << 16) |
           (std::uint32_t{address.bytes[2]} << 8) | std::uint32_t{address.bytes[3]};
}

bool LinkLocal(const SocketAddress& address) {
    return address.bytes[0] == 0xFE && (address.bytes[1] & 0xC0) == 0x80;
}

bool HoldsNextHop(const SourceAddress& source, const SocketAddress& nextHop) {
    const std::uint32_t mask =
        source.prefixLength == 0 ? 0 : ~std::uint32_t{0} << (32 - std::min<std::uint8_t>(source.prefixLength, 32));
    return (Ipv4Number(source.address) & mask) == (Ipv4Number(nextHop) & mask);
}

}  // namespace

std::optional<DefaultRoute> ChooseDefaultRoute(const RouteTable& table, std::uint8_t family,
                                               const std::function<bool(std::uint32_t index)>& up) {
    std::optional<DefaultRoute> best;
    for (const DefaultRoute& route : table.routes) {
        if (route.family != family)
            continue;
        DefaultRoute summed = route;
        const auto known = table.interfaces.find({family, route.index});
        if (known != table.interfaces.end()) {
            if (!known->second.connected)
                continue;
            summed.metric += known->second.metric;
        } else if (up && !up(route.index)) {
            continue;
        }
        if (!best || summed.metric < best->metric || (summed.metric == best->metric && summed.index < best->index))
            best = summed;
    }
    return best;
}

std::optional<SocketAddress> FallbackSource(const DefaultRoute& route, std::span<const SourceAddress> addresses) {
    const SourceAddress* first = nullptr;
    const SourceAddress* stable = nullptr;
    for (const SourceAddress& source : addresses) {
        if (source.index != route.index || source.address.family != route.family)
            continue;
        if (route.family == kIPv4) {
            if (route.nextHop && HoldsNextHop(source, *route.nextHop))
                return source.address;
            if (!first)
                first = &source;
            continue;
        }
        if (!source.preferred || LinkLocal(source.address))
            continue;
        if (source.temporary)
            return source.address;
        if (!stable)
            stable = &source;
    }
    const SourceAddress* chosen = route.family == kIPv4 ? first : stable;
    return chosen ? std::optional<SocketAddress>(chosen->address) : std::nullopt;
}

std::optional<PrimaryAddress> ChoosePrimary(const RouteTable& table, std::uint8_t family,
                                            const std::function<bool(std::uint32_t index)>& up,
                                            std::span<const SourceAddress> addresses,
                                            const std::function<std::optional<SocketAddress>(const DefaultRoute&)>& bestSource) {
    const std::optional<DefaultRoute> route = ChooseDefaultRoute(table, family, up);
    if (!route)
        return std::nullopt;
    std::optional<SocketAddress> source = bestSource ? bestSource(*route) : std::nullopt;
    const bool own = source && std::any_of(addresses.begin(), addresses.end(), [&](const SourceAddress& candidate) {
                         return candidate.index == route->index && candidate.address == *source;
                     });
    if (!own)
        source = FallbackSource(*route, addresses);
    if (!source)
        return std::nullopt;
    return PrimaryAddress{family, route->index, *source, route->nextHop, route->metric};
}

}  // namespace netpeek
