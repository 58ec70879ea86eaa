#include "mainwindow/ListUpdate.h"

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

std::vector<ListEdit> PlanListUpdate(const CIPAddrList& shown, const CIPAddrList& wanted) {
    std::vector<ListEdit> edits;

    // How many rows of each key the new list has room for; the shown rows beyond that go
    // first, from the bottom up, so that each removal leaves the positions above it alone.
    std::unordered_map<std::uint64_t, std::size_t> room;
    for (const CIPAddrRow& row : wanted)
        ++room[Hash(KeyOf(row))];
    std::vector<bool> stays(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto found = room.find(Hash(KeyOf(shown[i])));
        stays[i] = found != room.end() && found->second > 0;
        if (stays[i])
            --found->second;
    }
    std::vector<const CIPAddrRow*> current;
    current.reserve(wanted.size());
    for (std::size_t i = shown.size(); i-- > 0;)
        if (!stays[i])
            edits.push_back({ListEdit::Kind::Remove, static_cast<int>(i), 0, 0});
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (stays[i])
            current.push_back(&shown[i]);

    // Then the rows in the wanted order: one in its place is rewritten where it changed, one
    // found further down moves up (removed there, inserted here), any other is new.
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const RowKey key = KeyOf(wanted[i]);
        const int item = static_cast<int>(i);
        if (i < current.size() && KeyOf(*current[i]) == key) {
            if (const CellSet cells = ChangedCells(*current[i], wanted[i]))
                edits.push_back({ListEdit::Kind::Rewrite, item, i, cells});
            continue;
        }
        std::size_t from = i + 1;
        while (from < current.size() && !(KeyOf(*current[from]) == key))
            ++from;
        CellSet cells = kAllCells;
        if (from < current.size()) {
            cells = ChangedCells(*current[from], wanted[i]);
            edits.push_back({ListEdit::Kind::Remove, static_cast<int>(from), 0, 0});
            current.erase(current.begin() + static_cast<std::ptrdiff_t>(from));
        }
        edits.push_back({ListEdit::Kind::Insert, item, i, cells});
        current.insert(current.begin() + static_cast<std::ptrdiff_t>(i), &wanted[i]);
    }
    return edits;
}

}  // namespace netpeek
