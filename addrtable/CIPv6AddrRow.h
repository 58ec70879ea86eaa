#pragma once
// One IPv6 row of the unicast address table, members named as in MIB_UNICASTIPADDRESS_ROW.

#include <cstdint>
#include <vector>

#include "addrtable/CIPv6Addr.h"

namespace netpeek {

// The values of NL_PREFIX_ORIGIN, NL_SUFFIX_ORIGIN and NL_DAD_STATE that the list labels.
inline constexpr std::int32_t kPrefixOriginDhcp = 3;      // IpPrefixOriginDhcp
inline constexpr std::int32_t kPrefixOriginRouterAdvertisement = 4;  // IpPrefixOriginRouterAdvertisement
inline constexpr std::int32_t kSuffixOriginDhcp = 3;      // IpSuffixOriginDhcp
inline constexpr std::int32_t kSuffixOriginRandom = 5;    // IpSuffixOriginRandom
inline constexpr std::int32_t kDadStateInvalid = 0;       // IpDadStateInvalid
inline constexpr std::int32_t kDadStateTentative = 1;     // IpDadStateTentative
inline constexpr std::int32_t kDadStateDuplicate = 2;     // IpDadStateDuplicate
inline constexpr std::int32_t kDadStateDeprecated = 3;    // IpDadStateDeprecated
inline constexpr std::int32_t kDadStatePreferred = 4;     // IpDadStatePreferred

class CIPv6AddrRow {
public:
    std::uint32_t InterfaceIndex = 0;
    CIPv6Addr Address;
    std::uint32_t ScopeId = 0;  // SCOPE_ID's Value: the zone, 0 where the address has none
    std::uint8_t OnLinkPrefixLength = 0;
    std::int32_t PrefixOrigin = 0;
    std::int32_t SuffixOrigin = 0;
    std::int32_t DadState = 0;

    friend bool operator==(const CIPv6AddrRow&, const CIPv6AddrRow&) = default;
};

// The IPv6 rows in the order the list shows them unsorted: ascending by address bytes, then
// by interface index.
using CIPv6AddrList = std::vector<CIPv6AddrRow>;
void SortIPv6Rows(CIPv6AddrList& rows);

}  // namespace netpeek
