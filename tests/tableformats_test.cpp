#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "export/ChangeFormats.h"
#include "export/MetricsText.h"
#include "export/TableFormats.h"
#include "rows/ChangeLines.h"
#include "rows/InterfaceCells.h"
#include "rows/RowsOfTables.h"
#include "tests/InLanguage.h"
#include "tests/TableBuilder.h"

using namespace netpeek;

namespace {

// A row as Wine gives it for a Linux address: broadcast 1.0.0.0, reassembly size 65535.
test::RawRow Row(std::uint32_t index, std::array<std::uint8_t, 4> addr, std::array<std::uint8_t, 4> mask,
                 std::uint16_t type) {
    return {addr, index, mask, {1, 0, 0, 0}, 65535, 0, type};
}

const std::vector<std::wstring> kHeaders = {L"Interface", L"IP", L"Mask", L"Broadcast", L"Realm size", L"Type"};

// Cells that each format has to escape its own way.
const CListTexts kAwkward{{L"A", L"B"}, {{L"say \"hi\"", L"back\\slash"}, {L"tab\there", L"line\r\nend\x01"}, {L"<b>&amp;", L"it's"}}};

// The text of an escaped page back, as a browser reads its entities and numeric references.
std::wstring Decoded(std::wstring_view html) {
    static const std::map<std::wstring_view, char32_t> kEntities{
        {L"amp", U'&'}, {L"lt", U'<'}, {L"gt", U'>'}, {L"quot", U'"'}};
    std::wstring text;
    for (std::size_t i = 0; i < html.size(); ++i) {
        const std::size_t end = html.find(L';', i);
        if (html[i] != L'&' || end == std::wstring_view::npos) {
            text += html[i];
            continue;
        }
        const std::wstring_view name = html.substr(i + 1, end - i - 1);
        char32_t code = 0;
        if (name.starts_with(L"#"))
            code = static_cast<char32_t>(std::stoul(std::wstring(name.substr(1))));
        else
            code = kEntities.at(name);
        if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
            text += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            text += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            text += static_cast<wchar_t>(code);
        }
        i = end;
    }
    return text;
}

// The decoded texts of the page's elements named `tag`, in their order.
std::vector<std::wstring> Texts(const std::wstring& page, std::wstring_view tag) {
    const std::wstring open = L"<" + std::wstring(tag) + L">", close = L"</" + std::wstring(tag) + L">";
    std::vector<std::wstring> texts;
    for (std::size_t at = page.find(open); at != std::wstring::npos; at = page.find(open, at)) {
        at += open.size();
        const std::size_t end = page.find(close, at);
        if (end == std::wstring::npos)
            break;
        texts.push_back(Decoded(std::wstring_view(page).substr(at, end - at)));
    }
    return texts;
}

}  // namespace

TEST(TableFormats, TableTextsAreTheListsCellsInTheSortsOrderSoTheCsvIsTheExports) {
    const ListRows rows = ToListRows(DecodeAddrTable(test::TableBytes(
        {Row(1, {127, 0, 0, 1}, {255, 0, 0, 0}, 1), Row(12, {10, 9, 0, 1}, {255, 255, 255, 0}, 5),
         Row(47, {10, 100, 0, 1}, {255, 0, 0, 0}, 0)})));
    constexpr std::array<int, 6> headers = {0, 1, 2, 3, 4, 5};
    const CListTexts texts = TableTexts(rows, {1, true}, headers);
    EXPECT_EQ(texts.headers, kHeaders);
    ASSERT_EQ(texts.items.size(), 3u);
    EXPECT_EQ(texts.items[0][1], L"127.0.0.1");
    EXPECT_EQ(texts.items[1][1], L"10.100.0.1");
    EXPECT_EQ(texts.items[2], (std::vector<std::wstring>{L"12", L"10.9.0.1", L"255.255.255.0", L"1.0.0.0", L"65535",
                                                          L"Primary, Dynamic"}));
    EXPECT_EQ(TableTexts(rows, {}, headers).items[0][0], L"1");
    // Any columns in any order, each under its header.
    constexpr std::array<int, 3> chosen = {kColType, kColName, kColIP};
    const CListTexts some = TableTexts(rows, {}, chosen);
    EXPECT_EQ(some.headers, (std::vector<std::wstring>{L"Type", L"Name", L"IP"}));
    EXPECT_EQ(some.items[1], (std::vector<std::wstring>{L"Primary, Dynamic", L"", L"10.9.0.1"}));
}

