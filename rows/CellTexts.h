#pragma once
// The list's textual form of an address row: the six cells that the window shows and the
// export writes.

#include <array>
#include <cstdint>
#include <string>

#include <vector>

#include "addrtable/CIPAddrRow.h"
#include "addrtable/CIPv6AddrRow.h"
#include "rows/Columns.h"

namespace netpeek {

// A row's text in every column, by column id; the extras are empty unless the list shows them.
using CRowCells = std::array<std::wstring, kColumnCount>;

// Labels of the type bits that matter, in a fixed order, joined by ", ".
std::wstring FormatTypeFlags(std::int32_t wType);

// Interface index, address, mask, broadcast, reassembly size, type text. The index and
// the reassembly size are unsigned 32-bit values in Windows and are shown as such.
CRowCells RowCells(const CIPAddrRow& row);

// Which rows of an IPv6 table are temporary (privacy) addresses: a random suffix on a prefix from
// a router's advertisement, whose last 64 bits are those of no link-local address of the same
// interface. With random interface identifiers, Windows' default, the stable address has a random
// suffix too, but shares it with the interface's link-local address; a temporary one never does.
std::vector<bool> TemporaryAddresses(const CIPv6AddrList& rows);

// The type of an IPv6 row: "Dynamic" (prefix or suffix from DHCPv6), "Temporary" (a temporary
// address), then the address's state when it is not preferred, joined by ", ".
std::wstring FormatIPv6Type(const CIPv6AddrRow& row, bool temporary);

// Interface index, address with its zone, "/" and the prefix length, two empty cells (IPv6
// has no broadcast, and the table gives no reassembly size), type text.
CRowCells RowCells(const CIPv6AddrRow& row, bool temporary);

}  // namespace netpeek
