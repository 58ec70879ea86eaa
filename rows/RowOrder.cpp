#include "rows/RowOrder.h"

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

// The columns that sort by their text, whatever its case, rather than by a value.
bool SortsByText(std::size_t column) {
    return column == kColName || column == kColAdapter || column == kColStatus || column == kColNetwork ||
           column == kColCategory || column == kColInternet || column == kColSsid || column == kColKind;
}

// A letter's lower case, for the scripts an interface's name is written in: Latin (ASCII,
// Latin-1 and Latin Extended-A), Greek and Cyrillic. Other characters stay as they are.
wchar_t Folded(wchar_t c) {
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return static_cast<wchar_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<wchar_t>(c + 0x50);
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x481) ||
        (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return static_cast<wchar_t>(c | 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E) || (c >= 0x4C1 && c <= 0x4CE))
        return static_cast<wchar_t>((c & 1) != 0 ? c + 1 : c);
    return c;
}

// Whether the row at one position comes before the row at another in the sort's order: by the
// sorted column's value (or its text whatever its case), then by the table's own order.
class Precedes {
public:
    Precedes(const ListRows& rows, const StoredListSort& sort)
        : m_rows(rows), m_column(static_cast<std::size_t>(sort.column)), m_descending(sort.descending),
          m_sorted(sort.column >= 0 && sort.column < static_cast<int>(kColumnCount)),
          m_byText(m_sorted && SortsByText(m_column)) {}

    bool operator()(std::size_t a, std::size_t b) const {
        const int order = m_sorted ? Compare(m_rows[a], m_rows[b]) : 0;
        if (order != 0)
            return m_descending ? order > 0 : order < 0;
        return a < b;
    }

private:
    int Compare(const ListRow& a, const ListRow& b) const {
        const SortValue x = a.SortBy(m_column);
        const SortValue y = b.SortBy(m_column);
        if (!m_byText)
            return x < y ? -1 : y < x ? 1 : 0;
        if (x.rank != y.rank)
            return x.rank < y.rank ? -1 : 1;
        const std::wstring_view s = a.Cell(m_column);
        const std::wstring_view t = b.Cell(m_column);
        for (std::size_t i = 0; i < s.size() && i < t.size(); ++i)
            if (Folded(s[i]) != Folded(t[i]))
                return Folded(s[i]) < Folded(t[i]) ? -1 : 1;
        return s.size() < t.size() ? -1 : s.size() > t.size() ? 1 : 0;
    }

    const ListRows& m_rows;
    std::size_t m_column;
    bool m_descending, m_sorted, m_byText;
};

}  // namespace

std::wstring FoldCase(std::wstring_view text) {
    std::wstring folded(text);
    for (wchar_t& c : folded)
        c = Folded(c);
    return folded;
}

StoredListSort NextSort(const StoredListSort& current, int column) {
    if (current.column == column)
        return {column, !current.descending};
    return {column, false};
}

std::vector<std::size_t> SortedOrder(const ListRows& rows, const StoredListSort& sort) {
    // Unsorted, the fill takes the rows as they come, with nothing to compare.
    if (sort.column < 0 || sort.column >= static_cast<int>(kColumnCount)) {
        std::vector<std::size_t> order(rows.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        return order;
    }
    const auto column = static_cast<std::size_t>(sort.column);
    if (SortsByText(column)) {
        // Empty cells first, then the texts whatever their case, each folded once.
        std::vector<std::pair<std::uint8_t, std::wstring>> texts;
        texts.reserve(rows.size());
        for (const ListRow& row : rows)
            texts.emplace_back(row.SortBy(column).rank, FoldCase(row.Cell(column)));
        return OrderBy(texts, sort.descending);
    }
    std::vector<SortValue> values;
    values.reserve(rows.size());
    for (const ListRow& row : rows)
        values.push_back(row.SortBy(column));
    return OrderBy(values, sort.descending);
}

std::vector<std::size_t> MergedOrder(const std::vector<std::size_t>& order, std::vector<std::size_t> more,
                                     const ListRows& rows, const StoredListSort& sort) {
    const Precedes precedes(rows, sort);
    std::sort(more.begin(), more.end(), precedes);
    std::vector<std::size_t> merged(order.size() + more.size());
    std::merge(order.begin(), order.end(), more.begin(), more.end(), merged.begin(), precedes);
    return merged;
}

}  // namespace netpeek
