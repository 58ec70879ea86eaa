#pragma once
// One IPv6 address as the sixteen bytes Windows stores, in network order.

#include <array>
#include <compare>
#include <cstdint>
#include <string>

namespace netpeek {

class CIPv6Addr {
public:
    std::array<std::uint8_t, 16> Bytes{};

    // Copies the sixteen bytes at Ptr, first byte first; no byte swapping.
    void Init(const std::uint8_t* Ptr);

    // The text Windows writes for the address (RFC 5952's form: lower-case hex without
    // leading zeros, the first longest run of two or more zero groups as "::"), with the
    // last 32 bits as a dotted quad for the IPv4-compatible ("::192.0.2.1"), IPv4-mapped
    // ("::ffff:192.0.2.1"), IPv4-translated ("::ffff:0:192.0.2.1") and ISATAP
    // ("fe80::5efe:192.0.2.1") forms. At most 45 characters.
    std::wstring toString() const;
    // The same followed by "%" and the zone in decimal when ScopeId is not 0 ("fe80::1%12").
    std::wstring toString(std::uint32_t ScopeId) const;

    // Byte by byte, as the list orders its IPv6 rows.
    friend auto operator<=>(const CIPv6Addr&, const CIPv6Addr&) = default;
};

}  // namespace netpeek
