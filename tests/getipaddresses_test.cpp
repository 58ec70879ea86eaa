#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "addrtable/GetIPAddresses.h"
#include "support/Error.h"
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

TEST(GetIPAddresses, RealTableHasLoopback) {
    const CIPAddrList rows = GetIPAddresses();
    bool loopback = false;
    for (const CIPAddrRow& r : rows)
        loopback |= r.dwAddr.toString() == L"127.0.0.1" && r.dwMask.toString() == L"255.0.0.0";
    EXPECT_TRUE(loopback);
}
