#pragma once
// One row of the interface address table, members named as in MIB_IPADDRROW.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

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
private:
    std::int16_t m_filler = 0;  // the two bytes before wType, named so that a row has no padding
public:
    std::int32_t wType = 0;  // the 16-bit field widened with its sign

    // Fills every member from the kSize bytes at Ptr (little-endian integers).
    void Init(const std::uint8_t* Ptr);

    // Every member alike, the unlabelled ones too.
    friend bool operator==(const CIPAddrRow& a, const CIPAddrRow& b);
};

// The members lie packed, with no padding, so that a re-read, which compares every row of a
// table of thousands, compares them as words, and a whole table as its bytes.
static_assert(std::has_unique_object_representations_v<CIPAddrRow> && sizeof(CIPAddrRow) == 28);

inline bool operator==(const CIPAddrRow& a, const CIPAddrRow& b) {
    std::uint32_t x[5], y[5];
    std::memcpy(x, &a, sizeof(x));
    std::memcpy(y, &b, sizeof(y));
    return x[0] == y[0] && x[1] == y[1] && x[2] == y[2] && x[3] == y[3] && x[4] == y[4] && a.unused1 == b.unused1 &&
           a.wType == b.wType;
}

}  // namespace netpeek
