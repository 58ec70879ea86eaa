#include <gtest/gtest.h>

#include <vector>

#include "addrtable/AddrTable.h"
#include "rows/RowOrder.h"
#include "rows/RowsOfTables.h"
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

TEST(RowOrder, IPv6RowsSortAfterIPv4ByAddressBesideThemByPrefixAndEmptyCellsFirst) {
    ListRows rows = Rows();  // IPv4 rows 0-3, masks /8, /16, /24, /24
    const auto add = [&rows](const CIPv6Addr& address, std::uint32_t index, std::uint8_t prefix) {
        CIPv6AddrRow row;
        row.Address = address;
        row.InterfaceIndex = index;
        row.OnLinkPrefixLength = prefix;
        row.DadState = kDadStatePreferred;
        rows.push_back(ToListRow(row, false));
    };
    add(V6({0xfe80, 0, 0, 0, 0, 0, 0, 1}), 12, 64);                // 4
    add(V6({0, 0, 0, 0, 0, 0, 0, 1}), 1, 128);                      // 5
    add(V6({0, 0, 0, 0, 0, 0xffff, 0x0a00, 1}), 3, 8);              // 6: ::ffff:10.0.0.1, still IPv6
    add(V6({0x2001, 0xdb8, 0, 0, 0, 0, 0, 0}), 2, 16);              // 7
    CIPAddrRow zeros;  // 8: an IPv4 row whose broadcast and realm size are zero, not empty
    zeros.dwAddr = {127, 0, 0, 1};
    zeros.dwIndex = 1;
    zeros.dwMask = {255, 0, 0, 0};
    rows.push_back(ToListRow(zeros));
    EXPECT_EQ(SortedOrder(rows, {1, false}), (Order{1, 2, 0, 8, 3, 5, 6, 7, 4}));
    EXPECT_EQ(SortedOrder(rows, {1, true}), (Order{4, 7, 6, 5, 3, 8, 0, 2, 1}));
    // /8 three times (IPv6 first: its mask bytes are zero), /16 twice, /24, /24, /64, /128.
    EXPECT_EQ(SortedOrder(rows, {2, false}), (Order{6, 0, 8, 7, 1, 2, 3, 4, 5}));
    EXPECT_EQ(SortedOrder(rows, {0, false}), (Order{5, 8, 3, 7, 6, 0, 2, 4, 1}));
    // Broadcast and realm size are empty for IPv6: before a zero ascending, after it descending.
    EXPECT_EQ(SortedOrder(rows, {3, false}), (Order{4, 5, 6, 7, 8, 1, 2, 0, 3}));
    EXPECT_EQ(SortedOrder(rows, {4, true}), (Order{1, 2, 0, 3, 8, 4, 5, 6, 7}));
    EXPECT_EQ(SortedOrder(rows, {5, false}), (Order{2, 4, 5, 6, 7, 8, 1, 3, 0}));

    // A row's identity: the family, the interface and the bytes, whatever the zone or state.
    EXPECT_EQ(rows[4].key.family, AddressFamily::IPv6);
    EXPECT_EQ(rows[4].key.index, 12u);
    EXPECT_EQ(rows[4].key.address, V6({0xfe80, 0, 0, 0, 0, 0, 0, 1}).Bytes);
    CIPv6AddrRow changed;
    changed.Address = V6({0xfe80, 0, 0, 0, 0, 0, 0, 1});
    changed.InterfaceIndex = 12;
    changed.OnLinkPrefixLength = 64;
    changed.ScopeId = 12;
    changed.DadState = kDadStateDeprecated;
    EXPECT_EQ(ToListRow(changed, false).key, rows[4].key);
    EXPECT_EQ(ChangedCells(rows[4], ToListRow(changed, false)), (1u << 1) | (1u << 5));
    // The IPv4 row 10.0.0.1 and the mapped ::ffff:10.0.0.1 are different rows.
    CIPAddrRow v4;
    v4.dwAddr = {10, 0, 0, 1};
    v4.dwIndex = 3;
    EXPECT_NE(ToListRow(v4).key, rows[6].key);
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
