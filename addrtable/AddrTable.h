#pragma once
// Decoding of a MIB_IPADDRTABLE buffer into the ordered collection of rows.

#include <cstdint>
#include <span>
#include <vector>

#include "addrtable/CIPAddrRow.h"

namespace netpeek {

// The address collection: rows in the buffer's order (first row first).
using CIPAddrList = std::vector<CIPAddrRow>;

// Reads the row count and the rows that follow it, never outside the buffer.
// Throws CError for a buffer too short to hold a count, a negative count, or a count
// that claims more rows than the buffer holds. Bytes after the last row are ignored.
CIPAddrList DecodeAddrTable(std::span<const std::uint8_t> buffer);

}  // namespace netpeek
