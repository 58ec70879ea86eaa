#include "rows/ListRow.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>
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

namespace {

// A sort value is narrow where only its first byte and its last four can be other than zero: a
// number, an IPv4 address, a mask, a time, a text's place. An IPv6 address is wide.
bool IsNarrow(const SortValue& value) {
    return std::all_of(value.value.begin() + 1, value.value.begin() + 12, [](std::uint8_t b) { return b == 0; });
}

}  // namespace

// Which columns' sort values are wide is marked in the header's thirty-two bits.
static_assert(kColumnCount <= 32);

// The block's header; after it, for each of its `columns`: where the text ends (4 bytes), the low
// four bytes of the sort value, then the sixteen bytes of each wide value, each value's rank and
// first byte, and the texts.
struct ListRow::Block {
    std::atomic<std::uint32_t> references{1};
    std::uint32_t wide = 0;  // the columns whose sort value is wide
    std::uint32_t length = 0;  // the texts' characters, their NULs included
    std::uint8_t columns = 0;

    static std::size_t WideAt(std::size_t columns) { return sizeof(Block) + 8 * columns; }
    static std::size_t RanksAt(std::size_t columns, std::size_t wides) { return WideAt(columns) + 16 * wides; }
    static std::size_t TextsAt(std::size_t columns, std::size_t wides) {
        constexpr std::size_t kAlign = alignof(wchar_t);
        return (RanksAt(columns, wides) + 2 * columns + kAlign - 1) / kAlign * kAlign;
    }
    static std::size_t Size(std::size_t columns, std::size_t wides, std::size_t length) {
        return TextsAt(columns, wides) + length * sizeof(wchar_t);
    }

    unsigned char* Bytes() { return reinterpret_cast<unsigned char*>(this); }
    const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(this); }
    std::size_t Wides() const { return static_cast<std::size_t>(std::popcount(wide)); }
    std::uint32_t Word(std::size_t at) const {
        std::uint32_t word = 0;
        std::memcpy(&word, Bytes() + at, sizeof(word));
        return word;
    }
    std::uint32_t End(std::size_t column) const { return Word(sizeof(Block) + 4 * column); }
    const wchar_t* Texts() const {
        return reinterpret_cast<const wchar_t*>(Bytes() + TextsAt(columns, Wides()));
    }
    SortValue SortBy(std::size_t column) const {
        SortValue sort;
        const unsigned char* ranks = Bytes() + RanksAt(columns, Wides());
        sort.rank = ranks[column];
        if ((wide >> column) & 1u) {
            const std::size_t nth = static_cast<std::size_t>(std::popcount(static_cast<unsigned>(wide & ((1u << column) - 1))));
            std::memcpy(sort.value.data(), Bytes() + WideAt(columns) + 16 * nth, 16);
        } else {
            sort.value[0] = ranks[columns + column];
            const std::uint32_t low = Word(sizeof(Block) + 4 * (columns + column));
            std::memcpy(sort.value.data() + 12, &low, sizeof(low));
        }
        return sort;
    }
};

ListRow::ListRow(const RowKey& rowKey, const CRowCells& cells, const SortValues& sortValues) : key(rowKey) {
    // Room for the extra columns only where one of them has a text or a value.
    std::size_t columns = kColumnCount;
    while (columns > kBaseColumnCount && cells[columns - 1].empty() && sortValues[columns - 1] == SortValue{})
        --columns;
    std::uint32_t wide = 0;
    std::size_t length = 0;
    for (std::size_t column = 0; column < columns; ++column) {
        if (!IsNarrow(sortValues[column]))
            wide |= 1u << column;
        length += cells[column].size() + 1;
    }
    if (length > UINT32_MAX / 2)
        throw std::length_error("A row's texts are too long.");
    const std::size_t wides = static_cast<std::size_t>(std::popcount(wide));
    void* memory = ::operator new(Block::Size(columns, wides, length));
    auto* block = new (memory) Block;
    block->columns = static_cast<std::uint8_t>(columns);
    block->wide = wide;
    block->length = static_cast<std::uint32_t>(length);
    unsigned char* bytes = block->Bytes();
    unsigned char* ranks = bytes + Block::RanksAt(columns, wides);
    auto* texts = reinterpret_cast<wchar_t*>(bytes + Block::TextsAt(columns, wides));
    std::size_t at = 0, nth = 0;
    for (std::size_t column = 0; column < columns; ++column) {
        const std::wstring& cell = cells[column];
        std::copy(cell.begin(), cell.end(), texts + at);
        at += cell.size();
        const auto end = static_cast<std::uint32_t>(at);
        std::memcpy(bytes + sizeof(Block) + 4 * column, &end, sizeof(end));
        texts[at++] = L'\0';
        const SortValue& sort = sortValues[column];
        ranks[column] = sort.rank;
        ranks[columns + column] = sort.value[0];
        if ((wide >> column) & 1u) {
            std::memcpy(bytes + Block::WideAt(columns) + 16 * nth++, sort.value.data(), 16);
        } else {
            std::memcpy(bytes + sizeof(Block) + 4 * (columns + column), sort.value.data() + 12, 4);
        }
    }
    m_block = block;
}

void ListRow::Hold(Block* block) noexcept {
    block->references.fetch_add(1, std::memory_order_relaxed);
}

void ListRow::Drop(Block* block) noexcept {
    if (block->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block->~Block();
        ::operator delete(block);
    }
}

std::wstring_view ListRow::Cell(std::size_t column) const {
    if (!m_block || column >= m_block->columns)
        return L"";
    const std::size_t begin = column == 0 ? 0 : m_block->End(column - 1) + 1;
    return std::wstring_view(m_block->Texts() + begin, m_block->End(column) - begin);
}

CRowCells ListRow::Cells() const {
    CRowCells cells;
    for (std::size_t column = 0; column < kColumnCount; ++column)
        cells[column] = Cell(column);
    return cells;
}

SortValue ListRow::SortBy(std::size_t column) const {
    return m_block && column < m_block->columns ? m_block->SortBy(column) : SortValue{};
}

bool operator==(const ListRow& a, const ListRow& b) {
    if (!(a.key == b.key))
        return false;
    if (a.m_block == b.m_block)
        return true;
    for (std::size_t column = 0; column < kColumnCount; ++column)
        if (!(a.SortBy(column) == b.SortBy(column)) || a.Cell(column) != b.Cell(column))
            return false;
    return true;
}

CellSet ChangedCells(const ListRow& before, const ListRow& after) {
    CellSet cells = 0;
    if (before.m_block == after.m_block)
        return cells;
    for (std::size_t column = 0; column < kColumnCount; ++column)
        if (before.Cell(column) != after.Cell(column))
            cells |= 1u << column;
    return cells;
}

}  // namespace netpeek
