#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cwctype>
#include <initializer_list>

#include "commandline/CommandLine.h"
#include "rows/Columns.h"
#include "support/Error.h"

using namespace netpeek;

namespace {

CCommandLine Parse(std::initializer_list<std::wstring> args) {
    const std::vector<std::wstring> list(args);
    return ParseCommandLine(list, ColumnHeaders());
}

CCommandLine Save(SaveFormat format, std::wstring file, SaveOrder order = SaveOrder::Stored, StoredListSort sort = {},
                  SaveIPv6 ipv6 = SaveIPv6::Stored) {
    CCommandLine line;
    line.action = CCommandLine::Action::Save;
    line.format = format;
    line.fileName = std::move(file);
    line.order = order;
    line.sort = sort;
    line.ipv6 = ipv6;
    return line;
}

// The error's number, and that its text is one line, with no control character in it, naming `culprit`.
void ExpectRefused(std::initializer_list<std::wstring> args, const std::wstring& culprit) {
    try {
        Parse(args);
        ADD_FAILURE() << "accepted: " << testing::PrintToString(std::vector<std::wstring>(args));
    } catch (const CError& error) {
        EXPECT_EQ(error.Number(), kErrorInvalidParameter);
        EXPECT_NE(error.Description().find(culprit), std::wstring::npos) << error.what();
        const std::wstring& text = error.Description();
        const auto control = [](wchar_t c) { return std::iswcntrl(static_cast<wint_t>(c)) != 0; };
        EXPECT_TRUE(std::none_of(text.begin(), text.end(), control)) << error.what();
    }
}

}  // namespace

TEST(CommandLine, NoArgumentsIsTheWindowAndQuestionMarkWinsAnywhere) {
    EXPECT_EQ(Parse({}), CCommandLine{});
    EXPECT_EQ(Parse({L"/?"}).action, CCommandLine::Action::Usage);
    EXPECT_EQ(Parse({L"/bogus", L"-?"}).action, CCommandLine::Action::Usage);
    EXPECT_NE(UsageText().find(L"/scomma"), std::wstring::npos);
    EXPECT_NE(UsageText().find(L"/noipv6"), std::wstring::npos);
}

// /tray starts the window hidden beside its icon: alone, once, and never with a save or a watch.
TEST(CommandLine, TrayIsTheWindowAloneAndOnce) {
    CCommandLine tray;
    tray.tray = true;
    EXPECT_EQ(Parse({L"-TRAY"}), tray);
    ExpectRefused({L"/tray", L"/tray"}, L"/tray");
    ExpectRefused({L"/tray", L"/scomma", L"x.csv"}, L"/tray");
    ExpectRefused({L"/wjson", L"-", L"/tray"}, L"/tray");
}

TEST(CommandLine, SaveSwitchesTakeTheNextArgumentAsTheFileWhateverItsCaseOrPrefix) {
    EXPECT_EQ(Parse({L"/scomma", L"C:\\out\\list.csv"}), Save(SaveFormat::Comma, L"C:\\out\\list.csv"));
    EXPECT_EQ(Parse({L"-STab", L""}), Save(SaveFormat::Tab, L""));
    EXPECT_EQ(Parse({L"/sJSON", L"-x.json"}), Save(SaveFormat::Json, L"-x.json"));
    // "-" is standard output like ""; a file of that name is reached through its folder.
    EXPECT_EQ(Parse({L"/shtml", L"-", L"/nosort"}), Save(SaveFormat::Html, L"", SaveOrder::Table));
    EXPECT_EQ(Parse({L"/scomma", L".\\-"}), Save(SaveFormat::Comma, L".\\-"));
    EXPECT_EQ(Parse({L"/nosort", L"/shtml", L"t.html"}), Save(SaveFormat::Html, L"t.html", SaveOrder::Table));
}

TEST(CommandLine, SortTakesAnIndexOrAHeaderAndATildeForDescending) {
    EXPECT_EQ(Parse({L"/scomma", L"", L"/sort", L"~1"}), Save(SaveFormat::Comma, L"", SaveOrder::Given, {1, true}));
    EXPECT_EQ(Parse({L"-SORT", L"ip", L"/scomma", L"a"}), Save(SaveFormat::Comma, L"a", SaveOrder::Given, {1, false}));
    EXPECT_EQ(Parse({L"/sort", L"~Realm Size", L"/stab", L"a"}).sort, (StoredListSort{4, true}));
    EXPECT_EQ(Parse({L"/sort", L"0", L"/stab", L"a"}).sort, (StoredListSort{0, false}));
    EXPECT_EQ(Parse({L"/sort", L"05", L"/stab", L"a"}).sort, (StoredListSort{5, false}));
    // A number is its value, however many zeros lead it.
    EXPECT_EQ(Parse({L"/sort", L"00001", L"/stab", L"a"}).sort, (StoredListSort{1, false}));
    EXPECT_EQ(Parse({L"/sort", L"~0000000000000000000005", L"/stab", L"a"}).sort, (StoredListSort{5, true}));
}

