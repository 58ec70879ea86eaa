// The extra columns of a row, their sort, when a lease ends and the stored choices.
#include <gtest/gtest.h>

#include "interfaces/InterfaceText.h"
#include "interfaces/LeaseClock.h"
#include "rows/Columns.h"
#include "rows/InterfaceCells.h"
#include "rows/RowOrder.h"
#include "rows/RowsOfTables.h"
#include "support/LayoutText.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

SocketAddress Six(const CIPv6Addr& address, std::uint32_t zone = 0) {
    SocketAddress six;
    six.family = 6;
    six.bytes = address.Bytes;
    six.scopeId = zone;
    return six;
}

CIPAddrRow Row4(std::uint32_t index, std::uint8_t last) {
    CIPAddrRow row;
    row.dwIndex = static_cast<std::int32_t>(index);
    row.dwAddr = {10, 0, 0, last};
    return row;
}

// The local time of a moment, as the tests' own moments give it.
LocalMinute Local(std::int64_t utc) {
    return utc == 1765200000 ? LocalMinute{2026, 12, 8, 13, 20} : LocalMinute{2026, 12, 9, 14, 3};
}

// Interface 2 with everything, interface 5 with little; interface 9 is not known.
struct Interfaces {
    AdapterMap adapters;
    Interfaces() {
        AdapterInfo& eth = adapters[2];
        eth.friendlyName = L"Ethernet";
        eth.description = L"Intel(R) Ethernet";
        eth.physicalAddress = {0x00, 0x15, 0x5d, 0x01, 0x02, 0x03};
        eth.operStatus = 1;
        eth.unicast = {{V4(10, 0, 0, 1), kOriginDhcp, kOriginDhcp, 600}, {V4(10, 0, 0, 2), 1, 1, kInfiniteLifetime},
                       {Six(V6({0xfd00, 0, 0, 0, 0, 0, 0, 1})), kOriginDhcp, kOriginDhcp, kInfiniteLifetime}};
        eth.gateways = {V4(10, 0, 0, 254), Six(V6({0xfe80, 0, 0, 0, 0, 0, 0, 1}), 2), V4(10, 0, 0, 253)};
        eth.dnsServers = {Six(V6({0xfd00, 0, 0, 0, 0, 0, 0, 53})), V4(10, 0, 0, 53)};
        eth.dhcpv4Server = V4(10, 0, 0, 250);
        eth.dhcpv6Server = Six(V6({0xfd00, 0, 0, 0, 0, 0, 0, 250}));
        AdapterInfo& tun = adapters[5];
        tun.friendlyName = L"vpn";
        tun.operStatus = 7;
        eth.unicast[0].leaseEnd = 1765289000;
    }
};

}  // namespace

TEST(ExtraCells, EachColumnShowsWhatItsInterfaceAndLeaseTellAndOnlyWhenShown) {
    const Interfaces on;
    const AdapterLookup lookup(on.adapters, Local);
    const RowContext all{&lookup, kExtraCells, {}};
    const CRowCells dhcp = ToListRow(Row4(2, 1), all).Cells();
    EXPECT_EQ(std::vector<std::wstring>(dhcp.begin() + kColName, dhcp.begin() + kColRoute),
              (std::vector<std::wstring>{L"Ethernet", L"Intel(R) Ethernet", L"00-15-5D-01-02-03", L"Up",
                                         L"10.0.0.254, 10.0.0.253", L"fd00::35, 10.0.0.53", L"10.0.0.250",
                                         L"2026-12-09 14:03"}));
    // A manual address has no DHCP server or lease; an unknown interface no extra cell at all.
    EXPECT_EQ(ToListRow(Row4(2, 2), all).Cells()[kColDhcpServer], L"");
    EXPECT_EQ(ToListRow(Row4(2, 2), all).Cells()[kColLeaseExpires], L"");
    const CRowCells unknown = ToListRow(Row4(9, 1), all).Cells();
    EXPECT_TRUE(std::all_of(unknown.begin() + kColName, unknown.end(), [](const std::wstring& c) { return c.empty(); }));
    // An IPv6 row: the IPv6 gateway with its zone, the DHCPv6 server, a lease that never ends.
    CIPv6AddrRow six;
    six.InterfaceIndex = 2;
    six.Address = V6({0xfd00, 0, 0, 0, 0, 0, 0, 1});
    const CRowCells cells6 = ToListRow(six, false, all).Cells();
    EXPECT_EQ(cells6[kColGateway], L"fe80::1%2");
    EXPECT_EQ(cells6[kColDhcpServer], L"fd00::fa");
    EXPECT_EQ(cells6[kColLeaseExpires], L"Never");
    // Only the columns shown are filled; the six are as without any.
    const CRowCells some = ToListRow(Row4(2, 1), {&lookup, CellOf(kColMac) | CellOf(kColStatus), {}}).Cells();
    EXPECT_EQ(some[kColMac], L"00-15-5D-01-02-03");
    EXPECT_EQ(some[kColName], L"");
    EXPECT_EQ(ToListRow(Row4(2, 1), all).Cells()[kColIP], ToListRow(Row4(2, 1)).Cells()[kColIP]);
    EXPECT_EQ(ToListRow(Row4(5, 1), all).Cells()[kColStatus], L"Lower layer down");
    EXPECT_EQ(StatusText(0), L"0");
}

