#include "rows/ListUpdate.h"

#include <algorithm>
#include <utility>

namespace netpeek {

namespace {

constexpr std::size_t kNone = RowPairing::kNew;

// For each of wanted[first, wantedLast), the position in shown[first, last) of the same row,
// or kNone for a new one. Rows that share a key (an address listed twice on one interface, which
// is rare) pair off in order, the first shown with the first wanted: always a right list, if
// not always the fewest moves. The shown rows are found by key in an open-addressed table,
// linear in the rows: this runs on every change of a list that may hold many thousands.
std::vector<std::size_t> Matches(const ListRows& shown, std::size_t first, std::size_t last,
                                 const ListRows& wanted, std::size_t wantedLast) {
    const RowIndex index(std::span<const ListRow>(shown).subspan(first, last - first));
    // Per key, the first of its shown rows not yet paired.
    std::vector<std::size_t> firstFree(index.SlotCount());
    for (std::size_t slot = 0; slot < firstFree.size(); ++slot)
        firstFree[slot] = index.FirstOf(slot);
    std::vector<std::size_t> matched(wantedLast - first, kNone);
    for (std::size_t i = first; i < wantedLast; ++i) {
        const std::size_t slot = index.SlotOf(wanted[i].key);
        if (slot == RowIndex::kNone || firstFree[slot] == kNone)
            continue;
        matched[i - first] = first + firstFree[slot];
        firstFree[slot] = index.NextOf(firstFree[slot]);
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

}  // namespace

RowPairing PairRows(const ListRows& before, const ListRows& after) {
    RowPairing pairing;
    pairing.from.assign(after.size(), RowPairing::kNew);
    pairing.stays.assign(after.size(), false);
    // Most reads change a few rows of many: the rows before the first and after the last change
    // pair off as they are, and cost one comparison each.
    const std::size_t common = std::min(before.size(), after.size());
    std::size_t head = 0;
    while (head < common && before[head].key == after[head].key)
        ++head;
    std::size_t tail = 0;
    while (tail < common - head && before[before.size() - 1 - tail].key == after[after.size() - 1 - tail].key)
        ++tail;
    for (std::size_t i = 0; i < head; ++i) {
        pairing.from[i] = i;
        pairing.stays[i] = true;
    }
    for (std::size_t t = 1; t <= tail; ++t) {
        pairing.from[after.size() - t] = before.size() - t;
        pairing.stays[after.size() - t] = true;
    }
    // Between them, rows are found by key; those whose old places rise in the new order stay.
    const std::size_t last = before.size() - tail, afterLast = after.size() - tail;
    if (head == afterLast && head == last)
        return pairing;
    const std::vector<std::size_t> matched = Matches(before, head, last, after, afterLast);
    const std::vector<bool> stays = LongestIncreasingRun(matched);
    for (std::size_t i = 0; i < matched.size(); ++i) {
        pairing.from[head + i] = matched[i];
        pairing.stays[head + i] = stays[i];
    }
    return pairing;
}

ListRows RowsBefore(const ListRows& now, const RowsReplaced& replaced) {
    const std::size_t first = std::min(replaced.first, now.size());
    const std::size_t last = first + std::min(replaced.after.size(), now.size() - first);
    ListRows before(now.begin(), now.begin() + static_cast<std::ptrdiff_t>(first));
    before.reserve(now.size() - (last - first) + replaced.before.size());
    before.insert(before.end(), replaced.before.begin(), replaced.before.end());
    before.insert(before.end(), now.begin() + static_cast<std::ptrdiff_t>(last), now.end());
    return before;
}

std::vector<RowChange> ChangesOf(const ListRows& before, const ListRows& after) {
    const RowPairing pairing = PairRows(before, after);
    std::vector<bool> paired(before.size());
    for (const std::size_t from : pairing.from)
        if (from != RowPairing::kNew)
            paired[from] = true;
    std::vector<RowChange> changes;
    for (std::size_t b = 0; b < before.size(); ++b)
        if (!paired[b])
            changes.push_back({RowChange::Kind::Removed, b, RowPairing::kNew});
    for (std::size_t a = 0; a < after.size(); ++a) {
        const std::size_t from = pairing.from[a];
        if (from == RowPairing::kNew)
            changes.push_back({RowChange::Kind::Added, RowPairing::kNew, a});
        else if (ChangedCells(before[from], after[a]) != 0)
            changes.push_back({RowChange::Kind::Changed, from, a});
    }
    return changes;
}

}  // namespace netpeek
