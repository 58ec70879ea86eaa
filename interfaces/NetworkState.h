#pragma once
// Whether the machine reaches a network, judged from its interfaces: the one rule behind the
// icon's look and the metrics' gauge of it.

#include <optional>

#include "interfaces/AdapterInfo.h"

namespace netpeek {

// An interface that is up, other than the loopback, with an address that is not link-local
// (169.254.0.0/16, fe80::/10) is connected; where the only such addresses are link-local ones (DHCP
// failed) the network is limited; where there is none, there is none. Unknown interfaces (none
// read) count as connected.
enum class NetworkState { Connected, Limited, None };

struct NetworkReach {
    NetworkState state = NetworkState::Connected;
    // Where it is limited, the link-local address that names it best (an IPv4 one: DHCP gave no
    // address) and the interface it is on.
    std::optional<SocketAddress> linkLocal;
    const AdapterInfo* linkLocalInterface = nullptr;  // in the map given
};
NetworkReach ReachOf(const AdapterMap& adapters);

}  // namespace netpeek
