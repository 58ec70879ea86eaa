#pragma once
// How one version of a list of rows becomes the next: which rows are the same rows, which of them
// keep their places, which came, went or changed, and which span of the list was replaced.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rows/ListRow.h"

namespace netpeek {

// The one comparison of two lists of rows, by who each row is: which row of `before` each row of
// `after` is, and which of them keep their places among the others (the longest run that keeps
// its order). Rows that share a key (an address listed twice on one interface, which is rare)
// pair off in order, the first before with the first after.
struct RowPairing {
    static constexpr std::size_t kNew = static_cast<std::size_t>(-1);
    std::vector<std::size_t> from;  // for each row of `after`: its row of `before`, or kNew
    std::vector<bool> stays;        // for each row of `after`: paired, and keeping its place
};
RowPairing PairRows(const ListRows& before, const ListRows& after);

// Which rows of a list gave way to which in its next version: the rows at [first, first +
// before.size()) of the list as it was are those at [first, first + after.size()) of the list
// now; every row before them is where it was, and every row after them has moved by the
// difference. Whoever shows the list learns from it what moved and what changed without a copy
// of the list as it was.
struct RowsReplaced {
    std::size_t first = 0;
    ListRows before, after;
};

// The list as it was before `replaced`, made from the list as it is now.
ListRows RowsBefore(const ListRows& now, const RowsReplaced& replaced);

// What changed from one read of the table to the next, for whoever follows the table rather
// than shows it: a row that went, one that came, and one whose cells changed (a row that only
// moved has not changed). The rows that went come first, in the order they had; then those
// that came or changed, in the order they have.
struct RowChange {
    enum class Kind { Removed, Added, Changed };
    Kind kind;
    std::size_t before;  // Removed, Changed: the row in `before`
    std::size_t after;   // Added, Changed: the row in `after`
    friend bool operator==(const RowChange&, const RowChange&) = default;
};
std::vector<RowChange> ChangesOf(const ListRows& before, const ListRows& after);

}  // namespace netpeek
