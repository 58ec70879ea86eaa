#pragma once
// One line of the address list as the window, its sort, its updates, the copy and the saves
// take it: who the row is, the texts it shows and the values its columns sort by.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "addrtable/AddrTable.h"
#include "addrtable/CIPv6AddrRow.h"
#include "rows/CellTexts.h"

namespace netpeek {

enum class AddressFamily : std::uint8_t { IPv4 = 4, IPv6 = 6 };

// A row is the same row, whatever else changed, when its family, interface index and address
// are. An IPv4 address takes the first four bytes, in network order.
struct RowKey {
    AddressFamily family = AddressFamily::IPv4;
    std::uint32_t index = 0;
    std::array<std::uint8_t, 16> address{};
    friend bool operator==(const RowKey&, const RowKey&) = default;
};
struct RowKeyHash {
    std::size_t operator()(const RowKey& key) const noexcept;
};

// A set of columns: bit 1 << column id.
using CellSet = unsigned;
inline constexpr CellSet kAllCells = (1u << kColumnCount) - 1;
inline constexpr CellSet kBaseCells = (1u << kBaseColumnCount) - 1;
inline constexpr CellSet kExtraCells = kAllCells & ~kBaseCells;
inline constexpr CellSet CellOf(int column) { return 1u << column; }
// The extra cells that the row's interface fills, from the adapter read: all but "Route".
inline constexpr CellSet kInterfaceCells = kExtraCells & ~CellOf(kColRoute);

// What a cell sorts by: `rank` first (which kind of value it is), then `value` as one
// big-endian number. An empty cell has rank 0 and comes before every value; a number, an IPv4
// address or a time has rank 1; rank 2 comes after every one of those: an IPv6 address after
// the IPv4 ones, a lease that never ends after every time. A mask sorts by its prefix length in
// the first byte, so IPv4 masks and IPv6 prefixes share rank 1. A column that sorts by its text
// has rank 1 for any text, and the text decides among them.
inline constexpr std::uint8_t kRankEmpty = 0;
inline constexpr std::uint8_t kRankValue = 1;
inline constexpr std::uint8_t kRankIPv6Address = 2;
inline constexpr std::uint8_t kRankAfterValues = 2;
struct SortValue {
    std::uint8_t rank = 0;
    std::array<std::uint8_t, 16> value{};
    friend auto operator<=>(const SortValue&, const SortValue&) = default;
};
using SortValues = std::array<SortValue, kColumnCount>;

class ListRow {
public:
    ListRow() = default;
    ListRow(const RowKey& rowKey, CRowCells cells, const SortValues& sortValues);

    RowKey key;
    // The texts by column id, and what each sorts by, shared by the row's copies: the list's
    // orders and updates copy rows, and a copy then costs no string.
    const CRowCells& Cells() const;
    const SortValue& SortBy(std::size_t column) const;

    friend bool operator==(const ListRow& a, const ListRow& b);
    friend CellSet ChangedCells(const ListRow& before, const ListRow& after);

private:
    struct Shared {
        CRowCells cells;
        SortValues sortBy;  // the type by its text's place among all it can be
    };
    std::shared_ptr<const Shared> m_shared;
};
using ListRows = std::vector<ListRow>;

// The rows of a list found by who they are, through an open-addressed table of their keys,
// linear in the rows: a planner or a reader looks up every row of a list that may hold many
// thousands. Positions are the rows' own in the span.
class RowIndex {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // The rows must outlive the index.
    explicit RowIndex(std::span<const ListRow> rows);

    // The key's slot, one per distinct key, or kNone when no row has that key.
    std::size_t SlotOf(const RowKey& key) const;
    std::size_t SlotCount() const { return m_keyRow.size(); }
    // The first row with the slot's key, and the next row after `row` with the same key.
    std::size_t FirstOf(std::size_t slot) const { return m_first[slot]; }
    std::size_t NextOf(std::size_t row) const { return m_next[row]; }

private:
    std::span<const ListRow> m_rows;
    std::vector<std::size_t> m_keyRow;  // per slot: a row with its key, or kNone for an empty slot
    std::vector<std::size_t> m_first;   // per slot: the first row with its key
    std::vector<std::size_t> m_next;    // per row
};

// The cells whose texts differ between two versions of a row.
CellSet ChangedCells(const ListRow& before, const ListRow& after);

}  // namespace netpeek
