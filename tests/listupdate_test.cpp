#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "addrtable/AddrTable.h"
#include "mainwindow/ListUpdate.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

CIPAddrList TableRows(const std::vector<RawRow>& raw) {
    return raw.empty() ? CIPAddrList{} : DecodeAddrTable(TableBytes(raw));
}

ListRows Rows(const std::vector<RawRow>& raw) {
    return ToListRows(TableRows(raw));
}

// What a list control does with the edits: the rows it ends up showing, and the cells each
// item was told to show anew.
struct AppliedList {
    ListRows rows;
    std::vector<CellSet> marked;
};

AppliedList Apply(const ListRows& shown, const ListRows& wanted) {
    AppliedList list{shown, std::vector<CellSet>(shown.size())};
    for (const ListEdit& edit : PlanListUpdate(shown, wanted)) {
        const auto at = static_cast<std::ptrdiff_t>(edit.item);
        switch (edit.kind) {
        case ListEdit::Kind::Remove:
            list.rows.erase(list.rows.begin() + at);
            list.marked.erase(list.marked.begin() + at);
            break;
        case ListEdit::Kind::Insert:
            list.rows.insert(list.rows.begin() + at, wanted[edit.row]);
            list.marked.insert(list.marked.begin() + at, edit.cells);
            break;
        case ListEdit::Kind::Rewrite:
            list.rows[static_cast<std::size_t>(at)] = wanted[edit.row];
            list.marked[static_cast<std::size_t>(at)] |= edit.cells;
            break;
        }
    }
    return list;
}

}  // namespace

TEST(ListUpdate, OnlyWhatChangedIsTouchedAndMarked) {
    const std::vector<RawRow> base = NumberedRows(5);
    const ListRows shown = Rows(base);
    EXPECT_EQ(shown, Rows(base));
    EXPECT_TRUE(PlanListUpdate(shown, shown).empty());

    // A new address in the middle: one insert, all its cells marked, no other item touched.
    std::vector<RawRow> added = base;
    added.insert(added.begin() + 2, RawRow{{10, 0, 1, 7}, 9, {255, 0, 0, 0}, {1, 0, 0, 0}, 1500, 0, 1});
    auto plan = PlanListUpdate(shown, Rows(added));
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, ListEdit::Kind::Insert);
    EXPECT_EQ(plan[0].item, 2);
    EXPECT_EQ(plan[0].cells, kAllCells);

    // A deleted address goes, and nothing else moves.
    std::vector<RawRow> removed = base;
    removed.erase(removed.begin() + 3);
    plan = PlanListUpdate(shown, Rows(removed));
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, ListEdit::Kind::Remove);
    EXPECT_EQ(plan[0].item, 3);

    // Same interface and address with another prefix: the same row, its mask and broadcast rewritten.
    std::vector<RawRow> changed = base;
    changed[1].mask = {255, 255, 0, 0};
    changed[1].bcast = {10, 0, 255, 255};
    changed[4].unused = 7;  // nothing shown
    changed[4].type = 0x03;  // 0x02 has no label: the type text stays "Primary"
    plan = PlanListUpdate(shown, Rows(changed));
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].kind, ListEdit::Kind::Rewrite);
    EXPECT_EQ(plan[0].item, 1);
    EXPECT_EQ(plan[0].cells, (1u << 2) | (1u << 3));
    EXPECT_NE(TableRows(base), TableRows(changed)) << "the snapshot itself differs";
}

TEST(ListUpdate, AnyTwoListsEndAlikeWithNewRowsAndChangedCellsMarked) {
    // Small key space, duplicates and changed fields included, in random orders.
    std::mt19937 random(7);
    const auto randomRows = [&] {
        std::vector<RawRow> raw(random() % 9);
        for (RawRow& r : raw) {
            r.addr = {10, 0, 0, static_cast<std::uint8_t>(random() % 6)};
            r.index = random() % 2;
            r.mask = {255, static_cast<std::uint8_t>(random() % 2 ? 255 : 0), 0, 0};
            r.reasm = 1500 + random() % 2;
        }
        return Rows(raw);
    };
    for (int round = 0; round < 2000; ++round) {
        const ListRows shown = randomRows(), wanted = randomRows();
        const AppliedList list = Apply(shown, wanted);
        ASSERT_EQ(list.rows, wanted) << "round " << round;
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            bool wasShown = false;
            for (const ListRow& before : shown)
                wasShown = wasShown || before.key == wanted[i].key;
            if (!wasShown) {
                EXPECT_EQ(list.marked[i], kAllCells) << "a new row is marked whole, round " << round;
            }
        }
    }
}
