#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "addrtable/GetIPAddresses.h"
#include "addrtable/GetIPv6Addresses.h"
#include "support/Error.h"
#include "support/SystemDlls.h"
#include "tests/InLanguage.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

namespace {

// A stand-in for GetIpAddrTable over a table that may grow between calls.
struct FakeTable {
    explicit FakeTable(std::vector<std::vector<std::uint8_t>> t) : tables(std::move(t)) {}

    std::vector<std::vector<std::uint8_t>> tables;  // what each successive call sees
    std::vector<ULONG> sizesOffered;
    std::vector<BOOL> sortFlags;

    DWORD operator()(void* buffer, ULONG* size, BOOL sort) {
        sizesOffered.push_back(*size);
        sortFlags.push_back(sort);
        const auto& table = tables[std::min(sizesOffered.size(), tables.size()) - 1];
        if (*size < table.size()) {
            *size = static_cast<ULONG>(table.size());
            return ERROR_INSUFFICIENT_BUFFER;
        }
        std::memcpy(buffer, table.data(), table.size());
        return NO_ERROR;
    }
};

}  // namespace

TEST(GetIPAddresses, SmallTableIsReadInOneCallWithTheSortFlag) {
    FakeTable fake({TableBytes(NumberedRows(42))});
    const CIPAddrList rows = GetIPAddresses(std::ref(fake));
    EXPECT_EQ(rows.size(), 42u);
    ASSERT_EQ(fake.sizesOffered.size(), 1u);
    EXPECT_EQ(fake.sizesOffered[0], 1024u);
    EXPECT_EQ(fake.sortFlags[0], TRUE);
}

TEST(GetIPAddresses, LargerTableGrowsTheBufferAndReturnsEveryRow) {
    for (std::uint32_t n : {43u, 100u, 2000u}) {
        FakeTable fake({TableBytes(NumberedRows(n))});
        const CIPAddrList rows = GetIPAddresses(std::ref(fake));
        ASSERT_EQ(rows.size(), n);
        EXPECT_EQ(rows.back().dwIndex, static_cast<std::int32_t>(n));
        ASSERT_EQ(fake.sizesOffered.size(), 2u);
        EXPECT_EQ(fake.sizesOffered[1], 4 + 24 * n);
    }
}

TEST(GetIPAddresses, TableThatGrowsBetweenCallsIsAskedForAgain) {
    FakeTable fake({TableBytes(NumberedRows(50)), TableBytes(NumberedRows(60)),
                    TableBytes(NumberedRows(70))});
    const CIPAddrList rows = GetIPAddresses(std::ref(fake));
    EXPECT_EQ(rows.size(), 70u);
    EXPECT_EQ(fake.sizesOffered.size(), 4u);
}

TEST(GetIPAddresses, TableThatNeverSettlesIsAnErrorNotAnEmptyList) {
    ULONG next = 2000;
    int calls = 0;
    auto growing = [&](void*, ULONG* size, BOOL) -> DWORD {
        ++calls;
        *size = next += 240;
        return ERROR_INSUFFICIENT_BUFFER;
    };
    try {
        GetIPAddresses(growing);
        FAIL() << "no error";
    } catch (const CError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::uint32_t>(ERROR_INSUFFICIENT_BUFFER));
    }
    EXPECT_EQ(calls, kAddrTableAttempts);
}

TEST(GetIPAddresses, FailureCarriesTheSystemCodeAndMessage) {
    auto failing = [](void*, ULONG*, BOOL) -> DWORD { return ERROR_NOT_SUPPORTED; };
    const InLanguage english(L"en");
    try {
        GetIPAddresses(failing);
        FAIL() << "no error";
    } catch (const CError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::uint32_t>(ERROR_NOT_SUPPORTED));
        EXPECT_NE(e.Description().find(L"address table"), std::wstring::npos);
        // The system's own text follows ours.
        EXPECT_GT(e.Description().size(), std::wcslen(L"The IPv4 address table could not be read.") + 2)
            << e.what();
    }
}

TEST(GetIPAddresses, NoDataIsAnEmptyTableNotAnError) {
    auto none = [](void*, ULONG*, BOOL) -> DWORD { return ERROR_NO_DATA; };
    EXPECT_TRUE(GetIPAddresses(none).empty());
}

