#pragma once
// One row of the interface address table, members named as in MIB_IPADDRROW.

#include <cstddef>
#include <cstdint>
#include <cstring>

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
    friend bool operator==(const CIPAddrRow& a, const CIPAddrRow& b);
};

// The members up to unused1 lie packed, so that a re-read, which compares every row of a table
// of thousands, compares them as five 32-bit words.
static_assert(offsetof(CIPAddrRow, dwIndex) == 4 && offsetof(CIPAddrRow, dwMask) == 8 &&
              offsetof(CIPAddrRow, dwBCastAddr) == 12 && offsetof(CIPAddrRow, dwReasmSize) == 16 &&
              offsetof(CIPAddrRow, unused1) == 20);

inline bool operator==(const CIPAddrRow& a, const CIPAddrRow& b) {
    std::uint32_t x[5], y[5];
    std::memcpy(x, &a, sizeof(x));
    std::memcpy(y, &b, sizeof(y));
    return x[0] == y[0] && x[1] == y[1] && x[2] == y[2] && x[3] == y[3] && x[4] == y[4] && a.unused1 == b.unused1 &&
           a.wType == b.wType;
}

}  // namespace netpeek
