// The tables read as the list's rows: what is read and when, what a failed part costs, and which
// rows a re-read makes again.
#include <gtest/gtest.h>

#include <algorithm>

#include "feed/TableRows.h"
#include "tests/FormRecorder.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

CIPv6AddrRow Row6(std::uint32_t index, std::uint16_t last) {
    CIPv6AddrRow row;
    row.InterfaceIndex = index;
    row.Address = V6({0xfd00, 0, 0, 0, 0, 0, 0, last});
    row.OnLinkPrefixLength = 64;
    row.DadState = kDadStatePreferred;
    return row;
}

std::vector<std::wstring> Addresses(const ListRows& rows) {
    std::vector<std::wstring> addresses;
    for (const ListRow& row : rows)
        addresses.push_back(row.Cells()[kColIP]);
    return addresses;
}

TableChoice Choice(bool ipv6, CellSet extras = 0, std::set<std::wstring> hidden = {}) {
    TableChoice choice;
    choice.ipv6 = ipv6;
    choice.extras = extras;
    choice.hidden = std::move(hidden);
    return choice;
}

// The rows a read with that choice shows.
ListRows ReadRows(TableRows& reader, const TableChoice& choice) {
    reader.Read(choice);
    return reader.Rows();
}

class TableRowsTest : public ::testing::Test {
protected:
    // A re-read with the last read's choice: what it replaced, none when nothing changed or the
    // IPv4 table could not be read.
    std::optional<TableRows::Replaced> ReadReplaced() {
        try {
            return reader.Read(reader.Choice());
        } catch (...) {
            return std::nullopt;
        }
    }
    // The rows to show after such a re-read, none when it found nothing new.
    std::optional<ListRows> ReadChanges() {
        return ReadReplaced() ? std::optional<ListRows>(reader.Rows()) : std::nullopt;
    }

    FormRecorder recorder;
    FormServices services = recorder.Services();
    TableRows reader{services};
};

}  // namespace

// Without IPv6 no IPv6 call is made; an IPv6 table that cannot be read leaves the IPv4 rows
// alone, on F5 and on a re-read, which still shows the IPv4 rows that come and keeps the last
// IPv6 ones, where F5 shows none.
TEST_F(TableRowsTest, AnIPv6TableThatCannotBeReadNeverStopsTheIPv4Rows) {
    std::vector<RawRow> raw = NumberedRows(2);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    recorder.rows6 = {Row6(3, 1)};
    EXPECT_EQ(Addresses(ReadRows(reader, {})), (std::vector<std::wstring>{L"10.0.0.1", L"10.0.1.1"}));
    EXPECT_EQ(recorder.Take(), std::vector<std::wstring>{L"GetIPAddresses"});
    recorder.ipv6Fails = true;
    EXPECT_EQ(ReadRows(reader, Choice(true)).size(), 2u);

    recorder.ipv6Fails = false;
    EXPECT_EQ(ReadRows(reader, Choice(true)).size(), 3u);
    recorder.ipv6Fails = true;
    EXPECT_FALSE(ReadChanges()) << "nothing came";
    raw.push_back(NumberedRows(3)[2]);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    const std::optional<ListRows> rows = ReadChanges();
    ASSERT_TRUE(rows);
    EXPECT_EQ(Addresses(*rows), (std::vector<std::wstring>{L"10.0.0.1", L"10.0.1.1", L"10.0.2.1", L"fd00::1"}));
    EXPECT_EQ(reader.Formatted(), 1u);
    recorder.snapshotFails = true;
    EXPECT_FALSE(ReadChanges()) << "an IPv4 read that fails changes nothing";

    // Read anew (F5), the IPv6 table that cannot be read shows no rows, and the rows alike are kept.
    recorder.snapshotFails = false;
    const std::optional<TableRows::Replaced> anew = reader.Read(reader.Choice(), TableRows::Mode::Anew);
    ASSERT_TRUE(anew);
    EXPECT_EQ(Addresses(anew->before), std::vector<std::wstring>{L"fd00::1"});
    EXPECT_TRUE(anew->after.empty());
    EXPECT_EQ(reader.Rows().size(), 3u);
    EXPECT_EQ(reader.Formatted(), 0u);
}

