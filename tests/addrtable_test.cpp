#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "addrtable/AddrTable.h"
#include "addrtable/CIPv6AddrRow.h"
#include "support/Error.h"
#include "tests/InLanguage.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

TEST(CIPAddr, NewAddressIsAllZeroAndPrintsAsSuch) {
    CIPAddr a;
    EXPECT_EQ(a.Part1, 0);
    EXPECT_EQ(a.Part2, 0);
    EXPECT_EQ(a.Part3, 0);
    EXPECT_EQ(a.Part4, 0);
    EXPECT_EQ(a.toString(), L"0.0.0.0");
}

TEST(CIPAddr, InitTakesBytesInStorageOrderWhateverTheHost) {
    const std::uint8_t bytes[] = {0xC0, 0xA8, 0x00, 0x01};
    CIPAddr a;
    a.Init(bytes);
    EXPECT_EQ(a.Part1, 192);
    EXPECT_EQ(a.Part2, 168);
    EXPECT_EQ(a.Part3, 0);
    EXPECT_EQ(a.Part4, 1);
    EXPECT_EQ(a.toString(), L"192.168.0.1");
}

TEST(CIPAddr, PrintsEveryOctetWidthWithoutPadding) {
    struct Case {
        std::uint8_t bytes[4];
        const wchar_t* text;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, L"0.0.0.0"},
        {{0xFF, 0xFF, 0xFF, 0x00}, L"255.255.255.0"},
        {{0xFF, 0xFF, 0xFF, 0xFF}, L"255.255.255.255"},
        {{10, 0, 9, 99}, L"10.0.9.99"},
        {{1, 20, 100, 200}, L"1.20.100.200"},
    };
    for (const Case& c : cases) {
        CIPAddr a;
        a.Init(c.bytes);
        EXPECT_EQ(a.toString(), c.text);
    }
}

TEST(CIPAddr, ReinitReplacesEveryOctetAndPartsCanBeSet) {
    const std::uint8_t first[] = {1, 2, 3, 4};
    const std::uint8_t second[] = {0, 0, 0, 0};
    CIPAddr a;
    a.Init(first);
    a.Init(second);
    EXPECT_EQ(a.toString(), L"0.0.0.0");
    a.Part3 = 7;
    EXPECT_EQ(a.toString(), L"0.0.7.0");
}

TEST(CIPAddrRow, ExampleRowDecodesEveryMember) {
    const std::vector<std::uint8_t> row = {0xC0, 0xA8, 0x00, 0x01, 0x02, 0x00, 0x00, 0x00,
                                           0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x00, 0x00, 0x00,
                                           0xDC, 0x05, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00};
    ASSERT_EQ(row.size(), CIPAddrRow::kSize);
    CIPAddrRow r;
    r.Init(row.data());
    EXPECT_EQ(r.dwAddr.toString(), L"192.168.0.1");
    EXPECT_EQ(r.dwIndex, 2);
    EXPECT_EQ(r.dwMask.toString(), L"255.255.255.0");
    EXPECT_EQ(r.dwBCastAddr.toString(), L"1.0.0.0");
    EXPECT_EQ(r.dwReasmSize, 1500);
    EXPECT_EQ(r.unused1, 0);
    EXPECT_EQ(r.wType, 1);
}

TEST(CIPAddrRow, SignedMembersKeepTheirSign) {
    RawRow raw;
    raw.index = 0x80000000u;
    raw.reasm = 0xFFFFFFFFu;
    raw.unused = 0xFFFE;
    raw.type = 0x8001;
    const auto bytes = TableBytes({raw});
    CIPAddrRow r;
    r.Init(bytes.data() + 4);
    EXPECT_EQ(r.dwIndex, INT32_MIN);
    EXPECT_EQ(r.dwReasmSize, -1);
    EXPECT_EQ(r.unused1, -2);
    EXPECT_EQ(r.wType, -32767);  // 0x8001 widened with its sign

    raw.type = 0xFFFF;
    const auto all = TableBytes({raw});
    r.Init(all.data() + 4);
    EXPECT_EQ(r.wType, -1);
    raw.type = 0x7FFF;
    const auto top = TableBytes({raw});
    r.Init(top.data() + 4);
    EXPECT_EQ(r.wType, 0x7FFF);
}

TEST(CIPAddrRow, EachAddressMemberOwnsItsValue) {
    RawRow raw;
    raw.addr = {192, 168, 1, 2};
    raw.mask = {255, 255, 0, 0};
    raw.bcast = {192, 168, 255, 255};
    const auto bytes = TableBytes({raw});
    CIPAddrRow r;
    r.Init(bytes.data() + 4);
    CIPAddrRow copy = r;
    copy.dwAddr.Part4 = 99;
    EXPECT_EQ(copy.dwAddr.toString(), L"192.168.1.99");
    EXPECT_EQ(r.dwAddr.toString(), L"192.168.1.2");
    EXPECT_EQ(r.dwMask.toString(), L"255.255.0.0");
    EXPECT_EQ(r.dwBCastAddr.toString(), L"192.168.255.255");
}

