// The icon's tip, the notice's lines and the log's lines, as plain values.
#include <gtest/gtest.h>

#include <vector>

#include "addrtable/AddrTable.h"
#include "changelog/ChangeLogLines.h"
#include "rows/RowsOfTables.h"
#include "tests/TableBuilder.h"
#include "tray/LogonStart.h"
#include "tray/TrayTexts.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

// A row of 10.0.<host>.<last> on interface `index`.
ListRow Row(std::uint32_t index, std::uint8_t host, std::uint8_t last = 1) {
    RawRow raw = NumberedRows(1)[0];
    raw.index = index;
    raw.addr = {10, 0, host, last};
    return ToListRows(DecodeAddrTable(TableBytes({raw})))[0];
}

AdapterInfo Adapter(const wchar_t* name, std::uint32_t status = 1, std::uint32_t type = 6) {
    AdapterInfo adapter;
    adapter.friendlyName = name;
    adapter.operStatus = status;
    adapter.ifType = type;
    return adapter;
}

std::size_t LinesOf(const std::wstring& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), L'\n')) + 1;
}

}  // namespace

// Only interfaces that are up and no loopback give lines; an unknown one gives none.
TEST(TrayTip, AddressesOfTheInterfacesThatAreUp) {
    const AdapterMap adapters = {{1, Adapter(L"Loopback", 1, 24)}, {2, Adapter(L"Ethernet")},
                                 {3, Adapter(L"Wi-Fi", 2)}};
    const ListRows rows = {Row(1, 1), Row(2, 2), Row(3, 3), Row(4, 4), Row(2, 5)};
    EXPECT_EQ(AddressLines(rows, adapters), (std::vector<std::wstring>{L"10.0.2.1 — Ethernet", L"10.0.5.1 — Ethernet"}));
    EXPECT_EQ(TipText(AddressLines(rows, adapters)), L"Netpeek\n10.0.2.1 — Ethernet\n10.0.5.1 — Ethernet");
    EXPECT_EQ(TipText({}), L"Netpeek");
}

// The primary address is named by its Wi-Fi network on a laptop, by the recognised network on a
// wired PC, as today where Windows names none; the other addresses as ever.
TEST(TrayTip, ThePrimaryAddressIsNamedByItsNetwork) {
    AdapterMap adapters = {{2, Adapter(L"Wi-Fi", 1, 71)}, {3, Adapter(L"Ethernet")}, {4, Adapter(L"vEthernet")}};
    adapters[2].network = NetworkConnection{L"{2}", L"Home 2", kCategoryPrivate, 0, kConnectivityIPv4Internet};
    adapters[2].wifi = {WifiState::Connected, L"Home"};
    adapters[3].network = NetworkConnection{L"{3}", L"corp.example.com", kCategoryDomain, 1, kConnectivityIPv4Internet};
    const ListRows rows = {Row(2, 2), Row(3, 3), Row(4, 4)};
    const auto lines = [&](const ListRow& primary) {
        const RowKey keys[] = {primary.key};
        return AddressLines(rows, adapters, keys);
    };
    EXPECT_EQ(lines(rows[0]), (std::vector<std::wstring>{L"Wi-Fi «Home» — 10.0.2.1", L"10.0.3.1 — Ethernet",
                                                          L"10.0.4.1 — vEthernet"}));
    EXPECT_EQ(lines(rows[1]).front(), L"Сеть «corp.example.com» — 10.0.3.1");
    EXPECT_EQ(lines(rows[2]).front(), L"10.0.4.1 — vEthernet");
    const RowKey wired[] = {rows[1].key};
    EXPECT_EQ(NoticeLines({}, {}, {}, std::nullopt, PrimaryNetworkOf(rows, adapters, wired)),
              (std::vector<std::wstring>{L"Основной адрес теперь в сети «corp.example.com»: 10.0.3.1"}));
}

// Many addresses: as many whole lines as fit with the count of the others, never past 127; the
// count's own length (9 to 10 others) is taken into account.
TEST(TrayTip, ManyAddressesFitWithTheCountOfTheOthers) {
    for (std::size_t count : {5u, 6u, 7u, 15u, 16u, 200u}) {
        std::vector<std::wstring> lines;
        for (std::size_t i = 0; i < count; ++i)
            lines.push_back(L"192.168.100." + std::to_wstring(100 + i) + L" — Ethernet");  // 26 characters
        const std::wstring tip = TipText(lines);
        ASSERT_LE(tip.size(), kTipLimit) << count;
        const std::size_t shown = std::min<std::size_t>(count, LinesOf(tip) - 2);
        for (std::size_t i = 0; i < shown; ++i)
            EXPECT_NE(tip.find(L"\n" + lines[i] + L"\n"), std::wstring::npos) << count << " line " << i;
        if (count > 4) {
            EXPECT_EQ(shown, 4u) << "7 + 4 x 27 and the count fit, a fifth line does not";
            EXPECT_EQ(tip.substr(tip.rfind(L'\n') + 1), L"…и ещё " + std::to_wstring(count - 4));
        }
    }
    // A line too long for any tip is counted, not cut.
    EXPECT_EQ(TipText({std::wstring(200, L'x')}), L"Netpeek\n…и ещё 1");
    EXPECT_EQ(FitLines(L"Netpeek", {L"a", L"b", L"c"}, 17, 9), L"Netpeek\na\nb\nc");
    EXPECT_EQ(FitLines(L"", {L"a", L"b", L"c", L"d", L"e"}, 255, 3), L"a\nb\nc\n…и ещё 2");
}