TEST(TableFormats, TabTextIsTheLinesWithTabsAndNoQuotesAndKeepsEveryLineWhole) {
    EXPECT_EQ(TabText({kHeaders, {{L"2", L"192.168.0.10", L"255.255.255.0", L"1.0.0.0", L"65535", L"Primary, Dynamic"}}}),
              L"Interface\tIP\tMask\tBroadcast\tRealm size\tType\r\n"
              L"2\t192.168.0.10\t255.255.255.0\t1.0.0.0\t65535\tPrimary, Dynamic\r\n");
    EXPECT_EQ(TabText(kAwkward), L"A\tB\r\nsay \"hi\"\tback\\slash\r\ntab here\tline  end\x01\r\n<b>&amp;\tit's\r\n");
}

TEST(TableFormats, JsonTextIsAnArrayOfObjectsKeyedByHeaderWithEveryStringEscaped) {
    EXPECT_EQ(JsonText({kHeaders, {}}), L"[\r\n]\r\n");
    EXPECT_EQ(JsonText(kAwkward), L"[\r\n"
                                  L"  {\"A\": \"say \\\"hi\\\"\", \"B\": \"back\\\\slash\"},\r\n"
                                  L"  {\"A\": \"tab\\there\", \"B\": \"line\\r\\nend\\u0001\"},\r\n"
                                  L"  {\"A\": \"<b>&amp;\", \"B\": \"it's\"}\r\n"
                                  L"]\r\n");
    // A short item has the keys of its cells; a cell without a header has no key to go under.
    EXPECT_EQ(JsonText({{L"k"}, {{L"1", L"2"}, {}}}), L"[\r\n  {\"k\": \"1\"},\r\n  {}\r\n]\r\n");
    // Beyond ASCII as escapes, one past the 16-bit range as its surrogate pair: the text stays ASCII.
    EXPECT_EQ(JsonText({{L"Ж"}, {{L"\U0001F600\x7F"}}}), L"[\r\n  {\"\\u0416\": \"\\ud83d\\ude00\\u007f\"}\r\n]\r\n");
}

TEST(TableFormats, HtmlTextIsAsciiAndItsReferencesGiveEveryTextBack) {
    const CListTexts list{{L"Адрес <&\">", L"IP"}, {{L"Сеть «дом» & <x>", L"\U0001F600 ü \"q\""}, {L"'", L""}}};
    const std::wstring page = HtmlText(list, false, L"Программа 1.0", L"2026-12-08 10:11:12");
    const auto beyond = std::find_if(page.begin(), page.end(), [](wchar_t c) { return static_cast<char32_t>(c) >= 0x80; });
    EXPECT_EQ(beyond, page.end()) << "not ASCII at " << beyond - page.begin() << ": " << testing::PrintToString(page);
    EXPECT_NE(page.find(L"&#128512;"), std::wstring::npos) << "a character past 16 bits is not one reference";
    EXPECT_EQ(Texts(page, L"th"), list.headers);
    EXPECT_EQ(Texts(page, L"td"), (std::vector<std::wstring>{L"Сеть «дом» & <x>", L"\U0001F600 ü \"q\"", L"'", L""}));
    EXPECT_EQ(Texts(page, L"h1"), std::vector<std::wstring>{L"Таблица IPv4-адресов"});
    EXPECT_EQ(Texts(page, L"p"), std::vector<std::wstring>{L"Программа 1.0. Составлена: 2026-12-08 10:11:12"});
}

