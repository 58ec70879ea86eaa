#include <gtest/gtest.h>

#include <array>

#include "export/TableFormats.h"
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

}  // namespace

TEST(TableFormats, TableTextsAreTheListsCellsInTheSortsOrderSoTheCsvIsTheExports) {
    const ListRows rows = ToListRows(DecodeAddrTable(test::TableBytes(
        {Row(1, {127, 0, 0, 1}, {255, 0, 0, 0}, 1), Row(12, {10, 9, 0, 1}, {255, 255, 255, 0}, 5),
         Row(47, {10, 100, 0, 1}, {255, 0, 0, 0}, 0)})));
    constexpr std::array<std::wstring_view, 6> headers = {L"Interface", L"IP", L"Mask", L"Broadcast", L"Realm size", L"Type"};
    const CListTexts texts = TableTexts(rows, {1, true}, headers);
    EXPECT_EQ(texts.headers, kHeaders);
    ASSERT_EQ(texts.items.size(), 3u);
    EXPECT_EQ(texts.items[0][1], L"127.0.0.1");
    EXPECT_EQ(texts.items[1][1], L"10.100.0.1");
    EXPECT_EQ(texts.items[2], (std::vector<std::wstring>{L"12", L"10.9.0.1", L"255.255.255.0", L"1.0.0.0", L"65535",
                                                          L"Primary, Dynamic"}));
    EXPECT_EQ(TableTexts(rows, {}, headers).items[0][0], L"1");
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
}

TEST(TableFormats, HtmlTextEscapesEveryTextAndShowsWhatMadeItAndWhen) {
    const std::wstring page = HtmlText({{L"<h>"}, {{L"a&b \"c\" 'd' <e>"}}}, L"Netpeek 1.00.0009 <x>", L"2026-12-08 10:11:12");
    EXPECT_NE(page.find(L"<tr><th>&lt;h&gt;</th></tr>\r\n<tr><td>a&amp;b &quot;c&quot; &#39;d&#39; &lt;e&gt;</td></tr>\r\n"),
              std::wstring::npos)
        << testing::PrintToString(page);
    EXPECT_NE(page.find(L"Netpeek 1.00.0009 &lt;x&gt;. Составлена: 2026-12-08 10:11:12"), std::wstring::npos);
    EXPECT_EQ(page.find(L"<x>"), std::wstring::npos);
    EXPECT_EQ(page.rfind(L"<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find(L"<meta charset=\"utf-8\">"), std::wstring::npos);
}