TEST(CommandLine, IPv6AndNoIPv6OverrideTheStoredSwitchAnywhereOnTheLine) {
    EXPECT_EQ(Parse({L"/scomma", L"a"}).ipv6, SaveIPv6::Stored);
    EXPECT_EQ(Parse({L"/scomma", L"a", L"/ipv6"}), Save(SaveFormat::Comma, L"a", SaveOrder::Stored, {}, SaveIPv6::Added));
    EXPECT_EQ(Parse({L"-NoIPv6", L"/sort", L"~ip", L"/sjson", L"-"}),
              Save(SaveFormat::Json, L"", SaveOrder::Given, {1, true}, SaveIPv6::Left));
    EXPECT_EQ(Parse({L"/nosort", L"-IPV6", L"/stab", L"a"}).ipv6, SaveIPv6::Added);
}

TEST(CommandLine, ColumnsAreHeadersOrNumbersInTheOrderGivenAndAllInterfacesAnywhere) {
    EXPECT_FALSE(Parse({L"/scomma", L"a"}).columns);
    EXPECT_EQ(Parse({L"/scomma", L"a", L"/columns", L"IP,name,13,GATEWAY"}).columns,
              (std::vector<int>{kColIP, kColName, kColLeaseExpires, kColGateway}));
    EXPECT_EQ(Parse({L"-COLUMNS", L"0005", L"/stab", L"a"}).columns, std::vector<int>{kColType});
    EXPECT_EQ(Parse({L"/columns", L"ALL", L"/sjson", L"-"}).columns->size(), kColumnCount);
    EXPECT_FALSE(Parse({L"/scomma", L"a"}).allInterfaces);
    EXPECT_TRUE(Parse({L"/AllInterfaces", L"/scomma", L"a"}).allInterfaces);
    // Any of the fourteen sorts, shown or not.
    EXPECT_EQ(Parse({L"/scomma", L"a", L"/sort", L"~lease expires"}).sort, (StoredListSort{kColLeaseExpires, true}));
}

TEST(CommandLine, BadLinesAreRefusedNamingWhatIsWrong) {
    ExpectRefused({L"/scomma"}, L"/scomma");
    ExpectRefused({L"/bogus", L"a"}, L"/bogus");
    ExpectRefused({L"list.csv"}, L"list.csv");
    ExpectRefused({L"/", L"x"}, L"«/»");
    ExpectRefused({L"/scomma", L"a", L"extra"}, L"extra");
    ExpectRefused({L"/scomma", L"a", L"/stab", L"b"}, L"/stab");
    ExpectRefused({L"/scomma", L"a", L"/sort"}, L"/sort");
    ExpectRefused({L"/scomma", L"a", L"/sort", L"~"}, L"/sort");
    ExpectRefused({L"/scomma", L"a", L"/sort", L"21"}, L"«21»");
    ExpectRefused({L"/scomma", L"a", L"/sort", L"-1"}, L"«-1»");
    ExpectRefused({L"/scomma", L"a", L"/sort", L"000021"}, L"«000021»");
    ExpectRefused({L"/scomma", L"a", L"/sort", L"99999999999999999999"}, L"«99999999999999999999»");
    // An argument with a line break or another control character is quoted on one line.
    ExpectRefused({L"/scomma", L"a", L"/sort", L"1\r\n2"}, L"«1??2»");
    ExpectRefused({L"list\n.csv\t\x1b\x85"}, L"«list?.csv???»");
    ExpectRefused({L"/scomma", L"a", L"/sort", L"Address"}, L"«Address»");
    ExpectRefused({L"/scomma", L"a", L"/sort", L"1", L"/nosort"}, L"/nosort");
    ExpectRefused({L"/nosort"}, L"/scomma");
    ExpectRefused({L"/scomma", L"a", L"/ipv6", L"/noipv6"}, L"/noipv6");
    ExpectRefused({L"/scomma", L"a", L"/ipv6", L"-IPv6"}, L"/ipv6");
    ExpectRefused({L"/noipv6", L"/scomma", L"a", L"/noipv6"}, L"/noipv6");
    ExpectRefused({L"/ipv6"}, L"/scomma");
    ExpectRefused({L"/noipv6", L"/nosort"}, L"/scomma");
    ExpectRefused({L"/scomma", L"a", L"/columns"}, L"/columns");
    ExpectRefused({L"/scomma", L"a", L"/columns", L"IP,Bogus"}, L"«Bogus»");
    ExpectRefused({L"/scomma", L"a", L"/columns", L"IP,,Name"}, L"«»");
    ExpectRefused({L"/scomma", L"a", L"/columns", L"21"}, L"«21»");
    ExpectRefused({L"/scomma", L"a", L"/columns", L"ip,1"}, L"«1»");
    ExpectRefused({L"/scomma", L"a", L"/columns", L"IP", L"/columns", L"Name"}, L"/columns");
    ExpectRefused({L"/columns", L"IP"}, L"/scomma");
    ExpectRefused({L"/scomma", L"a", L"/allinterfaces", L"-ALLINTERFACES"}, L"/allinterfaces");
    ExpectRefused({L"/allinterfaces"}, L"/scomma");
    ExpectRefused({L"/scomma", L"a", L"/primary", L"-PRIMARY"}, L"/primary");
    ExpectRefused({L"/connected"}, L"/scomma");
    ExpectRefused({L"/wtab", L"a", L"/connected", L"/allinterfaces"}, L"/allinterfaces");
    ExpectRefused({L"/physical"}, L"/scomma");
    ExpectRefused({L"/sjson", L"a", L"/physical", L"-Physical"}, L"/physical");
    const CCommandLine both = Parse({L"/wtab", L"-", L"/Primary", L"-connected", L"/physical"});
    EXPECT_TRUE(both.primary && both.connected && both.physical && !both.allInterfaces);
}

