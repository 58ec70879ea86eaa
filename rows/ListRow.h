#pragma once
// One line of the address list as the window, its sort, its updates, the copy and the saves
// take it: who the row is, the texts it shows and the values its columns sort by.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
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
// Those of them that GetIfTable2's links fill, and those the Network List Manager's connections do.
inline constexpr CellSet kLinkCells = CellOf(kColSpeed) | CellOf(kColKind);
inline constexpr CellSet kNetworkCells = CellOf(kColNetwork) | CellOf(kColCategory) | CellOf(kColInternet);

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
    ListRow(const RowKey& rowKey, const CRowCells& cells, const SortValues& sortValues);
    // Inline, since a read that grows or shrinks the table moves thousands of rows one place on.
    ListRow(const ListRow& other) noexcept : key(other.key), m_block(other.m_block) { Retain(m_block); }
    ListRow(ListRow&& other) noexcept : key(other.key), m_block(std::exchange(other.m_block, nullptr)) {}
    ListRow& operator=(const ListRow& other) noexcept {
        Retain(other.m_block);  // first, so that a row given itself keeps its block
        key = other.key;
        Release(std::exchange(m_block, other.m_block));
        return *this;
    }
    ListRow& operator=(ListRow&& other) noexcept {
        key = other.key;
        Block* const taken = std::exchange(other.m_block, nullptr);  // before, for a row given itself
        Release(std::exchange(m_block, taken));
        return *this;
    }
    ~ListRow() { Release(m_block); }

    RowKey key;
    // A cell's text by column id; the character after it is a NUL, so data() may be handed to
    // whatever takes a C string. The texts and what each sorts by are shared by the row's copies:
    // the feed's reads, the log and the lines of changes copy rows, and a copy then costs no string.
    std::wstring_view Cell(std::size_t column) const;
    // Every cell's text, made for whoever wants them all.
    CRowCells Cells() const;
    SortValue SortBy(std::size_t column) const;

    friend bool operator==(const ListRow& a, const ListRow& b);
    friend CellSet ChangedCells(const ListRow& before, const ListRow& after);

private:
    // A row is held once, by the feed, for as long as it is shown, in one block of memory that its
    // copies share: how many hold it, where each text ends, what each cell sorts by, and the texts
    // one after another, each followed by a NUL. Most rows show no extra column, and theirs have
    // room for the six alone; most sort values are numbers of four bytes, and take five.
    struct Block;
    static void Hold(Block* block) noexcept;
    static void Drop(Block* block) noexcept;
    static void Retain(Block* block) noexcept {
        if (block)
            Hold(block);
    }
    static void Release(Block* block) noexcept {
        if (block)
            Drop(block);
    }
    Block* m_block = nullptr;
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
