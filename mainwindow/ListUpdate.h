#pragma once
// What a list that shows one snapshot's rows must do to show the next one: which items go,
// which come and which cells are rewritten, so that the rows that stay keep their items (and
// with them the selection, the focus and the scroll position).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mainwindow/ListRow.h"

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

// The edits, in the order they are to be applied, that turn a list showing `shown` into one
// showing `wanted`, both in display order. Nothing when the two are alike. The rows that keep
// their order keep their items; each other row is removed and inserted once, so a row that
// moves costs two edits however far it goes.
std::vector<ListEdit> PlanListUpdate(const ListRows& shown, const ListRows& wanted);

}  // namespace netpeek
