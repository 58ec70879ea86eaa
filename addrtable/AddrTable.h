#pragma once
// Decoding of a MIB_IPADDRTABLE buffer into the ordered collection of rows.

#include <algorithm>
#include <cstddef>
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
// The same into `rows`, whose memory is reused: a re-read of thousands of rows then asks for none.
// On an error `rows` is left as it was.
void DecodeAddrTable(std::span<const std::uint8_t> buffer, CIPAddrList& rows);

// Whether two reads of the table are alike, row for row: compared as their bytes, since a re-read
// compares a table that may hold thousands of rows, and a row has no padding.
inline bool SameTable(const CIPAddrList& a, const CIPAddrList& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(CIPAddrRow)) == 0);
}

// How many rows at the start of two reads are alike, and how many at their end; compared a block
// of rows at a time as their bytes, since a re-read after one change finds thousands alike.
inline std::size_t SameHead(std::span<const CIPAddrRow> a, std::span<const CIPAddrRow> b) {
    constexpr std::size_t kBlock = 64;
    const std::size_t most = std::min(a.size(), b.size());
    std::size_t head = 0;
    while (head + kBlock <= most && std::memcmp(&a[head], &b[head], kBlock * sizeof(CIPAddrRow)) == 0)
        head += kBlock;
    while (head < most && std::memcmp(&a[head], &b[head], sizeof(CIPAddrRow)) == 0)
        ++head;
    return head;
}

inline std::size_t SameTail(std::span<const CIPAddrRow> a, std::span<const CIPAddrRow> b) {
    constexpr std::size_t kBlock = 64;
    const std::size_t most = std::min(a.size(), b.size());
    const CIPAddrRow* endA = a.data() + a.size();
    const CIPAddrRow* endB = b.data() + b.size();
    std::size_t tail = 0;
    while (tail + kBlock <= most &&
           std::memcmp(endA - tail - kBlock, endB - tail - kBlock, kBlock * sizeof(CIPAddrRow)) == 0)
        tail += kBlock;
    while (tail < most && std::memcmp(endA - tail - 1, endB - tail - 1, sizeof(CIPAddrRow)) == 0)
        ++tail;
    return tail;
}

}  // namespace netpeek
