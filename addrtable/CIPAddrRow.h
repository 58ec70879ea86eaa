#pragma once
// One row of the interface address table, members named as in MIB_IPADDRROW.

#include <cstddef>
#include <cstdint>

#include "addrtable/CIPAddr.h"

namespace netpeek {

class CIPAddrRow {
public:
    static constexpr std::size_t kSize = 24;  // bytes of one MIB_IPADDRROW

    CIPAddr dwAddr;
    std::int32_t dwIndex = 0;
    CIPAddr dwMask;
    CIPAddr dwBCastAddr;
    std::int32_t dwReasmSize = 0;
    std::int16_t unused1 = 0;
    std::int32_t wType = 0;  // the 16-bit field widened with its sign

    // Fills every member from the kSize bytes at Ptr (little-endian integers).
    void Init(const std::uint8_t* Ptr);

    // Every member alike, the unlabelled ones too.
    friend bool operator==(const CIPAddrRow&, const CIPAddrRow&) = default;
};

}  // namespace netpeek
