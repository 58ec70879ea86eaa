// The icon's tip, the notice's lines and the log's lines, as plain values.
#include <gtest/gtest.h>

#include <vector>

#include "addrtable/AddrTable.h"
#include "changelog/ChangeLogLines.h"
#include "rows/RowsOfTables.h"
#include "tests/TableBuilder.h"
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