TEST(DecodeAddrTable, ZeroRowsIsAnEmptyCollection) {
    EXPECT_TRUE(DecodeAddrTable(TableBytes({})).empty());
    // A zero count in a larger buffer, as Windows hands it back, is empty too.
    std::vector<std::uint8_t> big(1024, 0xAB);
    big[0] = big[1] = big[2] = big[3] = 0;
    EXPECT_TRUE(DecodeAddrTable(big).empty());
}

TEST(DecodeAddrTable, AnyNumberOfRowsComesBackInBufferOrder) {
    for (std::uint32_t n : {1u, 42u, 43u, 2000u}) {
        const auto raw = NumberedRows(n);
        auto bytes = TableBytes(raw);
        bytes.resize(bytes.size() + 17, 0xEE);  // slack after the last row is ignored
        const CIPAddrList rows = DecodeAddrTable(bytes);
        ASSERT_EQ(rows.size(), n);
        for (std::uint32_t i = 0; i < n; ++i) {
            const CIPAddr expected{raw[i].addr[0], raw[i].addr[1], raw[i].addr[2], raw[i].addr[3]};
            ASSERT_EQ(rows[i].dwAddr, expected) << "row " << i;
            ASSERT_EQ(rows[i].dwIndex, static_cast<std::int32_t>(i + 1));
            ASSERT_EQ(rows[i].dwReasmSize, static_cast<std::int32_t>(1500 + i));
        }
        // Two reads alike are the same table; a change in any member, one unshown too, is not.
        CIPAddrList again = DecodeAddrTable(bytes);
        EXPECT_TRUE(SameTable(rows, again));
        for (auto change : {+[](CIPAddrRow& r) { r.unused1 = 7; }, +[](CIPAddrRow& r) { r.wType = 0x4001; },
                            +[](CIPAddrRow& r) { r.dwBCastAddr.Part4 = 9; }}) {
            CIPAddrList changed = again;
            change(changed[n - 1]);
            EXPECT_FALSE(SameTable(rows, changed));
            EXPECT_NE(rows, changed);
        }
        again.pop_back();
        EXPECT_FALSE(SameTable(rows, again));
        // The runs alike at both ends stop at the first row that differs, inside a block or at its edge.
        for (std::uint32_t at : {0u, 63u, 64u, n / 2, n - 1}) {
            if (at >= n)
                continue;
            CIPAddrList changed = rows;
            changed[at].dwReasmSize = -1;
            EXPECT_EQ(SameHead(rows, changed), at);
            EXPECT_EQ(SameTail(rows, changed), n - 1 - at);
        }
        EXPECT_EQ(SameHead(rows, again), n - 1);
        EXPECT_EQ(SameTail(rows, again), 0u);  // its last row is another
    }
}

TEST(DecodeAddrTable, KeepsOrderEvenWhenNotSorted) {
    RawRow high, low;
    high.addr = {200, 0, 0, 1};
    low.addr = {10, 0, 0, 1};
    const CIPAddrList rows = DecodeAddrTable(TableBytes({high, low, high}));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].dwAddr.toString(), L"200.0.0.1");
    EXPECT_EQ(rows[1].dwAddr.toString(), L"10.0.0.1");
    EXPECT_EQ(rows[2].dwAddr.toString(), L"200.0.0.1");
}

namespace {
void ExpectInvalid(const std::vector<std::uint8_t>& bytes, const wchar_t* words) {
    const InLanguage english(L"en");
    try {
        DecodeAddrTable(bytes);
        ADD_FAILURE() << "no error for a buffer of " << bytes.size() << " bytes";
    } catch (const CError& e) {
        EXPECT_EQ(e.Number(), kErrorInvalidData);
        EXPECT_NE(e.Description().find(words), std::wstring::npos) << e.what();
    }
}
}  // namespace

TEST(DecodeAddrTable, MalformedBuffersAreClearErrorsNotReadsPastTheEnd) {
    ExpectInvalid({}, L"too short");
    ExpectInvalid({1, 0, 0}, L"too short");
    ExpectInvalid(TableBytes(0x80000000u, {}), L"negative");
    ExpectInvalid(TableBytes(0xFFFFFFFFu, NumberedRows(3)), L"negative");
    ExpectInvalid(TableBytes(1, {}), L"claims 1 rows");
    ExpectInvalid(TableBytes(43, NumberedRows(42)), L"hold only 42");
    // One byte short of the last row.
    auto cut = TableBytes(NumberedRows(5));
    cut.pop_back();
    ExpectInvalid(cut, L"hold only 4");
    // A count so large that count * 24 would wrap a 32-bit size.
    ExpectInvalid(TableBytes(0x0AAAAAABu, NumberedRows(2)), L"claims 178956971 rows");
}

