#pragma once
// The order in which the list shows the address rows when the user sorts it by a column.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "rows/ListRow.h"
#include "support/LayoutText.h"

namespace netpeek {

// A click on a column's header: the sorted column turns the other way, another column starts
// ascending.
StoredListSort NextSort(const StoredListSort& current, int column);

// The rows' positions in the order the sort shows them, compared by the values their cells
// sort by (for an IPv4 row: the index and the reassembly size as numbers, the addresses as
// 32-bit numbers in network order, the mask by its prefix length; an IPv6 address after every
// IPv4 one; empty cells before every value), the type by its text; the interface's name,
// description and state by their texts whatever their case; a physical address by its bytes,
// the gateways and DNS servers by their first address, a lease by when it ends, one that
// never does after every other. Ties, and no sort at all, keep the table's own order.
std::vector<std::size_t> SortedOrder(const ListRows& rows, const StoredListSort& sort);

// The same order where `order` holds some of the rows' positions in it already (as SortedOrder
// gave them, moved alike where rows before them came or went) and `more` the others, in any
// order: each of `more` goes where SortedOrder puts it, at the cost of sorting `more` alone and
// one pass over `order`, so that a few rows that came or changed in a long list cost little.
std::vector<std::size_t> MergedOrder(const std::vector<std::size_t>& order, std::vector<std::size_t> more,
                                     const ListRows& rows, const StoredListSort& sort);

// The text in lower case, letter by letter, for comparing texts whatever their case.
std::wstring FoldCase(std::wstring_view text);

}  // namespace netpeek