// A burst's lines: what came and went, an address that went while another of its interface and
// family came as one line, an interface that went under the name it had; was/now give none.
TEST(TrayNotice, ABurstsChangesAsLines) {
    InterfaceNames names;
    KnowNames(names, {{2, Adapter(L"Ethernet")}, {7, Adapter(L"VPN")}});
    KnowNames(names, {{2, Adapter(L"Ethernet")}});  // the VPN has gone, its name stays
    const std::vector<ChangeLine> burst = {
        {L"t", ChangeEvent::Removed, Row(2, 20)}, {L"t", ChangeEvent::Removed, Row(7, 6)},
        {L"t", ChangeEvent::Was, Row(2, 30)},     {L"t", ChangeEvent::Now, Row(2, 30)},
        {L"t", ChangeEvent::Added, Row(2, 22)},   {L"t", ChangeEvent::Added, Row(9, 9)},
        {L"t", ChangeEvent::Added, Row(2, 23)},
    };
    const std::vector<std::wstring> lines = NoticeLines(burst, names);
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"10.0.20.1 → 10.0.22.1 (Ethernet)", L"− 10.0.6.1 (VPN)",
                                                 L"+ 10.0.9.1 (9)", L"+ 10.0.23.1 (Ethernet)"}));
    EXPECT_EQ(NoticeText(lines), L"10.0.20.1 → 10.0.22.1 (Ethernet)\n− 10.0.6.1 (VPN)\n+ 10.0.9.1 (9)\n…и ещё 1");
    EXPECT_TRUE(NoticeLines({{L"t", ChangeEvent::Was, Row(2, 1)}, {L"t", ChangeEvent::Now, Row(2, 1)}}, names).empty());
}

// The log keeps the last lines, says how many went before them, and writes /wcomma's lines: all,
// or those chosen, never the count's line. Shown lines that stay move up by the lines that went.
TEST(ChangeLogLines, KeepsTheLastLinesCountsTheOthersAndWritesCsv) {
    ChangeLogLines log;
    std::vector<ChangeLine> many;
    for (int i = 0; i < 10003; ++i)
        many.push_back({L"2026-12-09T14:03:07+03:00", ChangeEvent::Added, Row(2, static_cast<std::uint8_t>(i % 250))});
    EXPECT_EQ(log.Add({many.begin(), many.begin() + 10000}), 0u);
    EXPECT_EQ(log.Rows(), 10000u);
    EXPECT_EQ(log.Add({many.begin() + 10000, many.end()}), 2u) << "3 went, the count's line came";
    EXPECT_EQ(log.Kept(), 10000u);
    EXPECT_EQ(log.Dropped(), 3u);
    ASSERT_EQ(log.Rows(), 10001u);
    const std::vector<int> columns = {kColInterface, kColIP};
    EXPECT_EQ(log.Text(0, 0, columns), L"…ранее: 3");
    EXPECT_EQ(log.Text(0, 1, columns), L"");
    EXPECT_EQ(log.Text(1, 3, columns), L"10.0.3.1");
    EXPECT_EQ(log.Add({many[0]}), 1u);
    EXPECT_EQ(log.Text(0, 0, columns), L"…ранее: 4");

    ChangeLogLines small(2);
    small.Add({{L"T1", ChangeEvent::Removed, Row(2, 1)}, {L"T2", ChangeEvent::Added, Row(3, 2)}});
    const std::wstring header = L"\"Time\",\"Event\",\"Interface\",\"IP\"\r\n";
    EXPECT_EQ(small.CsvText(columns), header + L"\"T1\",\"removed\",\"2\",\"10.0.1.1\"\r\n\"T2\",\"added\",\"3\",\"10.0.2.1\"\r\n");
    small.Add({{L"T3", ChangeEvent::Was, Row(3, 2)}});
    const std::vector<std::size_t> chosen = {0, 2};
    EXPECT_EQ(small.CsvText(columns, chosen), header + L"\"T3\",\"was\",\"3\",\"10.0.2.1\"\r\n");
}

