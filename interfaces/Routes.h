#pragma once
// The address a family's traffic leaves by, the primary address: the route Windows takes to the
// internet, and the address it sends from on that route's interface.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "interfaces/AdapterInfo.h"

namespace netpeek {

// A route of the route table. Its prefix counts the family's bytes of `prefix` (four for IPv4),
// so that a route left as made is the family's default route (0.0.0.0/0, ::/0).
struct Route {
    std::uint8_t family = 4;                // 4 or 6
    std::uint32_t index = 0;                // its interface's
    std::optional<SocketAddress> nextHop;   // none for a route on the link itself, as a VPN's often is
    std::uint32_t metric = 0;               // the route's own
    std::array<std::uint8_t, 16> prefix{};
    std::uint8_t prefixLength = 0;
    friend bool operator==(const Route&, const Route&) = default;
};

// What the interface table tells of an interface of one family.
struct RouteInterface {
    std::uint32_t metric = 0;
    bool connected = true;
    friend bool operator==(const RouteInterface&, const RouteInterface&) = default;
};

// The routes in the table's order, and the interfaces by family and index where the interface
// table answers (Windows); where it does not (Wine), an interface's metric counts 0.
struct RouteTable {
    std::vector<Route> routes;
    std::map<std::pair<std::uint8_t, std::uint32_t>, RouteInterface> interfaces;
    friend bool operator==(const RouteTable&, const RouteTable&) = default;
};

// What Windows answers for a destination: the route it takes and the address it sends from.
struct BestRoute {
    Route route;
    SocketAddress source;
};

// An address an interface may send from.
struct SourceAddress {
    std::uint32_t index = 0;
    SocketAddress address;
    std::uint8_t prefixLength = 0;
    bool preferred = true;   // IPv6: usable for new connections (not tentative, duplicate or deprecated)
    bool temporary = false;  // IPv6: a privacy address
};

// The primary address of a family: where its traffic leaves, by which gateway, at which metric
// (the route's own plus its interface's, as Windows adds them).
struct PrimaryAddress {
    std::uint8_t family = 4;
    std::uint32_t index = 0;
    SocketAddress address;
    std::optional<SocketAddress> gateway;
    std::uint32_t metric = 0;
    friend bool operator==(const PrimaryAddress&, const PrimaryAddress&) = default;
};

// The destination on the internet whose route decides the family's primary address: the root
// name server a.root-servers.net, 198.41.0.4 and 2001:503:ba3e::2:30. Asking for its route sends
// nothing, and no resolver setting or VPN routes it apart from the rest of the internet.
SocketAddress InternetDestination(std::uint8_t family);

// The route Windows takes to the destination by the table's own rule: of the routes whose prefix
// holds it and whose interface is up (as the interface table says where it answers, else as `up`
// says), the longest prefix, then the lowest metric, the route's own plus its interface's, then
// the lower interface index. Its metric then is that sum.
std::optional<Route> ChooseRoute(const RouteTable& table, const SocketAddress& destination,
                                 const std::function<bool(std::uint32_t index)>& up);

// The address of the route's interface that traffic leaves by, where Windows does not say: for
// IPv4 the one whose prefix holds the route's next hop, or for a route without one the interface's
// first; for IPv6 a preferred address that is not link-local, a temporary one before a stable one,
// as Windows prefers them for the connections it makes. None where the interface has no such address.
std::optional<SocketAddress> FallbackSource(const Route& route, std::span<const SourceAddress> addresses);

// The primary address of the family. Where Windows answered for the family's InternetDestination
// (`windows`), its route, and its source where that is one of the interface's own addresses;
// else ChooseRoute's route for it. Otherwise the source is FallbackSource's, from the addresses
// `sourcesOn` gives for the route's interface.
std::optional<PrimaryAddress> ChoosePrimary(const RouteTable& table, std::uint8_t family,
                                            const std::function<bool(std::uint32_t index)>& up,
                                            const std::optional<BestRoute>& windows,
                                            const std::function<std::vector<SourceAddress>(std::uint32_t index)>& sourcesOn);

}  // namespace netpeek
