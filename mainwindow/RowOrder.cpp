#include "mainwindow/RowOrder.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace netpeek {

namespace {

template <typename Key>
std::vector<std::size_t> OrderBy(const std::vector<Key>& keys, bool descending) {
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return descending ? keys[b] < keys[a] : keys[a] < keys[b];
    });
    return order;
}

}  // namespace

StoredListSort NextSort(const StoredListSort& current, int column) {
    if (current.column == column)
        return {column, !current.descending};
    return {column, false};
}

std::vector<std::size_t> SortedOrder(const ListRows& rows, const StoredListSort& sort) {
    // Unsorted, the fill takes the rows as they come, with nothing to compare.
    if (sort.column < 0 || sort.column >= static_cast<int>(kCellCount)) {
        std::vector<std::size_t> order(rows.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        return order;
    }
    const auto column = static_cast<std::size_t>(sort.column);
    std::vector<SortValue> values;
    values.reserve(rows.size());
    for (const ListRow& row : rows)
        values.push_back(row.sortBy[column]);
    return OrderBy(values, sort.descending);
}

ListRows SortedRows(const ListRows& rows, const StoredListSort& sort) {
    ListRows sorted;
    sorted.reserve(rows.size());
    for (std::size_t index : SortedOrder(rows, sort))
        sorted.push_back(rows[index]);
    return sorted;
}

}  // namespace netpeek