namespace {

AdapterInfo WithAddresses(AdapterInfo adapter, std::initializer_list<SocketAddress> addresses) {
    for (const SocketAddress& address : addresses) {
        AdapterUnicast unicast;
        unicast.address = address;
        adapter.unicast.push_back(unicast);
    }
    return adapter;
}

SocketAddress V6(std::initializer_list<std::uint8_t> head) {
    SocketAddress address;
    address.family = 6;
    std::copy(head.begin(), head.end(), address.bytes.begin());
    address.bytes[15] = 1;
    return address;
}

}  // namespace

// The network's look, by the interfaces that are up and not the loopback: a global address of
// either family connects; link-local ones alone are limited, IPv4's named first; none is none.
TEST(TrayLook, LinkLocalAloneIsLimitedAndNothingIsNoNetwork) {
    const SocketAddress loopback = V4(127, 0, 0, 1), apipa = V4(169, 254, 12, 7), global = V4(10, 0, 0, 2);
    const SocketAddress linkLocal6 = V6({0xfe, 0x80}), global6 = V6({0x20, 0x01, 0x0d, 0xb8});
    const AdapterInfo lo = WithAddresses(Adapter(L"lo", 1, 24), {loopback});

    EXPECT_EQ(LookOf({}).state, NetworkState::Connected) << "nothing read: nothing known";
    EXPECT_EQ(LookOf({{1, lo}}), (NetworkLook{NetworkState::None, L"Нет подключения к сети"}));
    EXPECT_EQ(LookOf({{1, lo}, {2, WithAddresses(Adapter(L"Ethernet"), {linkLocal6, apipa})}}),
              (NetworkLook{NetworkState::Limited, L"Только локальный адрес 169.254.12.7 — Ethernet"}));
    EXPECT_EQ(LookOf({{2, WithAddresses(Adapter(L"Wi-Fi"), {linkLocal6})}}),
              (NetworkLook{NetworkState::Limited, L"Только локальный адрес fe80::1 — Wi-Fi"}));
    // An interface that is down counts for nothing, whatever addresses it keeps.
    EXPECT_EQ(LookOf({{1, lo}, {2, WithAddresses(Adapter(L"Ethernet", 2), {global})}}).state, NetworkState::None);
    EXPECT_EQ(LookOf({{2, WithAddresses(Adapter(L"Ethernet", 2), {global})}, {3, WithAddresses(Adapter(L"Wi-Fi"), {apipa})}}).state,
              NetworkState::Limited);
    EXPECT_EQ(LookOf({{2, WithAddresses(Adapter(L"Ethernet"), {apipa, global})}}).state, NetworkState::Connected);
    EXPECT_EQ(LookOf({{3, WithAddresses(Adapter(L"Wi-Fi"), {linkLocal6, global6})}}).state, NetworkState::Connected);
    // 169.254/16 only: 169.253 and 169.255 are ordinary addresses.
    EXPECT_EQ(LookOf({{2, WithAddresses(Adapter(L"Ethernet"), {V4(169, 255, 0, 1)})}}).state, NetworkState::Connected);

    EXPECT_EQ(TipText({L"169.254.12.7 — Ethernet"}, LookOf({{1, lo}, {2, WithAddresses(Adapter(L"Ethernet"), {apipa})}})),
              L"Только локальный адрес 169.254.12.7 — Ethernet\n169.254.12.7 — Ethernet");
}

// A Run value as anyone may have written it: its text up to its NUL, and the program its command
// names, quoted or up to the first blank. Whether that is this exe, Windows decides (tray_test).
TEST(LogonStart, TheProgramARunValueNames) {
    const std::wstring exe = L"C:\\Program Files\\Netpeek\\Netpeek.exe";
    EXPECT_EQ(LogonCommandFor(exe), L"\"C:\\Program Files\\Netpeek\\Netpeek.exe\" /tray");
    EXPECT_EQ(CommandProgram(StringValueText(TextBytes(LogonCommandFor(exe))).value_or(L"")), exe);
    EXPECT_EQ(CommandProgram(L"  C:\\Tools\\Netpeek.exe /tray"), L"C:\\Tools\\Netpeek.exe");
    EXPECT_EQ(CommandProgram(exe), L"C:\\Program") << "unquoted, the path ends at its first blank";
    // Garbage: a quote never closed, nothing, an odd count of bytes, a NUL before the command.
    EXPECT_EQ(CommandProgram(L"\"C:\\Program Files\\Netpeek\\Netpeek.exe /tray"), L"");
    EXPECT_EQ(CommandProgram(L""), L"");
    std::vector<std::uint8_t> odd = TextBytes(LogonCommandFor(exe));
    odd.pop_back();
    EXPECT_EQ(StringValueText(odd), std::nullopt);
    EXPECT_EQ(StringValueText(TextBytes(std::wstring(L"\0", 1) + LogonCommandFor(exe))), L"");
    EXPECT_EQ(StringValueText(TextBytes(LogonCommandFor(exe) + std::wstring(L"\0junk", 5))), LogonCommandFor(exe))
        << "what follows the NUL is no part of the command";
}
