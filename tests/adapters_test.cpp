#include <gtest/gtest.h>

#include <winsock2.h>
#include <iphlpapi.h>

#include <cstring>
#include <vector>

#include "addrtable/GetIPAddresses.h"
#include "support/Adapters.h"
#include "support/Error.h"

using namespace netpeek;

namespace {

// Two adapters chained as GetAdaptersAddresses leaves them, with their texts after them.
struct TwoAdapters {
    IP_ADAPTER_ADDRESSES nodes[2];
    wchar_t texts[4][8];

    TwoAdapters() {
        std::memset(this, 0, sizeof(*this));
        const wchar_t* words[] = {L"npA", L"veth", L"lo", L"loop"};
        for (int i = 0; i < 4; ++i)
            std::wcscpy(texts[i], words[i]);
        for (int i = 0; i < 2; ++i) {
            nodes[i].Length = sizeof(IP_ADAPTER_ADDRESSES);
            nodes[i].FriendlyName = texts[2 * i];
            nodes[i].Description = texts[2 * i + 1];
        }
        nodes[0].Next = &nodes[1];
        nodes[0].IfIndex = 3;
        nodes[0].PhysicalAddressLength = 6;
        const BYTE mac[] = {0x02, 0x00, 0x0a, 0x09, 0x00, 0x01, 0xee, 0xee};  // the last two unused
        std::memcpy(nodes[0].PhysicalAddress, mac, sizeof(mac));
        nodes[0].Mtu = 1400;
        nodes[0].OperStatus = IfOperStatusUp;
        nodes[1].IfIndex = 1;
        nodes[1].Mtu = 65536;
        nodes[1].OperStatus = IfOperStatusDown;
    }
    std::span<const std::uint8_t> Bytes() const { return {reinterpret_cast<const std::uint8_t*>(this), sizeof(*this)}; }
};

}  // namespace

TEST(DecodeAdapters, ReadsEveryAdapterOfTheChainByIndex) {
    const TwoAdapters buffer;
    const AdapterMap adapters = DecodeAdapters(buffer.Bytes());
    ASSERT_EQ(adapters.size(), 2u);
    const AdapterInfo& a = adapters.at(3);
    EXPECT_EQ(a.friendlyName, L"npA");
    EXPECT_EQ(a.description, L"veth");
    EXPECT_EQ(a.physicalAddress, (std::vector<std::uint8_t>{0x02, 0x00, 0x0a, 0x09, 0x00, 0x01}));
    EXPECT_EQ(a.mtu, 1400u);
    EXPECT_EQ(a.operStatus, static_cast<std::uint32_t>(IfOperStatusUp));
    EXPECT_EQ(adapters.at(1).friendlyName, L"lo");
    EXPECT_TRUE(adapters.at(1).physicalAddress.empty());
    EXPECT_TRUE(DecodeAdapters({}).empty());
}

TEST(DecodeAdapters, RejectsPointersAndCountsThatLeaveTheBuffer) {
    const auto rejects = [](void (*spoil)(TwoAdapters&), const char* what) {
        TwoAdapters buffer;
        spoil(buffer);
        EXPECT_THROW(DecodeAdapters(buffer.Bytes()), CError) << what;
    };
    rejects([](TwoAdapters& b) { b.nodes[1].Next = &b.nodes[0]; }, "a chain that goes round");
    rejects([](TwoAdapters& b) { b.nodes[0].Next = &b.nodes[2]; }, "a next adapter past the end");
    rejects([](TwoAdapters& b) { b.nodes[0].Next = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(b.texts[3]); },
            "a next adapter running over the end");
    rejects([](TwoAdapters& b) { b.nodes[1].FriendlyName = &b.texts[3][8]; }, "a name past the end");
    rejects([](TwoAdapters& b) { std::wmemset(b.texts[3], L'x', 8); }, "a description without its end");
    rejects([](TwoAdapters& b) { b.nodes[0].PhysicalAddressLength = MAX_ADAPTER_ADDRESS_LENGTH + 1; },
            "a physical address longer than its field");
    rejects([](TwoAdapters& b) { b.nodes[1].Length = 8; }, "an adapter too short for its state");
}

TEST(ReadAdapters, GrowsTheBufferAndFailsWithTheSystemsCode) {
    const TwoAdapters two;
    int calls = 0;
    // Too small at first: the size asked for is given, and the second call fills it.
    const AdapterMap adapters = ReadAdapters([&](ULONG, ULONG, void* buffer, ULONG* size) -> ULONG {
        ++calls;
        if (*size < 20000) {
            *size = 20000;
            return ERROR_BUFFER_OVERFLOW;
        }
        std::memcpy(buffer, &two, sizeof(two));
        // The copied chain points into `two`; point it into the buffer instead.
        auto* nodes = static_cast<IP_ADAPTER_ADDRESSES*>(buffer);
        const auto moved = [&](const void* p) {
            return static_cast<std::uint8_t*>(buffer) + (static_cast<const std::uint8_t*>(p) -
                                                         reinterpret_cast<const std::uint8_t*>(&two));
        };
        nodes[0].Next = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(moved(two.nodes[0].Next));
        for (int i = 0; i < 2; ++i) {
            nodes[i].FriendlyName = reinterpret_cast<wchar_t*>(moved(two.nodes[i].FriendlyName));
            nodes[i].Description = reinterpret_cast<wchar_t*>(moved(two.nodes[i].Description));
        }
        return NO_ERROR;
    });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(adapters.at(3).friendlyName, L"npA");

    EXPECT_TRUE(ReadAdapters([](ULONG, ULONG, void*, ULONG*) -> ULONG { return ERROR_NO_DATA; }).empty());
    for (ULONG failure : {static_cast<ULONG>(ERROR_INVALID_PARAMETER), static_cast<ULONG>(ERROR_BUFFER_OVERFLOW)}) {
        try {
            // An overflow that asks for no more room is a failure too, not a loop.
            ReadAdapters([&](ULONG, ULONG, void*, ULONG*) { return failure; });
            ADD_FAILURE() << "no error for " << failure;
        } catch (const CError& e) {
            EXPECT_EQ(e.Number(), failure);
        }
    }
    EXPECT_THROW(ReadAdapters([](ULONG, ULONG, void*, ULONG* size) -> ULONG {
                     *size += 1;
                     return ERROR_BUFFER_OVERFLOW;
                 }),
                 CError);
}

// Every interface of the address table is among the adapters, under the same index.
TEST(ReadAdapters, KnowsEveryInterfaceOfTheAddressTable) {
    const AdapterMap adapters = ReadAdapters();
    for (const CIPAddrRow& row : GetIPAddresses()) {
        const auto found = adapters.find(static_cast<std::uint32_t>(row.dwIndex));
        ASSERT_NE(found, adapters.end()) << "interface " << row.dwIndex;
        EXPECT_FALSE(found->second.friendlyName.empty()) << "interface " << row.dwIndex;
    }
}