TEST(CommandLine, WatchSwitchesTakeATargetTheSavesChoicesAndTheSecondsOfWfor) {
    CCommandLine watch;
    watch.action = CCommandLine::Action::Watch;
    watch.format = SaveFormat::Json;
    EXPECT_EQ(Parse({L"/wjson", L"-"}), watch);
    watch.format = SaveFormat::Tab;
    watch.fileName = L"changes.tsv";
    watch.watchSeconds = 60;
    EXPECT_EQ(Parse({L"-WFOR", L"0060", L"/WTab", L"changes.tsv"}), watch);
    const CCommandLine comma = Parse({L"/wcomma", L"", L"/ipv6", L"/columns", L"IP", L"/allinterfaces"});
    EXPECT_EQ(comma.format, SaveFormat::Comma);
    EXPECT_EQ(comma.ipv6, SaveIPv6::Added);
    EXPECT_EQ(comma.columns, std::vector<int>{kColIP});
    EXPECT_TRUE(comma.allInterfaces);
    EXPECT_EQ(Parse({L"/wjson", L"-", L"/wfor", L"999999999"}).watchSeconds, kMaxWatchSeconds);
    const CCommandLine metrics = Parse({L"/WPROM", L"C:\\exporter\\netpeek.prom", L"/primary"});
    EXPECT_EQ(metrics.action, CCommandLine::Action::Watch);
    EXPECT_EQ(metrics.format, SaveFormat::Prometheus);
    EXPECT_EQ(Parse({L"/sprom", L"-", L"/sort", L"~IP"}), Save(SaveFormat::Prometheus, L"", SaveOrder::Given, {kColIP, true}));
    EXPECT_NE(UsageText().find(L"/wjson"), std::wstring::npos);
    EXPECT_NE(UsageText().find(L"/wfor"), std::wstring::npos);
}

TEST(CommandLine, BadWatchLinesAreRefusedNamingWhatIsWrong) {
    ExpectRefused({L"/wjson", L"-", L"/sort", L"IP"}, L"/sort");
    ExpectRefused({L"/nosort", L"/wtab", L"a"}, L"/nosort");
    ExpectRefused({L"/wjson", L"-", L"/scomma", L"x"}, L"/scomma");
    ExpectRefused({L"/scomma", L"x", L"/wtab", L"y"}, L"/wtab");
    ExpectRefused({L"/wjson", L"-", L"/wcomma", L"y"}, L"/wcomma");
    ExpectRefused({L"/wcomma"}, L"/wcomma");
    ExpectRefused({L"/wfor", L"0", L"/wjson", L"-"}, L"«0»");
    ExpectRefused({L"/wjson", L"-", L"/wfor", L"000"}, L"«000»");
    ExpectRefused({L"/wjson", L"-", L"/wfor", L"1000000000"}, L"«1000000000»");
    ExpectRefused({L"/wjson", L"-", L"/wfor", L"-5"}, L"«-5»");
    ExpectRefused({L"/wjson", L"-", L"/wfor", L"1.5"}, L"«1.5»");
    ExpectRefused({L"/wjson", L"-", L"/wfor", L""}, L"«»");
    ExpectRefused({L"/wjson", L"-", L"/wfor"}, L"/wfor");
    ExpectRefused({L"/wjson", L"-", L"/wfor", L"1", L"/wfor", L"2"}, L"/wfor");
    ExpectRefused({L"/wfor", L"5"}, L"/wjson");
    ExpectRefused({L"/scomma", L"x", L"/wfor", L"5"}, L"/wcomma");
    ExpectRefused({L"/ipv6"}, L"/wjson");
    // The metrics' labels are fixed, and their watch writes the table's order, as every watch does.
    ExpectRefused({L"/columns", L"IP", L"/sprom", L"x.prom"}, L"/columns");
    ExpectRefused({L"/wprom", L"x.prom", L"/columns", L"all"}, L"/columns");
    ExpectRefused({L"/wprom", L"x.prom", L"/nosort"}, L"/nosort");
    ExpectRefused({L"/sprom", L"x.prom", L"/wprom", L"y.prom"}, L"/wprom");
    ExpectRefused({L"/wprom", L"x.prom", L"/wtab", L"y.tsv"}, L"/wprom");
}
