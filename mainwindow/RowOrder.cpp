#include "mainwindow/RowOrder.h"

#include <algorithm>
#include <numeric>

namespace netpeek {

StoredListSort NextSort(const StoredListSort& current, int column) {
    if (current.column == column)
        return {column, !current.descending};
    return {column, false};
}

std::vector<std::size_t> SortedOrder(const ListRows& rows, const StoredListSort& sort) {
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Unsorted, the fill takes the rows as they come, with nothing to compare.
    if (sort.column < 0 || sort.column >= static_cast<int>(kCellCount))
        return order;
    const auto column = static_cast<std::size_t>(sort.column);
    const auto less = [&](std::size_t a, std::size_t b) {
        if (column == kTextSortedColumn)
            return rows[a].Cells()[column] < rows[b].Cells()[column];
        return rows[a].sortBy[column] < rows[b].sortBy[column];
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return sort.descending ? less(b, a) : less(a, b); });
    return order;
}

ListRows SortedRows(const ListRows& rows, const StoredListSort& sort) {
    ListRows sorted;
    sorted.reserve(rows.size());
    for (std::size_t index : SortedOrder(rows, sort))
        sorted.push_back(rows[index]);
    return sorted;
}

}  // namespace netpeek
