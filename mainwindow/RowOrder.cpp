#include "mainwindow/RowOrder.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>

#include "mainwindow/CellTexts.h"

namespace netpeek {

namespace {

enum Column { kIndex, kAddress, kMask, kBroadcast, kReasmSize, kType };

std::uint32_t AddressValue(const CIPAddr& a) {
    return (std::uint32_t{a.Part1} << 24) | (std::uint32_t{a.Part2} << 16) | (std::uint32_t{a.Part3} << 8) |
           std::uint32_t{a.Part4};
}

// Every column but the type compares as an unsigned 32-bit number, as the list shows it.
std::uint32_t NumberOf(const CIPAddrRow& row, int column) {
    switch (column) {
    case kIndex:
        return static_cast<std::uint32_t>(row.dwIndex);
    case kAddress:
        return AddressValue(row.dwAddr);
    case kMask:
        return AddressValue(row.dwMask);
    case kBroadcast:
        return AddressValue(row.dwBCastAddr);
    default:
        return static_cast<std::uint32_t>(row.dwReasmSize);
    }
}

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

std::vector<std::size_t> SortedOrder(const CIPAddrList& rows, const StoredListSort& sort) {
    // Unsorted, the fill takes the rows as they come, with nothing to compare.
    if (sort.column < kIndex || sort.column > kType) {
        std::vector<std::size_t> order(rows.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        return order;
    }
    if (sort.column == kType) {
        // A table has few distinct flag values: each one's text is made and compared once, and
        // the rows sort by its rank, equal for values whose texts are alike.
        std::vector<decltype(CIPAddrRow::wType)> types;
        types.reserve(rows.size());
        for (const CIPAddrRow& row : rows)
            types.push_back(row.wType);
        std::sort(types.begin(), types.end());
        types.erase(std::unique(types.begin(), types.end()), types.end());
        std::vector<std::wstring> texts;
        for (const auto type : types)
            texts.push_back(FormatTypeFlags(type));
        const std::vector<std::size_t> byText = OrderBy(texts, false);
        std::vector<std::uint32_t> rank(types.size());
        for (std::size_t i = 1; i < byText.size(); ++i)
            rank[byText[i]] = rank[byText[i - 1]] + (texts[byText[i]] != texts[byText[i - 1]] ? 1 : 0);
        std::vector<std::uint32_t> numbers;
        numbers.reserve(rows.size());
        for (const CIPAddrRow& row : rows)
            numbers.push_back(rank[static_cast<std::size_t>(std::lower_bound(types.begin(), types.end(), row.wType) -
                                                            types.begin())]);
        return OrderBy(numbers, sort.descending);
    }
    std::vector<std::uint32_t> numbers;
    numbers.reserve(rows.size());
    for (const CIPAddrRow& row : rows)
        numbers.push_back(NumberOf(row, sort.column));
    return OrderBy(numbers, sort.descending);
}

CIPAddrList SortedRows(const CIPAddrList& rows, const StoredListSort& sort) {
    CIPAddrList sorted;
    sorted.reserve(rows.size());
    for (std::size_t index : SortedOrder(rows, sort))
        sorted.push_back(rows[index]);
    return sorted;
}

}  // namespace netpeek
