#include "mainwindow/ListUpdate.h"

#include <algorithm>
#include <unordered_map>

namespace netpeek {

namespace {

std::uint64_t Hash(const RowKey& key) {
    return (std::uint64_t{static_cast<std::uint32_t>(key.index)} << 32) |
           (std::uint64_t{key.address.Part1} << 24) | (std::uint64_t{key.address.Part2} << 16) |
           (std::uint64_t{key.address.Part3} << 8) | std::uint64_t{key.address.Part4};
}

}  // namespace

RowKey KeyOf(const CIPAddrRow& row) {
    return {row.dwIndex, row.dwAddr};
}

bool SameRow(const CIPAddrRow& a, const CIPAddrRow& b) {
    return a.dwAddr == b.dwAddr && a.dwIndex == b.dwIndex && a.dwMask == b.dwMask && a.dwBCastAddr == b.dwBCastAddr &&
           a.dwReasmSize == b.dwReasmSize && a.unused1 == b.unused1 && a.wType == b.wType;
}

bool SameRows(const CIPAddrList& a, const CIPAddrList& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!SameRow(a[i], b[i]))
            return false;
    return true;
}

CellSet ChangedCells(const CIPAddrRow& before, const CIPAddrRow& after) {
    CellSet cells = 0;
    const auto mark = [&](bool differs, int column) {
        if (differs)
            cells |= 1u << column;
    };
    mark(before.dwIndex != after.dwIndex, 0);
    mark(!(before.dwAddr == after.dwAddr), 1);
    mark(!(before.dwMask == after.dwMask), 2);
    mark(!(before.dwBCastAddr == after.dwBCastAddr), 3);
    mark(before.dwReasmSize != after.dwReasmSize, 4);
    // Bits that have no label change nothing the list shows.
    mark(before.wType != after.wType && FormatTypeFlags(before.wType) != FormatTypeFlags(after.wType), 5);
    return cells;
}

namespace {

// The general case, for the rows between an unchanged head and tail: shown[first, last) at
// items from `first` on become wanted[first, wantedLast).
void PlanMiddle(const CIPAddrList& shown, std::size_t first, std::size_t last, const CIPAddrList& wanted,
                std::size_t wantedLast, std::vector<ListEdit>& edits) {
    // How many rows of each key the new list has room for; the shown rows beyond that go
    // first, from the bottom up, so that each removal leaves the positions above it alone.
    std::unordered_map<std::uint64_t, std::size_t> room;
    for (std::size_t i = first; i < wantedLast; ++i)
        ++room[Hash(KeyOf(wanted[i]))];
    std::vector<bool> stays(last - first);
    for (std::size_t i = first; i < last; ++i) {
        const auto found = room.find(Hash(KeyOf(shown[i])));
        stays[i - first] = found != room.end() && found->second > 0;
        if (stays[i - first])
            --found->second;
    }
    for (std::size_t i = last; i-- > first;)
        if (!stays[i - first])
            edits.push_back({ListEdit::Kind::Remove, static_cast<int>(i), 0, 0});
    std::vector<const CIPAddrRow*> current;  // what the items from `first` on show, as the edits go
    current.reserve(wantedLast - first);
    for (std::size_t i = first; i < last; ++i)
        if (stays[i - first])
            current.push_back(&shown[i]);

    // Then the rows in the wanted order: one in its place is rewritten where it changed, one
    // found further down moves up (removed there, inserted here), any other is new.
    for (std::size_t i = first; i < wantedLast; ++i) {
        const RowKey key = KeyOf(wanted[i]);
        const std::size_t at = i - first;
        const int item = static_cast<int>(i);
        if (at < current.size() && KeyOf(*current[at]) == key) {
            if (const CellSet cells = ChangedCells(*current[at], wanted[i]))
                edits.push_back({ListEdit::Kind::Rewrite, item, i, cells});
            continue;
        }
        std::size_t from = at + 1;
        while (from < current.size() && !(KeyOf(*current[from]) == key))
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

std::vector<ListEdit> PlanListUpdate(const CIPAddrList& shown, const CIPAddrList& wanted) {
    std::vector<ListEdit> edits;
    // Most updates change a few rows of many: the rows before the first and after the last
    // change keep their items, and cost one comparison each.
    const std::size_t common = std::min(shown.size(), wanted.size());
    std::size_t head = 0;
    while (head < common && KeyOf(shown[head]) == KeyOf(wanted[head]))
        ++head;
    std::size_t tail = 0;
    while (tail < common - head &&
           KeyOf(shown[shown.size() - 1 - tail]) == KeyOf(wanted[wanted.size() - 1 - tail]))
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