// The rows that stayed are the last read's own wherever they went: a read that drops the first
// hundred of 10,000 rows, or moves one from the top to the bottom, formats none of them again.
TEST_F(TableRowsTest, ARereadFormatsOnlyTheRowsThatAreNewOrChanged) {
    std::vector<RawRow> raw = NumberedRows(10000);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    const ListRows first = ReadRows(reader, {});
    EXPECT_EQ(reader.Formatted(), 10000u);
    raw.erase(raw.begin(), raw.begin() + 100);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    std::optional<ListRows> rows = ReadChanges();
    ASSERT_TRUE(rows);
    EXPECT_EQ(reader.Formatted(), 0u);
    EXPECT_EQ(rows->front(), first[100]);
    std::rotate(raw.begin(), raw.begin() + 1, raw.end());
    raw[5000].type = 0x09;
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    rows = ReadChanges();
    ASSERT_TRUE(rows);
    EXPECT_EQ(reader.Formatted(), 1u) << "the changed row alone";
    EXPECT_EQ(rows->back(), first[100]);
    EXPECT_EQ((*rows)[5000].Cells()[kColType], L"Primary, Disconnected");
}

// A re-read replaces only the rows between those alike at the start and at the end of both reads
// (the IPv4 rows, then the IPv6 rows): it tells which rows gave way to which, makes only the new
// or changed ones, and leaves every row in its place, as a read from scratch would have them.
TEST_F(TableRowsTest, AReReadReplacesOnlyTheRowsBetweenThoseAlikeAtBothEnds) {
    std::vector<RawRow> raw = NumberedRows(6);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    recorder.rows6 = {Row6(1, 1), Row6(2, 2), Row6(3, 3)};
    ReadRows(reader, Choice(true));
    raw[2].type = 0x09;
    raw.erase(raw.begin() + 4);
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    recorder.rows6 = {Row6(1, 1), Row6(2, 2), Row6(4, 4), Row6(3, 3)};
    const std::optional<TableRows::Replaced> replaced = ReadReplaced();
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->first, 2u);
    EXPECT_EQ(Addresses(replaced->before), (std::vector<std::wstring>{L"10.0.2.1", L"10.0.3.1", L"10.0.4.1",
                                                                       L"10.0.5.1", L"fd00::1", L"fd00::2"}));
    EXPECT_EQ(Addresses(replaced->after), (std::vector<std::wstring>{L"10.0.2.1", L"10.0.3.1", L"10.0.5.1",
                                                                      L"fd00::1", L"fd00::2", L"fd00::4"}));
    EXPECT_EQ(replaced->after[0].Cells()[kColType], L"Primary, Disconnected");
    EXPECT_EQ(reader.Formatted(), 2u) << "the changed row and the new one";
    EXPECT_FALSE(ReadReplaced());

    recorder.rows6.pop_back();
    const std::optional<ListRows> rows = ReadChanges();
    ASSERT_TRUE(rows);
    TableRows fresh(services);
    EXPECT_EQ(*rows, ReadRows(fresh, Choice(true)));

    // Where an interface is hidden, they start at their place among the rows shown.
    recorder.adapters[1].adapterName = L"{H}";
    ReadRows(reader, Choice(false, 0, {L"{H}"}));
    raw[3].type = 0x09;
    recorder.rows = DecodeAddrTable(TableBytes(raw));
    const std::optional<TableRows::Replaced> shown = ReadReplaced();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->first, 2u) << "the row of interface 1 is not shown";
    EXPECT_EQ(RowsBefore(reader.Rows(), *shown).size(), reader.Rows().size());
}