TEST(ExtraCells, SortByValueTextWhateverItsCaseAndEmptyFirst) {
    Interfaces on;
    on.adapters[3] = on.adapters[2];
    on.adapters[3].friendlyName = L"ethernet 2";
    on.adapters[3].physicalAddress = {0x00, 0x15, 0x5d, 0x01, 0x02};
    on.adapters[3].gateways = {Six(V6({0x2001, 0xdb8, 0, 0, 0, 0, 0, 1}))};
    on.adapters[3].dnsServers = {V4(9, 9, 9, 9)};
    on.adapters[4] = on.adapters[2];
    on.adapters[4].friendlyName = L"Подключение";
    on.adapters[4].gateways = {V4(192, 168, 0, 1)};
    on.adapters[6].friendlyName = L"подключение 2";
    on.adapters[3].unicast[0].validLifetime = kInfiniteLifetime;
    on.adapters[4].unicast[0].leaseEnd = 1765200000;
    const AdapterLookup lookup(on.adapters, Local);
    ListRows rows;
    for (std::uint32_t index : {2u, 3u, 9u, 4u, 6u})
        rows.push_back(ToListRow(Row4(index, 1), {&lookup, kExtraCells, {}}));
    using Order = std::vector<std::size_t>;
    EXPECT_EQ(SortedOrder(rows, {kColName, false}), (Order{2, 0, 1, 3, 4}));  // "", Ethernet, ethernet 2, П…, п… 2
    EXPECT_EQ(SortedOrder(rows, {kColMac, false}), (Order{2, 4, 1, 0, 3}));   // none first, then by bytes
    // Interface 3 has an IPv6 gateway alone, none for an IPv4 row.
    EXPECT_EQ(SortedOrder(rows, {kColGateway, false}), (Order{1, 2, 4, 0, 3}));  // 10.0.0.254 < 192.168.0.1
    EXPECT_EQ(SortedOrder(rows, {kColDns, true}), (Order{0, 3, 1, 2, 4}));      // by the first: IPv6 ones last ascending
    EXPECT_EQ(SortedOrder(rows, {kColLeaseExpires, false}), (Order{2, 4, 3, 0, 1}));  // Never after every time
    EXPECT_EQ(FoldCase(L"ÀÉ ЁЖ Ωİ"), L"àé ёж ωİ");
    // Any of them merged into the order of the others, in any order, go where the whole sort puts them.
    for (int column = -1; column < static_cast<int>(kColumnCount); ++column)
        for (const bool descending : {false, true})
            for (unsigned some = 0; some < 32; ++some) {
                const StoredListSort sort{column, descending};
                Order kept, more;
                for (const std::size_t i : SortedOrder(rows, sort))
                    (((some >> i) & 1u) != 0 ? more.insert(more.begin(), i) : kept.insert(kept.end(), i));
                ASSERT_EQ(MergedOrder(kept, more, rows, sort), SortedOrder(rows, sort)) << column << " " << some;
            }
}

