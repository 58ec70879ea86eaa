#include "interfaces/NetworkState.h"

namespace netpeek {

namespace {

bool LinkLocal(const SocketAddress& address) {
    return address.family == 6 ? address.bytes[0] == 0xFE && (address.bytes[1] & 0xC0) == 0x80
                               : address.bytes[0] == 169 && address.bytes[1] == 254;
}

}  // namespace

NetworkReach ReachOf(const AdapterMap& adapters) {
    NetworkReach reach;
    if (adapters.empty())
        return reach;
    for (const auto& [index, adapter] : adapters) {
        if (adapter.operStatus != kOperStatusUp || adapter.ifType == kIfTypeLoopback)
            continue;
        for (const AdapterUnicast& unicast : adapter.unicast) {
            if (!LinkLocal(unicast.address))
                return {};
            if (!reach.linkLocal || (unicast.address.family == 4 && reach.linkLocal->family == 6)) {
                reach.linkLocal = unicast.address;
                reach.linkLocalInterface = &adapter;
            }
        }
    }
    reach.state = reach.linkLocal ? NetworkState::Limited : NetworkState::None;
    return reach;
}

}  // namespace netpeek