TEST(CIPv6Addr, WritesTheTextWindowsWrites) {
    struct Case {
        std::array<std::uint16_t, 8> groups;
        const wchar_t* text;
    };
    const Case cases[] = {
        // RFC 5952's own: no leading zeros, lower case, a lone zero group kept, the longest
        // run compressed and the first of two equal runs.
        {{0x2001, 0x0db8, 0, 0, 0, 0, 0x0002, 0x0001}, L"2001:db8::2:1"},
        {{0x2001, 0xdb8, 0, 1, 1, 1, 1, 1}, L"2001:db8:0:1:1:1:1:1"},
        {{0x2001, 0xdb8, 0, 0, 1, 0, 0, 1}, L"2001:db8::1:0:0:1"},
        {{0x2001, 0xdb8, 0xaaaa, 0xbbbb, 0xcccc, 0xdddd, 0xeeee, 0xaaaa}, L"2001:db8:aaaa:bbbb:cccc:dddd:eeee:aaaa"},
        {{1, 0, 0, 1, 0, 0, 0, 1}, L"1:0:0:1::1"},  // a longer run later wins
        {{0, 0, 3, 4, 5, 6, 7, 8}, L"::3:4:5:6:7:8"},
        {{1, 2, 3, 4, 5, 6, 0, 0}, L"1:2:3:4:5:6::"},
        {{0, 1, 2, 3, 4, 5, 6, 0}, L"0:1:2:3:4:5:6:0"},
        {{0xfe80, 0, 0, 0, 0x00fc, 0x00ff, 0xfe00, 0x0010}, L"fe80::fc:ff:fe00:10"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, L"::"},
        {{0, 0, 0, 0, 0, 0, 0, 1}, L"::1"},
        // The dotted quad: compatible, mapped and translated addresses whose top 16 bits of
        // the IPv4 part are not zero, and ISATAP addresses always.
        {{0, 0, 0, 0, 0, 0, 0xc000, 0x0201}, L"::192.0.2.1"},
        {{0, 0, 0, 0, 0, 0, 0x0001, 0}, L"::0.1.0.0"},
        {{0, 0, 0, 0, 0, 0, 0, 0xffff}, L"::ffff"},
        {{0, 0, 0, 0, 0, 0xffff, 0xc000, 0x0201}, L"::ffff:192.0.2.1"},
        {{0, 0, 0, 0, 0, 0xffff, 0, 1}, L"::ffff:0:1"},
        {{0, 0, 0, 0, 0xffff, 0, 0xc000, 0x0201}, L"::ffff:0:192.0.2.1"},
        {{0, 0, 0, 0, 0, 1, 0xc000, 0x0201}, L"::1:c000:201"},
        {{0xfe80, 0, 0, 0, 0, 0x5efe, 0xc000, 0x0201}, L"fe80::5efe:192.0.2.1"},
        {{0xfe80, 0, 0, 0, 0x200, 0x5efe, 0, 1}, L"fe80::200:5efe:0.0.0.1"},
        {{0xfe80, 0, 0, 0, 0x100, 0x5efe, 0xc000, 0x0201}, L"fe80::100:5efe:c000:201"},
        {{0x2001, 0xdb8, 0, 1, 0, 0x5efe, 0x0a00, 1}, L"2001:db8:0:1:0:5efe:10.0.0.1"},
        {{0x64, 0xff9b, 0, 0, 0, 0, 0xc000, 0x0201}, L"64:ff9b::c000:201"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(V6(c.groups).toString(), c.text);
        EXPECT_EQ(V6(c.groups).toString(0), c.text);
    }
    // The zone in decimal after the address; the longest text with the largest zone fits.
    EXPECT_EQ(V6({0xfe80, 0, 0, 0, 0, 0, 0, 1}).toString(12), L"fe80::1%12");
    EXPECT_EQ(V6({}).toString(4294967295u), L"::%4294967295");
    EXPECT_EQ(V6({0xffff, 0xffff, 0xffff, 0xffff, 0x200, 0x5efe, 0xffff, 0xffff}).toString(4294967295u),
              L"ffff:ffff:ffff:ffff:200:5efe:255.255.255.255%4294967295");
}

TEST(CIPv6Addr, RowsSortByTheirBytesThenInterface) {
    CIPv6AddrList rows(4);
    rows[0].Address = V6({0xfe80, 0, 0, 0, 0, 0, 0, 1});
    rows[0].InterfaceIndex = 7;
    rows[1].Address = V6({0xfd00, 0, 0, 0, 0, 0, 0, 0x100});  // before fd00::20 as text, after it by bytes
    rows[2].Address = V6({0xfe80, 0, 0, 0, 0, 0, 0, 1});
    rows[2].InterfaceIndex = 3;
    rows[3].Address = V6({0xfd00, 0, 0, 0, 0, 0, 0, 0x20});
    SortIPv6Rows(rows);
    EXPECT_EQ(rows[0].Address.toString(), L"fd00::20");
    EXPECT_EQ(rows[1].Address.toString(), L"fd00::100");
    EXPECT_EQ(rows[2].InterfaceIndex, 3u);
    EXPECT_EQ(rows[3].InterfaceIndex, 7u);
}