TEST(GetIPAddresses, AReReadAsksOnceAndAFailedOneKeepsTheRowsBefore) {
    AddrTableRead read;
    FakeTable first({TableBytes(NumberedRows(2000))});
    GetIPAddresses(std::ref(first), read);
    FakeTable smaller({TableBytes(NumberedRows(1500))});
    GetIPAddresses(std::ref(smaller), read);
    ASSERT_EQ(smaller.sizesOffered, std::vector<ULONG>{4 + 24 * 2000});
    ASSERT_EQ(read.rows.size(), 1500u);
    EXPECT_EQ(read.rows.back().dwIndex, 1500);

    auto failing = [](void*, ULONG*, BOOL) -> DWORD { return ERROR_NOT_SUPPORTED; };
    EXPECT_THROW(GetIPAddresses(failing, read), CError);
    auto torn = [](void* buffer, ULONG*, BOOL) -> DWORD {
        const std::uint32_t claimed = 0x7fffffff;
        std::memcpy(buffer, &claimed, sizeof claimed);
        return NO_ERROR;
    };
    EXPECT_THROW(GetIPAddresses(torn, read), CError);
    EXPECT_EQ(read.rows.size(), 1500u);
    EXPECT_EQ(read.rows.back().dwIndex, 1500);
}

TEST(GetIPAddresses, RealTableHasLoopback) {
    const CIPAddrList rows = GetIPAddresses();
    bool loopback = false;
    for (const CIPAddrRow& r : rows)
        loopback |= r.dwAddr.toString() == L"127.0.0.1" && r.dwMask.toString() == L"255.0.0.0";
    EXPECT_TRUE(loopback);
}

namespace {

// The text Windows itself writes for an address and zone.
std::wstring WindowsText(const CIPv6Addr& address, std::uint32_t zone) {
    using ToString = LONG(WINAPI*)(const IN6_ADDR*, ULONG, USHORT, PWSTR, PULONG);
    static const auto toString = SystemFunction<ToString>(L"ntdll.dll", "RtlIpv6AddressToStringExW");
    IN6_ADDR bytes;
    std::memcpy(bytes.s6_addr, address.Bytes.data(), address.Bytes.size());
    wchar_t text[INET6_ADDRSTRLEN];
    ULONG length = INET6_ADDRSTRLEN;
    EXPECT_EQ(toString(&bytes, zone, 0, text, &length), 0);
    return text;
}

}  // namespace

TEST(CIPv6Addr, TextIsWhatWindowsWritesForEveryFormAndManyRandomAddresses) {
    std::vector<std::pair<std::array<std::uint16_t, 8>, std::uint32_t>> cases;
    // Every pattern of zero groups, so every run of zeros at every place, ties included.
    for (unsigned zeros = 0; zeros < 256; ++zeros) {
        std::array<std::uint16_t, 8> g;
        for (std::size_t i = 0; i < g.size(); ++i)
            g[i] = (zeros >> i) & 1 ? 0 : static_cast<std::uint16_t>(0x0a0b + i);
        cases.push_back({g, 0});
    }
    // The first six groups of every form that may end in a dotted quad, and their near misses,
    // with IPv4 parts whose first, second or both 16 bits are zero.
    const std::array<std::uint16_t, 6> forms[] = {
        {0, 0, 0, 0, 0, 0},          {0, 0, 0, 0, 0, 0xffff},       {0, 0, 0, 0, 0xffff, 0},
        {0, 0, 0, 0, 0, 1},          {0, 0, 0, 1, 0, 0xffff},       {0, 0, 0, 0, 0xffff, 0xffff},
        {0xfe80, 0, 0, 0, 0, 0x5efe}, {0xfe80, 0, 0, 0, 0x200, 0x5efe}, {0xfe80, 0, 0, 0, 0x100, 0x5efe},
        {0, 0, 0, 0, 0, 0x5efe},     {0x2001, 0xdb8, 0, 1, 0, 0x5efe}, {0x64, 0xff9b, 0, 0, 0, 0},
    };
    const std::array<std::uint16_t, 2> ipv4Parts[] = {{0, 0}, {0, 1}, {0, 0xffff}, {1, 0}, {0xc000, 0x201}, {0xffff, 0xffff}};
    for (const auto& form : forms)
        for (const auto& ipv4 : ipv4Parts)
            cases.push_back({{form[0], form[1], form[2], form[3], form[4], form[5], ipv4[0], ipv4[1]}, 0});
    // Random ones: half the groups zero, the others of one to four digits, a third of them
    // with one of the forms above, a third with a zone.
    std::mt19937 random(6);
    for (int n = 0; n < 100000; ++n) {
        std::array<std::uint16_t, 8> g;
        for (std::uint16_t& group : g)
            group = static_cast<std::uint16_t>(random() % 2 ? 0 : random() >> (4 * (random() % 4) + 16));
        if (random() % 3 == 0)
            std::copy_n(forms[random() % std::size(forms)].begin(), 6, g.begin());
        cases.push_back({g, random() % 3 == 0 ? static_cast<std::uint32_t>(random()) : 0u});
    }
    for (const auto& [groups, zone] : cases) {
        const CIPv6Addr address = V6(groups);
        ASSERT_EQ(address.toString(zone), WindowsText(address, zone));
    }
}