// A page saved with /ipv6 was titled as IPv4 alone; a reader of English gets his heading, and the
// table itself is the same bytes in either language.
TEST(TableFormats, HtmlHeadingNamesTheFamiliesInTheLanguageInUseAndTheTableStaysTheSame) {
    const CListTexts list{{L"IP", L"MAC"}, {{L"fe80::1%5", L"00-15-5D-01-02-03"}}};
    const std::wstring russian = HtmlText(list, true, L"Netpeek 1.0", L"2026-12-08 10:11:12");
    const InLanguage inEnglish(L"en");
    const std::wstring english = HtmlText(list, true, L"Netpeek 1.0", L"2026-12-08 10:11:12");
    const std::wstring ipv4Only = HtmlText(list, false, L"Netpeek 1.0", L"2026-12-08 10:11:12");
    EXPECT_EQ(Texts(russian, L"h1"), std::vector<std::wstring>{L"Таблица IPv4- и IPv6-адресов"});
    EXPECT_EQ(Texts(english, L"h1"), std::vector<std::wstring>{L"IPv4 and IPv6 address table"});
    EXPECT_EQ(Texts(ipv4Only, L"h1"), std::vector<std::wstring>{L"IPv4 address table"});
    EXPECT_EQ(Texts(english, L"title"), std::vector<std::wstring>{L"Netpeek 1.0: IPv4 and IPv6 address table"});
    EXPECT_EQ(Texts(english, L"p"), std::vector<std::wstring>{L"Netpeek 1.0. Made: 2026-12-08 10:11:12"});
    EXPECT_NE(english.find(L"<html lang=\"en\">"), std::wstring::npos);
    EXPECT_EQ(russian.substr(russian.find(L"<table>")), english.substr(english.find(L"<table>")));
}

TEST(TableFormats, HtmlTextEscapesEveryTextAndShowsWhatMadeItAndWhen) {
    const std::wstring page = HtmlText({{L"<h>"}, {{L"a&b \"c\" 'd' <e>"}}}, false, L"Netpeek 1.00.0009 <x>", L"2026-12-08 10:11:12");
    EXPECT_NE(page.find(L"<tr><th>&lt;h&gt;</th></tr>\r\n<tr><td>a&amp;b &quot;c&quot; &#39;d&#39; &lt;e&gt;</td></tr>\r\n"),
              std::wstring::npos)
        << testing::PrintToString(page);
    EXPECT_NE(page.find(L"Netpeek 1.00.0009 &lt;x&gt;. &#1057;&#1086;&#1089;&#1090;&#1072;&#1074;&#1083;&#1077;&#1085;&#1072;: 2026-12-08 10:11:12"),
              std::wstring::npos);
    EXPECT_EQ(page.find(L"<x>"), std::wstring::npos);
    EXPECT_EQ(page.rfind(L"<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find(L"<meta charset=\"utf-8\">"), std::wstring::npos);
}

// The lines a watch writes and the log of changes shows: a row that went, one that came, and a
// changed one as it was and as it is, each under "Time", "Event" and the columns chosen; one
// JSON object a line.
TEST(ChangeLines, WhatChangedAsLinesUnderTimeEventAndTheColumns) {
    const auto rows = [](std::initializer_list<test::RawRow> raw) { return ToListRows(DecodeAddrTable(test::TableBytes(raw))); };
    const ListRows before = rows({Row(1, {127, 0, 0, 1}, {255, 0, 0, 0}, 1), Row(12, {10, 9, 0, 1}, {255, 255, 255, 0}, 1),
                                  Row(12, {10, 9, 0, 2}, {255, 255, 255, 0}, 1)});
    const ListRows after = rows({Row(1, {127, 0, 0, 1}, {255, 0, 0, 0}, 1), Row(12, {10, 9, 0, 1}, {255, 255, 0, 0}, 1),
                                 Row(47, {10, 100, 0, 1}, {255, 0, 0, 0}, 5)});
    constexpr std::array<int, 3> columns = {kColInterface, kColIP, kColMask};
    const std::wstring time = L"2026-12-09T14:03:07+03:00";
    std::vector<std::vector<std::wstring>> fields;
    for (const ChangeLine& line : ChangedLines(before, after, time))
        fields.push_back(ChangeFields(line, columns));
    EXPECT_EQ(fields, (std::vector<std::vector<std::wstring>>{
                          {time, L"removed", L"12", L"10.9.0.2", L"255.255.255.0"},
                          {time, L"was", L"12", L"10.9.0.1", L"255.255.255.0"},
                          {time, L"now", L"12", L"10.9.0.1", L"255.255.0.0"},
                          {time, L"added", L"47", L"10.100.0.1", L"255.0.0.0"},
                      }));
    EXPECT_TRUE(ChangedLines(after, after, time).empty());
    EXPECT_EQ(PresentLines(before, time).size(), 3u);
    EXPECT_EQ(EventText(PresentLines(before, time)[0].event), L"present");
    const std::vector<std::wstring> headers = ChangeHeaders(columns);
    EXPECT_EQ(CsvLine(headers), L"\"Time\",\"Event\",\"Interface\",\"IP\",\"Mask\"\r\n");
    EXPECT_EQ(JsonLine(headers, fields[3]), L"{\"Time\": \"2026-12-09T14:03:07+03:00\", \"Event\": \"added\", "
                                            L"\"Interface\": \"47\", \"IP\": \"10.100.0.1\", \"Mask\": \"255.0.0.0\"}\r\n");
    EXPECT_EQ(TabLine(fields[0]), time + L"\tremoved\t12\t10.9.0.2\t255.255.255.0\r\n");
}

