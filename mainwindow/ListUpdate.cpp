#include "mainwindow/ListUpdate.h"

#include <algorithm>
#include <utility>

namespace netpeek {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// For each of wanted[first, wantedLast), the position in shown[first, last) of the same row,
// or kNone for a new one. Rows that share a key (an address listed twice on one interface, which
// is rare) pair off in order, the first shown with the first wanted: always a right list, if
// not always the fewest moves. The shown rows are found by key in an open-addressed table,
// linear in the rows: this runs on every change of a list that may hold many thousands.
std::vector<std::size_t> Matches(const ListRows& shown, std::size_t first, std::size_t last,
                                 const ListRows& wanted, std::size_t wantedLast) {
    std::size_t size = 8;
    while (size < 2 * (last - first))
        size *= 2;
    const auto slotOf = [size](const RowKey& key) { return RowKeyHash()(key) & (size - 1); };
    // Each slot holds one key: a shown row with it, and the first of its shown rows not yet
    // paired; `next` chains the shown rows that share a key, in their order.
    std::vector<std::size_t> keyRow(size, kNone), firstFree(size, kNone), next(last - first, kNone);
    for (std::size_t i = last; i-- > first;) {
        const RowKey& key = shown[i].key;
        std::size_t slot = slotOf(key);
        while (keyRow[slot] != kNone && !(shown[keyRow[slot]].key == key))
            slot = (slot + 1) & (size - 1);
        keyRow[slot] = i;
        next[i - first] = firstFree[slot];
        firstFree[slot] = i;
    }
    std::vector<std::size_t> matched(wantedLast - first, kNone);
    for (std::size_t i = first; i < wantedLast; ++i) {
        const RowKey& key = wanted[i].key;
        std::size_t slot = slotOf(key);
        while (keyRow[slot] != kNone && !(shown[keyRow[slot]].key == key))
            slot = (slot + 1) & (size - 1);
        if (keyRow[slot] == kNone || firstFree[slot] == kNone)
            continue;
        matched[i - first] = firstFree[slot];
        firstFree[slot] = next[firstFree[slot] - first];
    }
    return matched;
}

// Which of the matched rows keep their items: the longest run of them whose shown positions
// increase in the wanted order (patience sorting, O(n log n)). Indexed like `matched`.
std::vector<bool> LongestIncreasingRun(const std::vector<std::size_t>& matched) {
    std::vector<std::size_t> tails;  // tails[k]: the index that ends the best run of length k + 1
    std::vector<std::size_t> before(matched.size(), kNone);  // the index before each in its run
    const auto endsBelow = [&](std::size_t tail, std::size_t position) { return matched[tail] < position; };
    for (std::size_t i = 0; i < matched.size(); ++i) {
        if (matched[i] == kNone)
            continue;
        const auto at = std::lower_bound(tails.begin(), tails.end(), matched[i], endsBelow);
        if (at != tails.begin())
            before[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> stays(matched.size());
    for (std::size_t i = tails.empty() ? kNone : tails.back(); i != kNone; i = before[i])
        stays[i] = true;
    return stays;
}

// The general case, for the rows between an unchanged head and tail: shown[first, last) at
// items from `first` on become wanted[first, wantedLast). The rows that keep their order stay
// where they are; every other shown row goes, from the bottom up so that each removal leaves
// the positions above it alone; then the wanted rows that are not there yet go in, top down.
void PlanMiddle(const ListRows& shown, std::size_t first, std::size_t last, const ListRows& wanted,
                std::size_t wantedLast, std::vector<ListEdit>& edits) {
    const std::vector<std::size_t> matched = Matches(shown, first, last, wanted, wantedLast);
    const std::vector<bool> stays = LongestIncreasingRun(matched);
    std::vector<bool> kept(last - first);
    for (std::size_t i = 0; i < matched.size(); ++i)
        if (stays[i])
            kept[matched[i] - first] = true;
    for (std::size_t i = last; i-- > first;)
        if (!kept[i - first])
            edits.push_back({ListEdit::Kind::Remove, static_cast<int>(i), 0, 0});

    // Every row above the one in hand is now in its place, so a row that stayed is at its
    // wanted position; a row that moved takes the cells that changed with it.
    for (std::size_t i = first; i < wantedLast; ++i) {
        const std::size_t from = matched[i - first];
        const int item = static_cast<int>(i);
        if (stays[i - first]) {
            if (const CellSet cells = ChangedCells(shown[from], wanted[i]))
                edits.push_back({ListEdit::Kind::Rewrite, item, i, cells});
        } else {
            edits.push_back({ListEdit::Kind::Insert, item, i,
                             from == kNone ? kAllCells : ChangedCells(shown[from], wanted[i])});
        }
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
