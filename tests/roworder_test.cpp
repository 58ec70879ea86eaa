#include <gtest/gtest.h>

#include <vector>

#include "addrtable/AddrTable.h"
#include "mainwindow/RowOrder.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

using Order = std::vector<std::size_t>;

// Rows in table order: the addresses sort differently as numbers and as text, two rows share
// index 12, one index has the top bit set, and the type texts differ.
ListRows Rows() {
    std::vector<RawRow> raw(4);
    raw[0] = {{10, 100, 0, 1}, 12, {255, 0, 0, 0}, {10, 255, 255, 255}, 1500, 0, 0x05};
    raw[1] = {{10, 9, 0, 1}, 0x80000000u, {255, 255, 0, 0}, {10, 9, 255, 255}, 65535, 0, 0x01};
    raw[2] = {{10, 10, 0, 1}, 12, {255, 255, 255, 0}, {10, 10, 0, 255}, 9000, 0, 0x00};
    raw[3] = {{192, 168, 0, 1}, 2, {255, 255, 255, 0}, {192, 168, 0, 255}, 1500, 0, 0x01};
    return ToListRows(DecodeAddrTable(TableBytes(raw)));
}

}  // namespace

TEST(RowOrder, ColumnsSortByValueAndTiesKeepTheTablesOrder) {
    const ListRows rows = Rows();
    EXPECT_EQ(SortedOrder(rows, {}), (Order{0, 1, 2, 3}));
    EXPECT_EQ(SortedOrder(rows, {1, false}), (Order{1, 2, 0, 3}));  // 10.9 < 10.10 < 10.100 < 192.168
    EXPECT_EQ(SortedOrder(rows, {1, true}), (Order{3, 0, 2, 1}));
    EXPECT_EQ(SortedOrder(rows, {0, false}), (Order{3, 0, 2, 1}));  // 2 < 12 = 12 < 2147483648
    EXPECT_EQ(SortedOrder(rows, {0, true}), (Order{1, 0, 2, 3}));   // equal indexes stay in table order
    EXPECT_EQ(SortedOrder(rows, {2, false}), (Order{0, 1, 2, 3}));
    EXPECT_EQ(SortedOrder(rows, {4, false}), (Order{0, 3, 2, 1}));
    EXPECT_EQ(SortedOrder(rows, {5, false}), (Order{2, 1, 3, 0}));  // "", "Primary" twice, "Primary, Dynamic"

    // The type sorts by its text: flags without a label make no difference, ties keep the order.
    std::vector<RawRow> raw(5);
    const std::uint16_t types[] = {0x03, 0x08, 0x01, 0x02, 0x00};  // "Primary", "Disconnected", "Primary", "", ""
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = {{10, 0, 0, static_cast<std::uint8_t>(i)}, 1, {}, {}, 1500, 0, types[i]};
    const ListRows typed = ToListRows(DecodeAddrTable(TableBytes(raw)));
    EXPECT_EQ(SortedOrder(typed, {5, false}), (Order{3, 4, 1, 0, 2}));
    EXPECT_EQ(SortedOrder(typed, {5, true}), (Order{0, 2, 1, 3, 4}));
}

TEST(RowOrder, HeaderClicksToggleTheSameColumnAndStartAnotherAscending) {
    EXPECT_EQ(NextSort({}, 3), (StoredListSort{3, false}));
    EXPECT_EQ(NextSort({3, false}, 3), (StoredListSort{3, true}));
    EXPECT_EQ(NextSort({3, true}, 3), (StoredListSort{3, false}));
    EXPECT_EQ(NextSort({3, true}, 1), (StoredListSort{1, false}));
}

TEST(RowOrder, StoredSortRoundTripsAndAnythingElseIsNoSort) {
    for (const StoredListSort& sort : {StoredListSort{}, StoredListSort{0, true}, StoredListSort{5, false}})
        EXPECT_EQ(ParseListSort(FormatListSort(sort), 6), sort);
    EXPECT_EQ(FormatListSort({2, true}), L"2,1");
    for (const wchar_t* text : {L"", L"2", L"2,1,0", L"6,0", L"-2,0", L"-1,1", L"2,2", L"2,-1", L"a,0"})
        EXPECT_FALSE(ParseListSort(text, 6)) << testing::PrintToString(std::wstring(text));
}