TEST(GetIPv6Addresses, TableRowsOfIPv6OnlyInAddressThenInterfaceOrder) {
    constexpr ULONG kEntries = 4;
    std::vector<std::uint8_t> buffer(sizeof(MIB_UNICASTIPADDRESS_TABLE) + kEntries * sizeof(MIB_UNICASTIPADDRESS_ROW));
    auto& table = *reinterpret_cast<MIB_UNICASTIPADDRESS_TABLE*>(buffer.data());
    table.NumEntries = kEntries;
    const auto put = [&table](ULONG i, ADDRESS_FAMILY family, const CIPv6Addr& address, NET_IFINDEX index) {
        MIB_UNICASTIPADDRESS_ROW& row = table.Table[i];
        row.Address.si_family = family;
        std::memcpy(row.Address.Ipv6.sin6_addr.s6_addr, address.Bytes.data(), 16);
        row.InterfaceIndex = index;
        row.ScopeId.Value = index;
        row.OnLinkPrefixLength = 64;
        row.PrefixOrigin = IpPrefixOriginDhcp;
        row.SuffixOrigin = IpSuffixOriginRandom;
        row.DadState = IpDadStateDeprecated;
    };
    put(0, AF_INET6, V6({0xfe80, 0, 0, 0, 0, 0, 0, 1}), 9);
    put(1, AF_INET, V6({0x0a00, 1}), 2);
    put(2, AF_INET6, V6({0xfe80, 0, 0, 0, 0, 0, 0, 1}), 4);
    put(3, AF_INET6, V6({0x2001, 0xdb8, 0, 0, 0, 0, 0, 1}), 7);
    const CIPv6AddrList rows = IPv6Rows(table);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Address.toString(rows[0].ScopeId), L"2001:db8::1%7");
    EXPECT_EQ(rows[1].Address.toString(rows[1].ScopeId), L"fe80::1%4");
    EXPECT_EQ(rows[2].InterfaceIndex, 9u);
    EXPECT_EQ(rows[2].OnLinkPrefixLength, 64);
    EXPECT_EQ(rows[2].PrefixOrigin, kPrefixOriginDhcp);
    EXPECT_EQ(rows[2].SuffixOrigin, kSuffixOriginRandom);
    EXPECT_EQ(rows[2].DadState, kDadStateDeprecated);
}

TEST(GetIPv6Addresses, RealTableIsInOrderAndLinkLocalAddressesCarryTheirZone) {
    const CIPv6AddrList rows = GetIPv6Addresses();
    bool loopback = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CIPv6Addr& a = rows[i].Address;
        loopback |= a.toString() == L"::1" && rows[i].OnLinkPrefixLength == 128;
        const bool linkLocal = a.Bytes[0] == 0xfe && (a.Bytes[1] & 0xc0) == 0x80;
        EXPECT_EQ(rows[i].ScopeId != 0, linkLocal) << testing::PrintToString(a.toString(rows[i].ScopeId));
        if (i != 0) {
            EXPECT_LE(std::tie(rows[i - 1].Address, rows[i - 1].InterfaceIndex), std::tie(a, rows[i].InterfaceIndex));
        }
    }
    EXPECT_TRUE(loopback);
}