// The interfaces are read only while an extra column is shown or one is hidden. A lease keeps
// its moment while Windows counts its lifetime down (and Wine keeps it fixed), moves with a
// renewal, and an adapter read that fails keeps the last one's cells.
TEST_F(TableRowsTest, InterfacesAreReadOnlyWhenNeededAndALeaseMovesOnlyWhenRenewed) {
    recorder.rows = DecodeAddrTable(TableBytes(NumberedRows(2)));  // 10.0.0.1 on 1, 10.0.1.1 on 2
    AdapterInfo& one = recorder.adapters[1];
    one.friendlyName = L"Ethernet";
    one.adapterName = L"{aaaa}";
    one.unicast = {{V4(10, 0, 0, 1), kOriginDhcp, kOriginDhcp, 3600}};
    one.dhcpv4Server = V4(10, 0, 0, 250);
    recorder.adapters[2].adapterName = L"{BBBB}";
    ReadRows(reader, {});
    EXPECT_FALSE(ReadChanges());
    auto calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"GetAdapters"), 0);

    const CellSet dhcp = CellOf(kColDhcpServer) | CellOf(kColLeaseExpires) | CellOf(kColName);
    ListRows rows = ReadRows(reader, Choice(false, dhcp));
    EXPECT_EQ(rows[0].Cells()[kColLeaseExpires], L"2025-12-09 15:03");
    EXPECT_EQ(rows[0].Cells()[kColDhcpServer], L"10.0.0.250");
    recorder.now += 7;
    one.unicast[0].validLifetime = 3593;
    EXPECT_FALSE(ReadChanges()) << "the lifetime counting down";
    recorder.now += 60;
    EXPECT_FALSE(ReadChanges()) << "the lifetime kept fixed, as Wine does";
    one.unicast[0].validLifetime = 7200;  // renewed at 14:04:27
    std::optional<ListRows> renewed = ReadChanges();
    ASSERT_TRUE(renewed);
    EXPECT_EQ((*renewed)[0].Cells()[kColLeaseExpires], L"2025-12-09 16:04");
    EXPECT_EQ(ChangedCells(rows[0], (*renewed)[0]), CellOf(kColLeaseExpires));
    EXPECT_EQ(ChangedCells(rows[1], (*renewed)[1]), 0u);
    recorder.adaptersFail = true;
    EXPECT_FALSE(ReadChanges()) << "the last adapters stand";

    // A hidden interface, by its GUID whatever its case, is left out; its rows come back with it.
    recorder.adaptersFail = false;
    EXPECT_EQ(Addresses(ReadRows(reader, Choice(false, 0, {L"{AAAA}"}))), std::vector<std::wstring>{L"10.0.1.1"});
    recorder.adaptersFail = true;
    EXPECT_EQ(ReadRows(reader, Choice(false, 0, {L"{AAAA}"})).size(), 1u) << "hidden still when the adapters cannot be read";
    calls = recorder.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"GetAdapters"), 7);
}

// A VPN connects beside the LAN's default route (interface 1): Windows, asked for the route to the
// internet, names the VPN's interface (3) and address, and that row is marked whatever the route
// table holds; once it names none (as Wine never does), the table's rule marks the LAN's again.
TEST_F(TableRowsTest, TheRouteColumnMarksTheAddressWindowsSendsTheInternetFrom) {
    recorder.rows = DecodeAddrTable(TableBytes(NumberedRows(3)));  // 10.0.0.1 on 1, 10.0.1.1 on 2, 10.0.2.1 on 3
    recorder.routes.routes = {{4, 1, V4(10, 0, 0, 254), 25}};
    recorder.bestRoutes[4] = {{4, 3, V4(10, 0, 2, 254), 5, {128}, 1}, V4(10, 0, 2, 1)};
    const auto marked = [&] {
        std::vector<std::wstring> addresses;
        for (const ListRow& row : reader.Rows())
            if (row.Cells()[kColRoute] == L"Default")
                addresses.push_back(row.Cells()[kColIP]);
        return addresses;
    };
    reader.Read(Choice(false, CellOf(kColRoute)));
    EXPECT_EQ(marked(), std::vector<std::wstring>{L"10.0.2.1"});
    recorder.bestRoutes.clear();
    ASSERT_TRUE(ReadChanges());
    EXPECT_EQ(marked(), std::vector<std::wstring>{L"10.0.0.1"});
}

