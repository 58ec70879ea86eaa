#include "addrtable/CIPAddrRow.h"

#include "addrtable/LittleEndian.h"

namespace netpeek {

void CIPAddrRow::Init(const std::uint8_t* Ptr) {
    dwAddr.Init(Ptr + 0);
    dwMask.Init(Ptr + 8);
    dwBCastAddr.Init(Ptr + 12);
    dwIndex = static_cast<std::int32_t>(ReadU32LE(Ptr + 4));
    dwReasmSize = static_cast<std::int32_t>(ReadU32LE(Ptr + 16));
    unused1 = static_cast<std::int16_t>(ReadU16LE(Ptr + 20));
    wType = static_cast<std::int16_t>(ReadU16LE(Ptr + 22));
}

}  // namespace netpeek
