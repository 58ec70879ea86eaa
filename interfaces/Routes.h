#pragma once
// The address a family's traffic leaves by, the primary address: the default route Windows takes,
// and the address it sends from on that route's interface.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "interfaces/AdapterInfo.h"

namespace netpeek {

// A default route (0.0.0.0/0, ::/0) of the route table.
struct DefaultRoute {
    std::uint8_t family = 4;                // 4 or 6
    std::uint32_t index = 0;                // its interface's
    std::optional<SocketAddress> nextHop;   // none for a route on the link itself, as a VPN's often is
    std::uint32_t metric = 0;               // the route's own
    friend bool operator==(const DefaultRoute&, const DefaultRoute&) = default;
};

// What the interface table tells of an interface of one family.
struct RouteInterface {
    std::uint32_t metric = 0;
    bool connected = true;
    friend bool operator==(const RouteInterface&, const RouteInterface&) = default;
};

// The default routes in the table's order, and the interfaces by family and index where the
// interface table answers (Windows); where it does not (Wine), an interface's metric counts 0.
struct RouteTable {
    std::vector<DefaultRoute> routes;
    std::map<std::pair<std::uint8_t, std::uint32_t>, RouteInterface> interfaces;
    friend bool operator==(const RouteTable&, const RouteTable&) = default;
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

// The default route Windows takes for the family: of those whose interface is up (as the interface
// table says where it answers, else as `up` says), the lowest metric, the route's own plus its
// interface's; a tie goes to the lower interface index. Its metric then is that sum.
std::optional<DefaultRoute> ChooseDefaultRoute(const RouteTable& table, std::uint8_t family,
                                               const std::function<bool(std::uint32_t index)>& up);

// The address of the route's interface that traffic leaves by, where Windows does not say: for
// IPv4 the one whose prefix holds the route's next hop, or for a route without one the interface's
// first; for IPv6 a preferred address that is not link-local, a temporary one before a stable one,
// as Windows prefers them for the connections it makes. None where the interface has no such address.
std::optional<SocketAddress> FallbackSource(const DefaultRoute& route, std::span<const SourceAddress> addresses);

// The primary address of the family: the chosen route's interface sends from `bestSource` (what
// Windows answers for that route, where it does and the address is one of that interface's own),
// else from FallbackSource.
std::optional<PrimaryAddress> ChoosePrimary(const RouteTable& table, std::uint8_t family,
                                            const std::function<bool(std::uint32_t index)>& up,
                                            std::span<const SourceAddress> addresses,
                                            const std::function<std::optional<SocketAddress>(const DefaultRoute&)>& bestSource);

}  // namespace netpeek
