#pragma once
// What a list that shows one snapshot's rows must do to show the next one: which items go,
// which come and which cells are rewritten, so that the rows that stay keep their items (and
// with them the selection, the focus and the scroll position).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mainwindow/ListRow.h"

namespace netpeek {

struct ListEdit {
    enum class Kind { Remove, Insert, Rewrite };
    Kind kind;
    int item;          // the item's position at the moment the edit is applied
    std::size_t row;   // Insert, Rewrite: the row's position in the wanted list
    CellSet cells;     // Insert: kAllCells for a new row, or what changed in a row that moved;
                       // Rewrite: the cells to write again
};

// The edits, in the order they are to be applied, that turn a list showing `shown` into one
// showing `wanted`, both in display order. Nothing when the two are alike.
std::vector<ListEdit> PlanListUpdate(const ListRows& shown, const ListRows& wanted);

}  // namespace netpeek