// A watch appends only to a log of its own lines: one that starts with their header, or for JSON
// Lines with an object of their keys in their order. Anything else is another file's.
TEST(ChangeLines, ALogTakesMoreLinesOnlyUnderItsOwnHeader) {
    constexpr std::array<int, 2> columns = {kColInterface, kColIP};
    const std::vector<std::wstring> headers = ChangeHeaders(columns);
    const std::string comma = "\"Time\",\"Event\",\"Interface\",\"IP\"";
    EXPECT_TRUE(LogTakes(comma, ChangeFormat::Comma, headers));
    EXPECT_TRUE(LogTakes(comma + "\r", ChangeFormat::Comma, headers));
    EXPECT_TRUE(LogTakes("Time\tEvent\tInterface\tIP", ChangeFormat::Tab, headers));
    const std::wstring json = ChangeLineText(ChangeFormat::Json, headers, {L"t", L"present", L"1", L"a\"b\\"});
    EXPECT_TRUE(LogTakes(std::string(json.begin(), json.end() - 2), ChangeFormat::Json, headers));
    EXPECT_TRUE(LogTakes(R"({"Time":"t","Event":"x" , "Interface":"1","IP":""} )", ChangeFormat::Json, headers));

    EXPECT_FALSE(LogTakes("\"Time\",\"Event\",\"Interface\"", ChangeFormat::Comma, headers));
    EXPECT_FALSE(LogTakes(comma + ",\"Mask\"", ChangeFormat::Comma, headers));
    EXPECT_FALSE(LogTakes("\xEF\xBB\xBF" + comma, ChangeFormat::Comma, headers));
    EXPECT_FALSE(LogTakes("Time\tEvent\tInterface\tIP", ChangeFormat::Comma, headers));
    EXPECT_FALSE(LogTakes(comma, ChangeFormat::Json, headers));
    EXPECT_FALSE(LogTakes("", ChangeFormat::Tab, headers));
    EXPECT_FALSE(LogTakes(R"({"Time": "t", "Event": "x", "IP": "1", "Interface": "1"})", ChangeFormat::Json, headers));
    EXPECT_FALSE(LogTakes(R"({"Time": "t", "Event": "x", "Interface": "1"})", ChangeFormat::Json, headers));
    EXPECT_FALSE(LogTakes(R"({"Time": "t", "Event": "x", "Interface": "1", "IP": "1"} x)", ChangeFormat::Json, headers));
    EXPECT_FALSE(LogTakes(R"({"Time": "t", "Event": "x", "Interface": "1", "IP": "1)", ChangeFormat::Json, headers));
    EXPECT_FALSE(LogTakes(R"([{"Time": "t", "Event": "x", "Interface": "1", "IP": "1"}])", ChangeFormat::Json, headers));
}

namespace {

AdapterInfo Named(std::wstring name) {
    AdapterInfo adapter;
    adapter.friendlyName = std::move(name);
    adapter.operStatus = kOperStatusUp;
    return adapter;
}

// The rows of a read for the metrics: the interface's name and the primary address's "Route".
ListRows MetricsRows(const std::vector<test::RawRow>& rows4, const CIPv6AddrList& rows6, const AdapterMap& adapters,
                     std::span<const RowKey> primary) {
    const AdapterLookup lookup(adapters, [](std::int64_t) { return LocalMinute{}; });
    const RowContext context{&lookup, CellOf(kColName) | CellOf(kColRoute), primary};
    ListRows rows = ToListRows(DecodeAddrTable(test::TableBytes(rows4)), context);
    const ListRows six = ToListRows(rows6, context);
    rows.insert(rows.end(), six.begin(), six.end());
    return rows;
}

std::vector<std::size_t> InOrder(std::size_t count) {
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = i;
    return order;
}

}  // namespace

// A laptop on Ethernet with a VPN up whose name a user typed awkwardly, and IPv6 shown: each address
// one series, the Ethernet address its family's primary one, the VPN's name escaped.
TEST(Metrics, EachAddressIsOneSeriesWithItsLabelsThenTheCountsAndTheState) {
    const AdapterMap adapters = {{1, Named(L"Loopback")}, {12, Named(L"Ethernet")},
                                 {47, Named(L"VPN \"офис\" C:\\vpn\nнов")}};
    CIPv6AddrRow local;
    local.InterfaceIndex = 12;
    local.Address = test::V6({0xfe80, 0, 0, 0, 0, 0, 0, 1});
    local.ScopeId = 12;
    local.OnLinkPrefixLength = 64;
    local.DadState = kDadStatePreferred;
    const RowKey ethernet{AddressFamily::IPv4, 12, {10, 9, 0, 5}};
    const ListRows rows = MetricsRows({Row(1, {127, 0, 0, 1}, {255, 0, 0, 0}, 1), Row(12, {10, 9, 0, 5}, {255, 255, 255, 0}, 5),
                                       Row(47, {10, 8, 0, 6}, {255, 255, 255, 255}, 1)},
                                      {local}, adapters, std::span(&ethernet, 1));
    EXPECT_EQ(MetricsText(rows, InOrder(rows.size()), true, NetworkState::Connected),
              L"# HELP netpeek_address_info An address of the machine, always 1: its family, its interface's index and "
              L"name, the address, its prefix length, its type, and whether it is its family's primary address (the "
              L"one the default route's traffic leaves by).\n"
              L"# TYPE netpeek_address_info gauge\n"
              L"netpeek_address_info{family=\"ipv4\",interface_index=\"1\",interface_name=\"Loopback\",address=\"127.0.0.1\","
              L"prefix_length=\"8\",type=\"Primary\",primary=\"0\"} 1\n"
              L"netpeek_address_info{family=\"ipv4\",interface_index=\"12\",interface_name=\"Ethernet\",address=\"10.9.0.5\","
              L"prefix_length=\"24\",type=\"Primary, Dynamic\",primary=\"1\"} 1\n"
              L"netpeek_address_info{family=\"ipv4\",interface_index=\"47\",interface_name=\"VPN \\\"офис\\\" C:\\\\vpn\\nнов\","
              L"address=\"10.8.0.6\",prefix_length=\"32\",type=\"Primary\",primary=\"0\"} 1\n"
              L"netpeek_address_info{family=\"ipv6\",interface_index=\"12\",interface_name=\"Ethernet\",address=\"fe80::1%12\","
              L"prefix_length=\"64\",type=\"\",primary=\"0\"} 1\n"
              L"# HELP netpeek_addresses The addresses of each family.\n"
              L"# TYPE netpeek_addresses gauge\n"
              L"netpeek_addresses{family=\"ipv4\"} 3\n"
              L"netpeek_addresses{family=\"ipv6\"} 1\n"
              L"# HELP netpeek_primary_addresses The primary addresses of each family: 1 where a default route leads out "
              L"of the machine, 0 where none does.\n"
              L"# TYPE netpeek_primary_addresses gauge\n"
              L"netpeek_primary_addresses{family=\"ipv4\"} 1\n"
              L"netpeek_primary_addresses{family=\"ipv6\"} 0\n"
              L"# HELP netpeek_network_state The network as Netpeek's icon shows it, 1 for the state it is in: connected, "
              L"limited (the interfaces that are up have link-local addresses alone) or none (they have no address).\n"
              L"# TYPE netpeek_network_state gauge\n"
              L"netpeek_network_state{state=\"connected\"} 1\n"
              L"netpeek_network_state{state=\"limited\"} 0\n"
              L"netpeek_network_state{state=\"none\"} 0\n");
}

// Linux lets an interface hold one address under two masks, and lists it twice when added twice:
// two masks are two series, the same row twice is one. The order given is the series' order; the
// watch adds its counter and the time of its last change; no address at all still says each family.
TEST(Metrics, NoSeriesTwiceTheOrderGivenAndTheWatchsCounts) {
    const AdapterMap adapters = {{2, Named(L"Wi-Fi")}};
    const ListRows rows = MetricsRows({Row(2, {10, 0, 0, 9}, {255, 255, 255, 0}, 1), Row(2, {10, 0, 0, 9}, {255, 255, 0, 0}, 1),
                                       Row(2, {10, 0, 0, 9}, {255, 255, 255, 0}, 1)},
                                      {}, adapters, {});
    const std::wstring text = MetricsText(rows, std::vector<std::size_t>{2, 1, 0}, false, NetworkState::Limited);
    const std::size_t at24 = text.find(L"prefix_length=\"24\""), at16 = text.find(L"prefix_length=\"16\"");
    EXPECT_LT(at24, at16);
    EXPECT_EQ(text.find(L"prefix_length=\"24\"", at24 + 1), std::wstring::npos);
    EXPECT_NE(text.find(L"netpeek_addresses{family=\"ipv4\"} 2\n"), std::wstring::npos);
    EXPECT_EQ(text.find(L"ipv6"), std::wstring::npos) << "no IPv6 table read";
    EXPECT_NE(text.find(L"netpeek_network_state{state=\"limited\"} 1\n"), std::wstring::npos);
    EXPECT_EQ(text.find(L"changes_total"), std::wstring::npos) << "a save has no counter";

    const std::wstring none = MetricsText({}, {}, true, NetworkState::None, WatchCounts{7, 1765289000});
    EXPECT_TRUE(none.ends_with(L"# HELP netpeek_address_changes_total The addresses that came, went or changed since "
                               L"the watch started.\n"
                               L"# TYPE netpeek_address_changes_total counter\n"
                               L"netpeek_address_changes_total 7\n"
                               L"# HELP netpeek_last_change_timestamp_seconds When the watch last saw an address come, go "
                               L"or change, or else when it started, in seconds since 1970 UTC.\n"
                               L"# TYPE netpeek_last_change_timestamp_seconds gauge\n"
                               L"netpeek_last_change_timestamp_seconds 1765289000\n"));
    EXPECT_NE(none.find(L"netpeek_addresses{family=\"ipv6\"} 0\n"), std::wstring::npos);
    EXPECT_NE(none.find(L"netpeek_network_state{state=\"none\"} 1\n"), std::wstring::npos);
}

// Half a surrogate pair has no UTF-8 form: a name holding one still gives a file, with U+FFFD there.
TEST(Metrics, HalfASurrogatePairInANameIsTheReplacementCharacter) {
    const AdapterMap adapters = {{2, Named(std::wstring(L"Wi") + static_cast<wchar_t>(0xD800) + L"Fi")}};
    const ListRows rows = MetricsRows({Row(2, {10, 0, 0, 9}, {255, 255, 255, 0}, 1)}, {}, adapters, {});
    EXPECT_NE(MetricsText(rows, InOrder(1), false, NetworkState::Connected).find(L"interface_name=\"Wi\uFFFDFi\""),
              std::wstring::npos);
}