// An office laptop: its dock's Ethernet on the domain, its Wi-Fi at home, a VPN. Each column
// shows what Windows tells; a refused SSID says so rather than look unconnected; a Network List
// Manager that cannot be reached leaves its columns empty and the rest as they are; and a network
// that becomes private is a change at the next re-read. Nothing of it is read for other columns.
TEST_F(TableRowsTest, TheConnectionColumnsShowWhatWindowsTellsAndFollowIt) {
    recorder.rows = DecodeAddrTable(TableBytes(NumberedRows(3)));  // 10.0.0.1 on 1, 10.0.1.1 on 2, 10.0.2.1 on 3
    recorder.rows6 = {Row6(1, 1)};
    const wchar_t* guids[] = {L"{00000000-0000-0000-0000-0000000000E1}", L"{00000000-0000-0000-0000-0000000000F1}",
                              L"{00000000-0000-0000-0000-0000000000B1}"};
    for (std::uint32_t i = 0; i < 3; ++i) {
        recorder.adapters[i + 1].adapterName = guids[i];
        recorder.adapters[i + 1].friendlyName = L"if" + std::to_wstring(i + 1);
    }
    recorder.adapters[2].ifType = 71;
    LinkInfo ethernet;
    ethernet.type = 6;
    ethernet.hardware = true;
    ethernet.receiveSpeed = ethernet.transmitSpeed = 1000000000;
    LinkInfo wifi = ethernet;
    wifi.type = 71;
    wifi.receiveSpeed = 866700000;
    wifi.transmitSpeed = 433300000;
    LinkInfo vpn;
    vpn.type = 53;
    recorder.links = {{guids[0], ethernet}, {guids[1], wifi}, {guids[2], vpn}};
    recorder.networks = {{guids[0], L"corp.example.com", kCategoryDomain, 2, kConnectivityIPv4Internet | kConnectivityIPv6Local},
                         {guids[1], L"Home", kCategoryPrivate, 0, kConnectivityIPv4Internet}};
    recorder.wifi.interfaces[guids[1]] = {WifiState::Connected, L"Home"};

    ReadRows(reader, Choice(true, CellOf(kColName)));
    for (const wchar_t* call : {L"GetIfTable2", L"GetNetworkConnections", L"WlanEnumInterfaces"})
        EXPECT_EQ(std::count(recorder.calls.begin(), recorder.calls.end(), call), 0) << call;

    const CellSet all = CellOf(kColName) | CellOf(kColNetwork) | CellOf(kColCategory) | CellOf(kColInternet) |
                        CellOf(kColSsid) | CellOf(kColSpeed) | CellOf(kColKind);
    const auto cells = [&](std::size_t row) {
        const ListRow& shown = reader.Rows()[row];
        std::vector<std::wstring> texts;
        for (const int column : {kColNetwork, kColCategory, kColInternet, kColSsid, kColSpeed, kColKind})
            texts.emplace_back(shown.Cell(static_cast<std::size_t>(column)));
        return texts;
    };
    using Texts = std::vector<std::wstring>;
    ReadRows(reader, Choice(true, all));
    EXPECT_EQ(cells(0), (Texts{L"corp.example.com", L"Domain", L"Internet", L"", L"1 Gbit/s", L"Physical"}));
    EXPECT_EQ(cells(1), (Texts{L"Home", L"Private", L"Internet", L"Home", L"866.7/433.3 Mbit/s", L"Wi-Fi"}));
    EXPECT_EQ(cells(2), (Texts{L"", L"", L"", L"", L"", L"VPN"})) << "a VPN that is down has no network";
    EXPECT_EQ(cells(3)[2], L"Local") << "the IPv6 row of the Ethernet reaches its network only";

    // The user has not allowed location access: the SSID is refused, the rest is as it was.
    recorder.wifi.interfaces[guids[1]].state = WifiState::LocationRefused;
    recorder.wifi.interfaces[guids[1]].ssid.clear();
    ASSERT_TRUE(ReadChanges());
    EXPECT_EQ(cells(1)[3], L"Location off");
    // The Wi-Fi disconnected, then the WLAN service stopped: no SSID, with none made up.
    recorder.wifi.interfaces[guids[1]].state = WifiState::Disconnected;
    ASSERT_TRUE(ReadChanges());
    EXPECT_EQ(cells(1)[3], L"");
    recorder.wifi = {false, {}};
    EXPECT_EQ(reader.Adapters().at(2).wifi.state, WifiState::Disconnected);
    ASSERT_TRUE(ReadChanges()) << "what the reason is changed, though the cell did not";
    EXPECT_EQ(reader.Adapters().at(2).wifi.state, WifiState::NoService);
    EXPECT_EQ(cells(1)[3], L"");

    // The user makes the home network public in Settings: a change of that cell alone.
    const ListRow before = reader.Rows()[1];
    recorder.networks[1].category = kCategoryPublic;
    const std::optional<ListRows> after = ReadChanges();
    ASSERT_TRUE(after);
    EXPECT_EQ((*after)[1].Cell(kColCategory), L"Public");
    EXPECT_EQ(ChangedCells(before, (*after)[1]), CellOf(kColCategory));

    // The Network List Manager's service stopped: its columns are empty, the others stay.
    recorder.networksFail = true;
    ASSERT_TRUE(ReadChanges());
    EXPECT_EQ(cells(0), (Texts{L"", L"", L"", L"", L"1 Gbit/s", L"Physical"}));
    EXPECT_EQ(reader.Rows()[0].Cell(kColName), L"if1");
}
