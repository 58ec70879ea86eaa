#include <gtest/gtest.h>

#include "rows/CellTexts.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

TEST(FormatTypeFlags, LabelsInFixedOrderJoinedByCommaSpace) {
    struct Case {
        std::int32_t type;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0x00, L""},
        {0x01, L"Primary"},
        {0x04, L"Dynamic"},
        {0x05, L"Primary, Dynamic"},
        {0x89, L"Primary, Disconnected, Transient"},
        {0x40, L"Deleted"},
        {0xCD, L"Primary, Dynamic, Disconnected, Deleted, Transient"},
        // Bits without a label never show, alone or beside labelled ones.
        {0x02, L""},
        {0x32, L""},
        {0x7F00, L""},
        {0x12, L""},
        {0x13, L"Primary"},
        // A sign-extended 0xFF81 still shows its low byte's labels.
        {-127, L"Primary, Transient"},
        {-1, L"Primary, Dynamic, Disconnected, Deleted, Transient"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTypeFlags(c.type), c.text) << "type " << c.type;
}

TEST(RowCells, SixCellsInColumnOrder) {
    RawRow raw;
    raw.addr = {192, 168, 0, 10};
    raw.index = 2;
    raw.mask = {255, 255, 255, 0};
    raw.bcast = {192, 168, 0, 255};
    raw.reasm = 65535;
    raw.type = 0x05;
    const auto bytes = TableBytes({raw});
    CIPAddrRow row;
    row.Init(bytes.data() + 4);
    const CRowCells expected = {L"2", L"192.168.0.10", L"255.255.255.0", L"192.168.0.255", L"65535",
                                L"Primary, Dynamic"};
    EXPECT_EQ(RowCells(row), expected);
}

TEST(RowCells, IndexAndReassemblySizeAreUnsigned) {
    RawRow raw;
    raw.index = 0x80000000u;
    raw.reasm = 0xFFFFFFFFu;
    raw.type = 0x8000;  // only the high byte: no label
    const auto bytes = TableBytes({raw});
    CIPAddrRow row;
    row.Init(bytes.data() + 4);
    const CRowCells cells = RowCells(row);
    EXPECT_EQ(cells[0], L"2147483648");
    EXPECT_EQ(cells[4], L"4294967295");
    EXPECT_EQ(cells[5], L"");
    EXPECT_EQ(cells[1], L"0.0.0.0");
}

TEST(RowCells, IPv6RowTypeLabelsInFixedOrderAndItsSixCells) {
    struct Case {
        std::int32_t prefixOrigin, suffixOrigin, dadState;
        const wchar_t* text;
    };
    const Case cases[] = {
        {1, 1, kDadStatePreferred, L""},  // manual
        {4, 4, kDadStatePreferred, L""},  // router advertisement, link-layer suffix
        {kPrefixOriginDhcp, 1, kDadStatePreferred, L"Dynamic"},
        {1, kSuffixOriginDhcp, kDadStatePreferred, L"Dynamic"},
        {4, kSuffixOriginRandom, kDadStatePreferred, L"Temporary"},
        {kPrefixOriginDhcp, kSuffixOriginRandom, kDadStateDeprecated, L"Dynamic, Temporary, Deprecated"},
        {4, 4, kDadStateTentative, L"Tentative"},
        {kPrefixOriginDhcp, kSuffixOriginDhcp, kDadStateDuplicate, L"Dynamic, Duplicate"},
        {1, 1, kDadStateInvalid, L"Invalid"},
        {1, 1, 9, L""},  // a state this program does not know
    };
    CIPv6AddrRow row;
    for (const Case& c : cases) {
        row.PrefixOrigin = c.prefixOrigin;
        row.SuffixOrigin = c.suffixOrigin;
        row.DadState = c.dadState;
        EXPECT_EQ(FormatIPv6Type(row, c.suffixOrigin == kSuffixOriginRandom), c.text)
            << c.prefixOrigin << " " << c.suffixOrigin << " " << c.dadState;
    }

    row.InterfaceIndex = 4294967295u;
    row.Address = V6({0xfe80, 0, 0, 0, 0, 0, 0, 1});
    row.ScopeId = 12;
    row.OnLinkPrefixLength = 64;
    row.SuffixOrigin = kSuffixOriginRandom;
    row.DadState = kDadStatePreferred;
    const CRowCells expected = {L"4294967295", L"fe80::1%12", L"/64", L"", L"", L"Temporary"};
    EXPECT_EQ(RowCells(row, true), expected);
    row.ScopeId = 0;
    row.OnLinkPrefixLength = 128;
    EXPECT_EQ(RowCells(row, false)[1], L"fe80::1");
    EXPECT_EQ(RowCells(row, false)[2], L"/128");
    EXPECT_EQ(RowCells(row, false)[5], L"");
}

// Windows gives the stable address a random suffix too, the one its link-local address has;
// only a random suffix on an advertised prefix that no link-local address of the interface
// shares is a temporary address.
TEST(TemporaryAddresses, ARandomSuffixIsTemporaryOnlyWhereNoLinkLocalAddressOfItsInterfaceHasIt) {
    const auto row = [](std::uint32_t index, CIPv6Addr address, std::int32_t prefix, std::int32_t suffix) {
        CIPv6AddrRow r;
        r.InterfaceIndex = index;
        r.Address = address;
        r.PrefixOrigin = prefix;
        r.SuffixOrigin = suffix;
        r.DadState = kDadStatePreferred;
        return r;
    };
    constexpr std::int32_t kRA = kPrefixOriginRouterAdvertisement, kWellKnown = 2, kRandom = kSuffixOriginRandom;
    const CIPv6AddrList rows = {
        row(3, V6({0xfe80, 0, 0, 0, 0xe0ca, 0x9e76, 0x661f, 0xc4f1}), kWellKnown, kRandom),  // link-local
        row(3, V6({0x2012, 0x65, 0xfd85, 0x5712, 0xe0ca, 0x9e76, 0x661f, 0xc4f1}), kRA, kRandom),  // stable
        row(3, V6({0x2012, 0x65, 0xfd85, 0x5712, 0x1d2c, 0x33a1, 0x8e07, 0x4b20}), kRA, kRandom),  // temporary
        row(3, V6({0x2012, 0x65, 0xfd85, 0x5712, 0x5566, 0x7788, 0x99aa, 0xbbcc}), kRA, kRandom),  // temporary
        // The same suffix as 3's link-local address, but on an interface with none of its own.
        row(9, V6({0x2012, 0x65, 0xfd85, 0x9, 0xe0ca, 0x9e76, 0x661f, 0xc4f1}), kRA, kRandom),
        row(3, V6({0x2012, 0x65, 0xfd85, 0x5712, 0, 0, 0, 0x17}), kPrefixOriginDhcp, kSuffixOriginDhcp),  // DHCPv6
        row(3, V6({0xfd00, 0, 0, 0, 0x1111, 0x2222, 0x3333, 0x4444}), 1, kRandom),  // a random suffix, manual prefix
    };
    EXPECT_EQ(TemporaryAddresses(rows), (std::vector<bool>{false, false, true, true, true, false, false}));
    EXPECT_EQ(FormatIPv6Type(rows[5], TemporaryAddresses(rows)[5]), L"Dynamic");
    EXPECT_TRUE(TemporaryAddresses({}).empty());
}
