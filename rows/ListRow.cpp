#include "rows/ListRow.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace netpeek {

std::size_t RowKeyHash::operator()(const RowKey& key) const noexcept {
    // The address as two 64-bit words, mixed with the index and the family by multiplication:
    // a planner or a mark lookup hashes every row of a large list.
    std::uint64_t words[2];
    std::memcpy(words, key.address.data(), sizeof(words));
    std::uint64_t hash = (std::uint64_t{key.index} << 8) ^ static_cast<std::uint8_t>(key.family);
    for (std::uint64_t word : words)
        hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

RowIndex::RowIndex(std::span<const ListRow> rows) : m_rows(rows), m_next(rows.size(), kNone) {
    std::size_t size = 8;
    while (size < 2 * rows.size())
        size *= 2;
    m_keyRow.assign(size, kNone);
    m_first.assign(size, kNone);
    for (std::size_t i = rows.size(); i-- > 0;) {
        const RowKey& key = rows[i].key;
        std::size_t slot = RowKeyHash()(key) & (size - 1);
        while (m_keyRow[slot] != kNone && !(rows[m_keyRow[slot]].key == key))
            slot = (slot + 1) & (size - 1);
        m_keyRow[slot] = i;
        m_next[i] = m_first[slot];
        m_first[slot] = i;
    }
}

std::size_t RowIndex::SlotOf(const RowKey& key) const {
    const std::size_t mask = m_keyRow.size() - 1;
    for (std::size_t slot = RowKeyHash()(key) & mask;; slot = (slot + 1) & mask) {
        if (m_keyRow[slot] == kNone)
            return kNone;
        if (m_rows[m_keyRow[slot]].key == key)
            return slot;
    }
}

ListRow::ListRow(const RowKey& rowKey, CRowCells cells, const SortValues& sortValues)
    : key(rowKey), m_shared(std::make_shared<const Shared>(Shared{std::move(cells), sortValues})) {}

const CRowCells& ListRow::Cells() const {
    static const CRowCells kNone;
    return m_shared ? m_shared->cells : kNone;
}

const SortValue& ListRow::SortBy(std::size_t column) const {
    static const SortValue kEmpty;
    return m_shared && column < kColumnCount ? m_shared->sortBy[column] : kEmpty;
}

bool operator==(const ListRow& a, const ListRow& b) {
    if (!(a.key == b.key))
        return false;
    if (a.m_shared == b.m_shared)
        return true;
    for (std::size_t column = 0; column < kColumnCount; ++column)
        if (!(a.SortBy(column) == b.SortBy(column)))
            return false;
    return a.Cells() == b.Cells();
}

CellSet ChangedCells(const ListRow& before, const ListRow& after) {
    CellSet cells = 0;
    if (before.m_shared == after.m_shared)
        return cells;
    const CRowCells& a = before.Cells();
    const CRowCells& b = after.Cells();
    for (std::size_t column = 0; column < kColumnCount; ++column)
        if (a[column] != b[column])
            cells |= 1u << column;
    return cells;
}

}  // namespace netpeek
