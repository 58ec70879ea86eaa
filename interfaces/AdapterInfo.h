#pragma once
// What Windows tells of a network interface beyond its address table: the values the list's
// extra columns and its tooltip show, read by support/Adapters and kept as plain values.

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "interfaces/Connection.h"

namespace netpeek {

// An address as a socket address holds it: IPv4 in the first four bytes (network order), IPv6
// in all sixteen with its zone (scope id, 0 for none).
struct SocketAddress {
    std::uint8_t family = 4;  // 4 or 6
    std::array<std::uint8_t, 16> bytes{};
    std::uint32_t scopeId = 0;
    // As two words and the rest: a re-read compares every address of an interface that may
    // have thousands, and byte arrays compare one call at a time.
    friend bool operator==(const SocketAddress& a, const SocketAddress& b) {
        std::uint64_t x[2], y[2];
        std::memcpy(x, a.bytes.data(), sizeof(x));
        std::memcpy(y, b.bytes.data(), sizeof(y));
        return x[0] == y[0] && x[1] == y[1] && a.family == b.family && a.scopeId == b.scopeId;
    }
};

// The values of NL_PREFIX_ORIGIN and NL_SUFFIX_ORIGIN that say an address came from DHCP.
inline constexpr std::int32_t kOriginDhcp = 3;  // IpPrefixOriginDhcp, IpSuffixOriginDhcp
// A lifetime that never ends.
inline constexpr std::uint32_t kInfiniteLifetime = 0xFFFFFFFFu;

// An interface that is up (IfOperStatusUp), and the loopback interface's type
// (IF_TYPE_SOFTWARE_LOOPBACK).
inline constexpr std::uint32_t kOperStatusUp = 1;
inline constexpr std::uint32_t kIfTypeLoopback = 24;

// One of the interface's own addresses, with where it came from and how long it stays valid.
struct AdapterUnicast {
    SocketAddress address;
    std::int32_t prefixOrigin = 0;
    std::int32_t suffixOrigin = 0;
    std::uint32_t validLifetime = 0;  // seconds from the read, counting down; kInfiniteLifetime for ever
    // When a lease from DHCP with a finite lifetime ends, in seconds since 1970 UTC, once whoever
    // follows the leases has worked it out (interfaces/LeaseClock); 0 until then.
    std::int64_t leaseEnd = 0;

    bool FromDhcp() const { return prefixOrigin == kOriginDhcp || suffixOrigin == kOriginDhcp; }
    bool Infinite() const { return validLifetime == kInfiniteLifetime; }

    // Alike when they tell the same: the lifetime that counts down from read to read is not
    // compared, only whether it ends, and when the lease does.
    friend bool operator==(const AdapterUnicast& a, const AdapterUnicast& b) {
        return a.address == b.address && a.prefixOrigin == b.prefixOrigin && a.suffixOrigin == b.suffixOrigin &&
               a.Infinite() == b.Infinite() && a.leaseEnd == b.leaseEnd;
    }
};

struct AdapterInfo {
    std::wstring friendlyName;  // the name Windows shows, as "Ethernet" (under Wine the Linux name)
    std::wstring description;
    std::wstring adapterName;   // the interface's GUID, which stays across restarts unlike its index
    std::vector<std::uint8_t> physicalAddress;  // only the bytes that are in use, at most 8
    std::uint32_t operStatus = 0;               // an IF_OPER_STATUS value
    std::uint32_t mtu = 0;
    std::vector<AdapterUnicast> unicast;        // in the order Windows gives them
    std::vector<SocketAddress> gateways;        // of both families, in the order Windows gives them
    std::vector<SocketAddress> dnsServers;      // of both families, in the order Windows gives them
    std::optional<SocketAddress> dhcpv4Server;
    std::optional<SocketAddress> dhcpv6Server;
    std::uint32_t ifType = 0;                   // IANA's ifType: 6 Ethernet, 24 loopback, ...
    // The connection behind it, read only while a column, the filter or a tip wants it.
    std::optional<LinkInfo> link;
    std::optional<NetworkConnection> network;
    WifiInfo wifi;
    friend bool operator==(const AdapterInfo&, const AdapterInfo&) = default;
};

// The interfaces by their index, the number that the list's first column shows: an interface
// with both families under each of its two indexes where they differ, one without IPv4 under
// its IPv6 index.
using AdapterMap = std::map<std::uint32_t, AdapterInfo>;

}  // namespace netpeek
