#include "interfaces/LeaseClock.h"

#include <cstring>
#include <optional>
#include <unordered_map>


namespace netpeek {

std::int64_t LeaseEndOf(const AdapterUnicast& address, std::int64_t now, const AdapterUnicast* before) {
    if (!address.FromDhcp() || address.Infinite())
        return 0;
    if (before && before->leaseEnd != 0 && address.validLifetime <= before->validLifetime)
        return before->leaseEnd;
    return now + address.validLifetime;
}

namespace {

// An address by its bytes, for finding an interface's address among the read before's.
struct AddressHash {
    std::size_t operator()(const SocketAddress& address) const noexcept {
        std::uint64_t words[2];
        std::memcpy(words, address.bytes.data(), sizeof(words));
        const std::uint64_t hash = ((words[0] * 0x9E3779B97F4A7C15ull) ^ words[1]) * 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(hash ^ (hash >> 29) ^ address.scopeId);
    }
};

// Everything but the addresses, which the walk compares one by one.
bool SameApartFromAddresses(const AdapterInfo& a, const AdapterInfo& b) {
    return a.friendlyName == b.friendlyName && a.description == b.description && a.adapterName == b.adapterName &&
           a.physicalAddress == b.physicalAddress && a.operStatus == b.operStatus && a.mtu == b.mtu &&
           a.gateways == b.gateways && a.dnsServers == b.dnsServers && a.dhcpv4Server == b.dhcpv4Server &&
           a.dhcpv6Server == b.dhcpv6Server && a.link == b.link && a.network == b.network && a.wifi == b.wifi &&
           a.unicast.size() == b.unicast.size();
}

}  // namespace

bool MarkLeaseEnds(AdapterMap& adapters, const AdapterMap& before, std::int64_t now) {
    bool same = adapters.size() == before.size();
    for (auto& [index, adapter] : adapters) {
        const auto earlier = before.find(index);
        const std::vector<AdapterUnicast>* was = earlier == before.end() ? nullptr : &earlier->second.unicast;
        same = same && was && SameApartFromAddresses(adapter, earlier->second);
        std::optional<std::unordered_map<SocketAddress, std::size_t, AddressHash>> byAddress;
        std::size_t next = 0;  // where the last one was found, plus one
        for (AdapterUnicast& address : adapter.unicast) {
            const AdapterUnicast* then = nullptr;
            if (was && next < was->size() && (*was)[next].address == address.address) {
                then = &(*was)[next++];
            } else if (was) {
                if (!byAddress) {
                    byAddress.emplace();
                    for (std::size_t i = 0; i < was->size(); ++i)
                        byAddress->emplace((*was)[i].address, i);
                }
                if (const auto found = byAddress->find(address.address); found != byAddress->end()) {
                    then = &(*was)[found->second];
                    next = found->second + 1;
                }
            }
            address.leaseEnd = LeaseEndOf(address, now, then);
            // Found at its own place and alike: the same address as before.
            same = same && then == was->data() + (&address - adapter.unicast.data()) &&
                   then->prefixOrigin == address.prefixOrigin && then->suffixOrigin == address.suffixOrigin &&
                   then->Infinite() == address.Infinite() && then->leaseEnd == address.leaseEnd;
        }
    }
    return same;
}

}  // namespace netpeek
