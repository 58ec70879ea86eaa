#include "interfaces/Routes.h"

#include <algorithm>

namespace netpeek {

namespace {

constexpr std::uint8_t kIPv4 = 4;

bool LinkLocal(const SocketAddress& address) {
    return address.bytes[0] == 0xFE && (address.bytes[1] & 0xC0) == 0x80;
}

// Whether the prefix of that length over the family's bytes holds the address.
bool PrefixHolds(const std::array<std::uint8_t, 16>& prefix, std::uint8_t length, const SocketAddress& address) {
    const unsigned bits = std::min<unsigned>(length, address.family == kIPv4 ? 32 : 128);
    const unsigned whole = bits / 8;
    if (!std::equal(prefix.begin(), prefix.begin() + whole, address.bytes.begin()))
        return false;
    if (bits % 8 == 0)
        return true;
    const std::uint8_t mask = static_cast<std::uint8_t>(0xFF00 >> (bits % 8));
    return (prefix[whole] & mask) == (address.bytes[whole] & mask);
}

const RouteInterface* InterfaceOf(const RouteTable& table, const Route& route) {
    const auto known = table.interfaces.find({route.family, route.index});
    return known == table.interfaces.end() ? nullptr : &known->second;
}

// The route with its interface's metric added, where the interface table knows it.
Route Summed(const RouteTable& table, Route route) {
    if (const RouteInterface* known = InterfaceOf(table, route))
        route.metric += known->metric;
    return route;
}

// Which of two routes that hold a destination Windows takes.
bool Before(const Route& a, const Route& b) {
    if (a.prefixLength != b.prefixLength)
        return a.prefixLength > b.prefixLength;
    if (a.metric != b.metric)
        return a.metric < b.metric;
    return a.index < b.index;
}

}  // namespace

SocketAddress InternetDestination(std::uint8_t family) {
    SocketAddress destination;
    destination.family = family;
    if (family == kIPv4)
        destination.bytes = {198, 41, 0, 4};
    else
        destination.bytes = {0x20, 0x01, 0x05, 0x03, 0xba, 0x3e, 0, 0, 0, 0, 0, 0, 0, 0x02, 0, 0x30};
    return destination;
}

std::optional<Route> ChooseRoute(const RouteTable& table, const SocketAddress& destination,
                                 const std::function<bool(std::uint32_t index)>& up) {
    std::optional<Route> best;
    for (const Route& route : table.routes) {
        if (route.family != destination.family || !PrefixHolds(route.prefix, route.prefixLength, destination))
            continue;
        const RouteInterface* known = InterfaceOf(table, route);
        if (known ? !known->connected : (up && !up(route.index)))
            continue;
        const Route summed = Summed(table, route);
        if (!best || Before(summed, *best))
            best = summed;
    }
    return best;
}

std::optional<SocketAddress> FallbackSource(const Route& route, std::span<const SourceAddress> addresses) {
    const SourceAddress* first = nullptr;
    const SourceAddress* stable = nullptr;
    for (const SourceAddress& source : addresses) {
        if (source.index != route.index || source.address.family != route.family)
            continue;
        if (route.family == kIPv4) {
            if (route.nextHop && PrefixHolds(source.address.bytes, source.prefixLength, *route.nextHop))
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
                                            const std::optional<BestRoute>& windows,
                                            const std::function<std::vector<SourceAddress>(std::uint32_t index)>& sourcesOn) {
    // Windows' own answer stands even for an interface the tables call down: it is where it sends.
    const std::optional<Route> route =
        windows ? Summed(table, windows->route) : ChooseRoute(table, InternetDestination(family), up);
    if (!route)
        return std::nullopt;
    const std::vector<SourceAddress> addresses = sourcesOn(route->index);
    std::optional<SocketAddress> source;
    if (windows && std::any_of(addresses.begin(), addresses.end(), [&](const SourceAddress& candidate) {
            return candidate.index == route->index && candidate.address == windows->source;
        }))
        source = windows->source;
    else
        source = FallbackSource(*route, addresses);
    if (!source)
        return std::nullopt;
    return PrimaryAddress{family, route->index, *source, route->nextHop, route->metric};
}

}  // namespace netpeek
