#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
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

}  // namespace

// A row gives back every text and sort value it was made with, wide or narrow, the extra columns
// too where only some have one, each text followed by a NUL, and its copies are the same row.
TEST(ListRow, KeepsEveryTextAndSortValueItWasMadeWith) {
    std::mt19937 random(13);
    for (int round = 0; round < 300; ++round) {
        CRowCells cells;
        SortValues sorts{};
        for (std::size_t column = 0; column < kColumnCount; ++column) {
            if (random() % 3 != 0)
                cells[column] = std::wstring(random() % (round == 7 ? 70000 : 20), static_cast<wchar_t>(L'a' + column));
            if (random() % 2 != 0) {
                sorts[column].rank = static_cast<std::uint8_t>(random() % 3);
                for (std::uint8_t& byte : sorts[column].value)
                    byte = random() % 4 == 0 ? static_cast<std::uint8_t>(random()) : 0;
            }
        }
        const ListRow row(RowKey{}, cells, sorts);
        const ListRow copy = row;
        ASSERT_EQ(copy.Cells(), cells) << "round " << round;
        for (std::size_t column = 0; column < kColumnCount; ++column) {
            ASSERT_EQ(row.SortBy(column), sorts[column]) << "round " << round << ", column " << column;
            ASSERT_EQ(row.Cell(column).data()[row.Cell(column).size()], L'\0');
        }
        ASSERT_EQ(ChangedCells(row, copy), 0u);
        ASSERT_EQ(row, ListRow(RowKey{}, cells, sorts));
    }
    EXPECT_EQ(ListRow().Cell(3), L"");

    // A row given itself, or a copy of it dropped, keeps its block (the sanitizers see one freed early).
    ListRow row(RowKey{}, CRowCells{L"10.0.0.1"}, SortValues{});
    ListRow& same = row;
    row = same;
    row = std::move(same);
    ListRow copy = row;
    copy = ListRow();
    EXPECT_EQ(row.Cell(0), L"10.0.0.1");
}

// Another prefix changes the mask and the broadcast; what no cell shows changes no cell.
TEST(ListUpdate, OnlyTheCellsWhoseTextsDifferChange) {
    const std::vector<RawRow> base = NumberedRows(2);
    std::vector<RawRow> changed = base;
    changed[0].mask = {255, 255, 0, 0};
    changed[0].bcast = {10, 0, 255, 255};
    changed[1].unused = 7;
    changed[1].type = 0x03;  // 0x02 has no label: the type text stays "Primary"
    const ListRows before = Rows(base), after = Rows(changed);
    EXPECT_NE(TableRows(base), TableRows(changed)) << "the snapshot itself differs";
    EXPECT_EQ(ChangedCells(before[0], after[0]), (1u << 2) | (1u << 3));
    EXPECT_EQ(ChangedCells(before[1], after[1]), 0u);
}

TEST(ListUpdate, RowsPairByWhoTheyAreAndOnlyThoseOutsideTheLongestRunThatKeepsItsOrderMove) {
    // The same addresses in another order, some with changed cells: each row is found again, and
    // the rows that keep their relative order (the longest increasing run of their old positions)
    // are those that stay.
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
            after.push_back(r);
        }
        const RowPairing pairing = PairRows(Rows(before), Rows(after));
        std::vector<std::size_t> run(n, 1);  // the longest increasing run ending at each row
        std::size_t longest = 0;
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < i; ++j)
                if (from[j] < from[i])
                    run[i] = std::max(run[i], run[j] + 1);
            longest = std::max(longest, run[i]);
        }
        ASSERT_EQ(pairing.from, from) << "round " << round;
        ASSERT_EQ(static_cast<std::size_t>(std::count(pairing.stays.begin(), pairing.stays.end(), true)), longest)
            << "round " << round;
        std::size_t last = 0;
        bool first = true;
        for (std::size_t i = 0; i < n; ++i)
            if (pairing.stays[i]) {
                ASSERT_TRUE(first || from[i] > last) << "round " << round;
                last = from[i];
                first = false;
            }
    }
}

// The list as it was, made again from the list now and what was replaced, wherever that was.
TEST(ListUpdate, TheListBeforeAReplacementComesBackFromTheListAfterIt) {
    std::mt19937 random(9);
    for (int round = 0; round < 500; ++round) {
        const ListRows before = Rows(NumberedRows(static_cast<std::uint32_t>(random() % 12)));
        const std::size_t first = random() % (before.size() + 1);
        const std::size_t gone = random() % (before.size() - first + 1);
        const ListRows came = Rows(NumberedRows(static_cast<std::uint32_t>(random() % 5)));
        RowsReplaced replaced{first, ListRows(before.begin() + static_cast<std::ptrdiff_t>(first),
                                              before.begin() + static_cast<std::ptrdiff_t>(first + gone)),
                              came};
        ListRows now(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(first));
        now.insert(now.end(), came.begin(), came.end());
        now.insert(now.end(), before.begin() + static_cast<std::ptrdiff_t>(first + gone), before.end());
        ASSERT_EQ(RowsBefore(now, replaced), before) << "round " << round;
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
