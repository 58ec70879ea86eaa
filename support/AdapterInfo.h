#pragma once
// What Windows tells of a network interface beyond its addresses: the values the list's
// tooltip shows, read by support/Adapters and kept as plain values.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace netpeek {

struct AdapterInfo {
    std::wstring friendlyName;  // the name Windows shows, as "Ethernet" (under Wine the Linux name)
    std::wstring description;
    std::vector<std::uint8_t> physicalAddress;  // only the bytes that are in use, at most 8
    std::uint32_t operStatus = 0;               // an IF_OPER_STATUS value
    std::uint32_t mtu = 0;
};

// The interfaces by their index, the number that the list's first column shows.
using AdapterMap = std::map<std::uint32_t, AdapterInfo>;

}  // namespace netpeek
