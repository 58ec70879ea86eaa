#pragma once
// Decoding of a MIB_IPADDRTABLE buffer into the ordered collection of rows.

#include <cstdint>
#include <cstring>
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

// Whether two reads of the table are alike, row for row: compared as their bytes, since a re-read
// compares a table that may hold thousands of rows, and a row has no padding.
inline bool SameTable(const CIPAddrList& a, const CIPAddrList& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(CIPAddrRow)) == 0);
}

}  // namespace netpeek
