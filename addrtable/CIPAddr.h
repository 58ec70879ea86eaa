#pragma once
// One IPv4 address as the four bytes Windows stores, in storage (network) order.

#include <cstdint>
#include <string>

namespace netpeek {

class CIPAddr {
public:
    std::uint8_t Part1 = 0;
    std::uint8_t Part2 = 0;
    std::uint8_t Part3 = 0;
    std::uint8_t Part4 = 0;

    // Copies the four bytes at Ptr, first byte into Part1; no byte swapping.
    void Init(const std::uint8_t* Ptr);

    // Dotted decimal, "192.168.0.1"; at most 15 characters.
    std::wstring toString() const;

    friend bool operator==(const CIPAddr&, const CIPAddr&) = default;
};

}  // namespace netpeek
