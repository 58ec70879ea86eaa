#include "mainwindow/ListUpdate.h"

#include <algorithm>
#include <unordered_map>

namespace netpeek {

namespace {

// The general case, for the rows between an unchanged head and tail: shown[first, last) at
// items from `first` on become wanted[first, wantedLast).
void PlanMiddle(const ListRows& shown, std::size_t first, std::size_t last, const ListRows& wanted,
                std::size_t wantedLast, std::vector<ListEdit>& edits) {
    // How many rows of each key the new list has room for; the shown rows beyond that go
    // first, from the bottom up, so that each removal leaves the positions above it alone.
    std::unordered_map<RowKey, std::size_t, RowKeyHash> room;
    for (std::size_t i = first; i < wantedLast; ++i)
        ++room[wanted[i].key];
    std::vector<bool> stays(last - first);
    for (std::size_t i = first; i < last; ++i) {
        const auto found = room.find(shown[i].key);
        stays[i - first] = found != room.end() && found->second > 0;
        if (stays[i - first])
            --found->second;
    }
    for (std::size_t i = last; i-- > first;)
        if (!stays[i - first])
            edits.push_back({ListEdit::Kind::Remove, static_cast<int>(i), 0, 0});
    std::vector<const ListRow*> current;  // what the items from `first` on show, as the edits go
    current.reserve(wantedLast - first);
    for (std::size_t i = first; i < last; ++i)
        if (stays[i - first])
            current.push_back(&shown[i]);

    // Then the rows in the wanted order: one in its place is rewritten where it changed, one
    // found further down moves up (removed there, inserted here), any other is new.
    for (std::size_t i = first; i < wantedLast; ++i) {
        const RowKey key = wanted[i].key;
        const std::size_t at = i - first;
        const int item = static_cast<int>(i);
        if (at < current.size() && current[at]->key == key) {
            if (const CellSet cells = ChangedCells(*current[at], wanted[i]))
                edits.push_back({ListEdit::Kind::Rewrite, item, i, cells});
            continue;
        }
        std::size_t from = at + 1;
        while (from < current.size() && !(current[from]->key == key))
            ++from;
        CellSet cells = kAllCells;
        if (from < current.size()) {
            cells = ChangedCells(*current[from], wanted[i]);
            edits.push_back({ListEdit::Kind::Remove, static_cast<int>(first + from), 0, 0});
            current.erase(current.begin() + static_cast<std::ptrdiff_t>(from));
        }
        edits.push_back({ListEdit::Kind::Insert, item, i, cells});
        current.insert(current.begin() + static_cast<std::ptrdiff_t>(at), &wanted[i]);
    }
}

}  // namespace

std::vector<ListEdit> PlanListUpdate(const ListRows& shown, const ListRows& wanted) {
    std::vector<ListEdit> edits;
    // Most updates change a few rows of many: the rows before the first and after the last
    // change keep their items, and cost one comparison each.
    const std::size_t common = std::min(shown.size(), wanted.size());
    std::size_t head = 0;
    while (head < common && shown[head].key == wanted[head].key)
        ++head;
    std::size_t tail = 0;
    while (tail < common - head &&
           shown[shown.size() - 1 - tail].key == wanted[wanted.size() - 1 - tail].key)
        ++tail;
    for (std::size_t i = 0; i < head; ++i)
        if (const CellSet cells = ChangedCells(shown[i], wanted[i]))
            edits.push_back({ListEdit::Kind::Rewrite, static_cast<int>(i), i, cells});
    PlanMiddle(shown, head, shown.size() - tail, wanted, wanted.size() - tail, edits);
    for (std::size_t t = tail; t > 0; --t) {
        const std::size_t before = shown.size() - t, after = wanted.size() - t;
        if (const CellSet cells = ChangedCells(shown[before], wanted[after]))
            edits.push_back({ListEdit::Kind::Rewrite, static_cast<int>(after), after, cells});
    }
    return edits;
}

}  // namespace netpeek
