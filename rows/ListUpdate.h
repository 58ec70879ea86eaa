#pragma once
// What a list that shows one snapshot's rows must do to show the next one: which items go,
// which come and which cells are rewritten, so that the rows that stay keep their items (and
// with them the selection, the focus and the scroll position).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rows/ListRow.h"

namespace netpeek {

// One change to the list. Remove: the item goes; `row` and `cells` are 0 and mean nothing.
// Insert: a new item shows wanted[row], all six of its cells written whatever `cells` says;
// `cells` are only the cells to mark as changed: kAllCells for a row not shown before, or the
// cells that changed in a row that moved (none when it only moved). Rewrite: the item stays
// and shows wanted[row]; `cells` are the cells to write again and to mark, never none.
struct ListEdit {
    enum class Kind { Remove, Insert, Rewrite };
    Kind kind;
    int item;         // the item's position at the moment the edit is applied
    std::size_t row;  // Insert, Rewrite: the row's position in the wanted list
    CellSet cells;
};

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

// The edits, in the order they are to be applied, that turn a list showing `shown` into one
// showing `wanted`, both in display order. Nothing when the two are alike. The rows that keep
// their order keep their items; each other row is removed and inserted once, so a row that
// moves costs two edits however far it goes. Every removal comes before any other edit.
std::vector<ListEdit> PlanListUpdate(const ListRows& shown, const ListRows& wanted);

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
