#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "addrtable/AddrTable.h"
#include "rows/ListUpdate.h"
#include "rows/RowsOfTables.h"
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

    // The top row sorted to the bottom moves alone, down as cheaply as up, with no other row
    // removed and inserted again on its way.
    std::vector<RawRow> down = base;
    std::rotate(down.begin(), down.begin() + 1, down.end());
    plan = PlanListUpdate(shown, Rows(down));
    EXPECT_LE(plan.size(), 2u);
    EXPECT_EQ(Apply(shown, Rows(down)).rows, Rows(down));
    std::vector<RawRow> up = base;
    std::rotate(up.begin(), up.end() - 1, up.end());
    EXPECT_LE(PlanListUpdate(shown, Rows(up)).size(), 2u);
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

TEST(ListUpdate, OnlyTheRowsOutsideTheLongestRunThatKeepsItsOrderMove) {
    // The same addresses in another order, some with changed cells: the rows that keep their
    // relative order (the longest increasing run of their old positions) stay where they are,
    // every other one is removed once and inserted once, and a row that stays and changed is
    // rewritten once; the move itself carries the cells of a row that moved.
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        const auto n = static_cast<std::uint32_t>(random() % 40);
        std::vector<RawRow> before = NumberedRows(n);
        for (RawRow& r : before)
            r.index = static_cast<std::uint32_t>(random() % 3);
        std::vector<std::size_t> from(n);  // wanted position -> shown position
        for (std::size_t i = 0; i < n; ++i)
            from[i] = i;
        if (random() % 4 == 0) {
            std::shuffle(from.begin(), from.end(), random);
        } else if (n > 0) {
            for (std::uint32_t moves = random() % 4; moves > 0; --moves) {
                const std::size_t a = random() % n, b = random() % n;
                const std::size_t taken = from[a];
                from.erase(from.begin() + static_cast<std::ptrdiff_t>(a));
                from.insert(from.begin() + static_cast<std::ptrdiff_t>(b), taken);
            }
        }
        std::vector<RawRow> after;
        for (const std::size_t i : from) {
            RawRow r = before[i];
            if (random() % 5 == 0)
                r.mask = {255, 0, 0, 0};
            if (random() % 5 == 0)
                r.type = 0x08;
            after.push_back(r);
        }
        const ListRows shown = Rows(before), wanted = Rows(after);

        std::vector<std::size_t> run(n, 1);  // the longest increasing run ending at each row
        std::size_t longest = 0;
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < i; ++j)
                if (from[j] < from[i])
                    run[i] = std::max(run[i], run[j] + 1);
            longest = std::max(longest, run[i]);
        }
        const std::vector<ListEdit> plan = PlanListUpdate(shown, wanted);
        std::size_t removes = 0, inserts = 0, rewrites = 0;
        std::vector<bool> rewritten(n);
        for (const ListEdit& edit : plan) {
            removes += edit.kind == ListEdit::Kind::Remove;
            inserts += edit.kind == ListEdit::Kind::Insert;
            if (edit.kind == ListEdit::Kind::Rewrite) {
                ++rewrites;
                ASSERT_NE(edit.cells, 0u) << "round " << round;
                ASSERT_FALSE(rewritten[edit.row]) << "a row rewritten twice, round " << round;
                rewritten[edit.row] = true;
            }
        }
        ASSERT_EQ(removes, n - longest) << "round " << round;
        ASSERT_EQ(inserts, n - longest) << "round " << round;
        ASSERT_EQ(plan.size(), 2 * (n - longest) + rewrites) << "round " << round;
        const AppliedList list = Apply(shown, wanted);
        ASSERT_EQ(list.rows, wanted) << "round " << round;
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(list.marked[i], ChangedCells(shown[from[i]], wanted[i])) << "round " << round << ", row " << i;
    }
}

// The changes between two reads, for random tables with shared keys, moves and changed cells:
// applied to the first read they give the second, row for row, with no change that is not one.
TEST(ListUpdate, TheChangesOfTwoReadsTurnTheFirstIntoTheSecond) {
    std::mt19937 random(5);
    const auto randomRaw = [&] {
        std::vector<RawRow> raw(random() % 12);
        for (RawRow& r : raw) {
            r.addr = {10, 0, 0, static_cast<std::uint8_t>(random() % 5)};
            r.index = random() % 2;
            r.type = static_cast<std::uint16_t>(random() % 3 == 0 ? 0x08 : 0x01);
        }
        return raw;
    };
    const auto sortedCells = [](std::vector<std::pair<std::vector<std::uint8_t>, CRowCells>> rows) {
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    const auto entry = [](const ListRow& row) {
        std::vector<std::uint8_t> key(row.key.address.begin(), row.key.address.end());
        key.push_back(static_cast<std::uint8_t>(row.key.index));
        return std::pair{key, row.Cells()};
    };
    for (int round = 0; round < 2000; ++round) {
        const std::vector<RawRow> first = randomRaw();
        std::vector<RawRow> second = random() % 2 ? randomRaw() : first;
        std::shuffle(second.begin(), second.end(), random);  // a move alone is no change
        const ListRows before = Rows(first), after = Rows(second);
        std::vector<bool> gone(before.size());
        std::vector<std::pair<std::vector<std::uint8_t>, CRowCells>> applied;
        for (const RowChange& change : ChangesOf(before, after)) {
            if (change.kind != RowChange::Kind::Added) {
                ASSERT_FALSE(gone[change.before]) << "round " << round;
                gone[change.before] = true;
            }
            if (change.kind != RowChange::Kind::Removed)
                applied.push_back(entry(after[change.after]));
            if (change.kind == RowChange::Kind::Changed) {
                ASSERT_NE(ChangedCells(before[change.before], after[change.after]), 0u) << "round " << round;
                ASSERT_EQ(before[change.before].key, after[change.after].key) << "round " << round;
            }
        }
        for (std::size_t b = 0; b < before.size(); ++b)
            if (!gone[b])
                applied.push_back(entry(before[b]));
        std::vector<std::pair<std::vector<std::uint8_t>, CRowCells>> wanted;
        for (const ListRow& row : after)
            wanted.push_back(entry(row));
        ASSERT_EQ(sortedCells(applied), sortedCells(wanted)) << "round " << round;
        // The same rows in another order: every one still there, none gone or come.
        const std::vector<RowChange> changes = ChangesOf(before, after);
        if (second.size() == first.size() &&
            std::is_permutation(second.begin(), second.end(), first.begin(), [](const RawRow& a, const RawRow& b) {
                return a.addr == b.addr && a.index == b.index && a.type == b.type;
            })) {
            ASSERT_TRUE(std::all_of(changes.begin(), changes.end(),
                                    [](const RowChange& c) { return c.kind == RowChange::Kind::Changed; }))
                << "round " << round;
        }
    }
}