TEST(LeaseClock, TheMomentStaysWhileTheLifetimeCountsDownAndMovesOnARenewal) {
    const auto read = [](std::uint32_t remaining, std::int32_t origin = kOriginDhcp) {
        return AdapterUnicast{V4(10, 0, 0, 1), origin, origin, remaining, 0};
    };
    AdapterUnicast before = read(3600);
    before.leaseEnd = LeaseEndOf(before, 1000, nullptr);
    EXPECT_EQ(before.leaseEnd, 4600);
    // Two seconds and a little later Windows says 3598 or 3597: the same moment, never 4599 or 4601;
    // a lifetime Wine keeps fixed gives the same moment too.
    EXPECT_EQ(LeaseEndOf(read(3598), 1002, &before), 4600);
    EXPECT_EQ(LeaseEndOf(read(3600), 1200, &before), 4600);
    // Renewed: longer than the read before; and an address that was not there is a new lease.
    EXPECT_EQ(LeaseEndOf(read(7200), 2000, &before), 9200);
    EXPECT_EQ(LeaseEndOf(read(60), 2000, nullptr), 2060);
    EXPECT_EQ(LeaseEndOf(read(kInfiniteLifetime), 2000, &before), 0);
    EXPECT_EQ(LeaseEndOf(read(60, 1), 2000, &before), 0) << "not from DHCP";

    // Found again in the read before by place, or by address where the addresses moved.
    AdapterMap first, second;
    first[2].unicast = {read(3600), AdapterUnicast{V4(10, 0, 0, 2), kOriginDhcp, kOriginDhcp, 50, 0}};
    MarkLeaseEnds(first, {}, 1000);
    second[2].unicast = {first[2].unicast[1], first[2].unicast[0]};
    second[2].unicast[0].validLifetime = 48;
    second[2].unicast[1].validLifetime = 3598;
    EXPECT_FALSE(MarkLeaseEnds(second, first, 1002)) << "the addresses in another order";
    EXPECT_EQ(second[2].unicast[0].leaseEnd, 1050);
    EXPECT_EQ(second[2].unicast[1].leaseEnd, 4600);
    EXPECT_EQ(second[2].unicast[0], first[2].unicast[1]) << "what counts down is not a change";
    AdapterMap third = second;
    third[2].unicast[0].validLifetime = 40;
    EXPECT_TRUE(MarkLeaseEnds(third, second, 1010));
    third[2].dnsServers.push_back(V4(10, 0, 0, 53));
    EXPECT_FALSE(MarkLeaseEnds(third, second, 1010));
}

TEST(StoredChoices, DamagedValuesGiveWhatCanBeReadOfThem) {
    EXPECT_EQ(ParseExtraColumns(L"Name,Gateway,Lease expires"), (std::vector<int>{kColName, kColGateway, kColLeaseExpires}));
    EXPECT_EQ(ParseExtraColumns(L"mac,,Bogus,MAC,IP,Type,dns,"), (std::vector<int>{kColMac, kColDns}));
    EXPECT_TRUE(ParseExtraColumns(L"").empty());
    EXPECT_TRUE(ParseExtraColumns(L"\x01\xFFFF,,,").empty());
    const std::vector<int> all = {kColName, kColAdapter, kColMac, kColStatus, kColGateway, kColDns, kColDhcpServer,
                                  kColLeaseExpires};
    EXPECT_EQ(ParseExtraColumns(FormatExtraColumns(all)), all);
    EXPECT_EQ(FormatExtraColumns(std::vector<int>{kColDns, kColName}), L"DNS,Name");

    EXPECT_EQ(ParseNameSet(L"{ab-1},,{AB-1},{cd}"), (std::set<std::wstring>{L"{AB-1}", L"{CD}"}));
    EXPECT_EQ(FormatNameSet(ParseNameSet(L"{x},{y}")), L"{X},{Y}");
    EXPECT_TRUE(ParseNameSet(L",,").empty());
}
