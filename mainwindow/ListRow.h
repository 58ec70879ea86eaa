#pragma once
// One line of the address list as the window, its sort, its updates, the copy and the saves
// take it: who the row is, the six texts it shows and the values its columns sort by.

#include <array>
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <memory>
#include <span>
#include <vector>

#include "addrtable/AddrTable.h"
#include "addrtable/CIPv6AddrRow.h"
#include "mainwindow/CellTexts.h"

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

// A set of the six cells: bit 1 << column.
using CellSet = unsigned;
inline constexpr CellSet kAllCells = (1u << kCellCount) - 1;

// What a cell sorts by: `rank` first (which kind of value it is), then `value` as one
// big-endian number. An empty cell has rank 0 and comes before every value; a number or an
// IPv4 address has rank 1; an IPv6 address rank 2, after every IPv4 one. A mask sorts by its
// prefix length in the first byte, so IPv4 masks and IPv6 prefixes share rank 1.
inline constexpr std::uint8_t kRankEmpty = 0;
inline constexpr std::uint8_t kRankValue = 1;
inline constexpr std::uint8_t kRankIPv6Address = 2;
struct SortValue {
    std::uint8_t rank = 0;
    std::array<std::uint8_t, 16> value{};
    friend auto operator<=>(const SortValue&, const SortValue&) = default;
};

class ListRow {
public:
    ListRow() = default;
    ListRow(const RowKey& rowKey, CRowCells cells, const std::array<SortValue, kCellCount>& sortValues);

    RowKey key;
    std::array<SortValue, kCellCount> sortBy;  // the type by its text's place among all it can be
    // The six texts, shared by the row's copies: the list's orders and updates copy rows, and
    // a copy then costs no string.
    const CRowCells& Cells() const;

    friend bool operator==(const ListRow& a, const ListRow& b);
    friend CellSet ChangedCells(const ListRow& before, const ListRow& after);

private:
    std::shared_ptr<const CRowCells> m_cells;
};
using ListRows = std::vector<ListRow>;

// The value, in the program's own key, that keeps whether the list shows the IPv6 rows too.
inline constexpr wchar_t kShowIPv6Name[] = L"Show IPv6";

// A row of the IPv4 table as the list shows it.
ListRow ToListRow(const CIPAddrRow& row);
// A row of the IPv6 table as the list shows it; its identity takes the interface index and
// the sixteen bytes, not the zone.
ListRow ToListRow(const CIPv6AddrRow& row);

// The rows of a read of a table, in its order, appended to `list`. Each is taken from `before`
// (the list form of `previous`, the last read) where `previous` holds the same table row, so
// that a re-read that changed a few rows formats the texts of those alone. Both reads come in
// the table's order, give or take the rows that came or went: a row is looked for a little
// way ahead of where the last one was found.
template <typename TableRow>
void AppendListRows(ListRows& list, const std::vector<TableRow>& rows, const std::vector<TableRow>& previous = {},
                    std::span<const ListRow> before = {}) {
    constexpr std::size_t kLookAhead = 16;
    const std::size_t known = std::min(previous.size(), before.size());
    list.reserve(list.size() + rows.size());
    std::size_t next = 0;  // where the last row found was, plus one
    for (const TableRow& row : rows) {
        std::size_t at = next;
        while (at < known && at < next + kLookAhead && !(previous[at] == row))
            ++at;
        if (at < known && at < next + kLookAhead) {
            list.push_back(before[at]);
            next = at + 1;
        } else {
            list.push_back(ToListRow(row));
        }
    }
}
template <typename TableRow>
ListRows ToListRows(const std::vector<TableRow>& rows) {
    ListRows list;
    AppendListRows(list, rows);
    return list;
}

// The cells whose texts differ between two versions of a row.
CellSet ChangedCells(const ListRow& before, const ListRow& after);

}  // namespace netpeek
