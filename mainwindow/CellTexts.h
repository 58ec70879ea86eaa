#pragma once
// The list's textual form of an address row: the six cells that the window shows and the
// export writes.

#include <array>
#include <cstdint>
#include <string>

#include "addrtable/CIPAddrRow.h"
#include "addrtable/CIPv6AddrRow.h"

namespace netpeek {

inline constexpr std::size_t kCellCount = 6;
using CRowCells = std::array<std::wstring, kCellCount>;

// Labels of the type bits that matter, in a fixed order, joined by ", ".
std::wstring FormatTypeFlags(std::int32_t wType);

// Interface index, address, mask, broadcast, reassembly size, type text. The index and
// the reassembly size are unsigned 32-bit values in Windows and are shown as such.
CRowCells RowCells(const CIPAddrRow& row);

// The type of an IPv6 row: "Dynamic" (prefix or suffix from DHCPv6), "Temporary" (a random
// suffix), then the address's state when it is not preferred, joined by ", ".
std::wstring FormatIPv6Type(const CIPv6AddrRow& row);

// Interface index, address with its zone, "/" and the prefix length, two empty cells (IPv6
// has no broadcast, and the table gives no reassembly size), type text.
CRowCells RowCells(const CIPv6AddrRow& row);

}  // namespace netpeek
