#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string>
#include <vector>

#include "addrtable/GetIPAddresses.h"
#include "addrtable/GetIPv6Addresses.h"
#include "interfaces/Adapters.h"
#include "mainwindow/RowTipText.h"
#include "support/Error.h"
#include "tests/InLanguage.h"

using namespace netpeek;

namespace {

// 10.0.0.last, and 2001:db8::last or, with a zone, fe80::last%zone.
SocketAddress V4(std::uint8_t last) {
    return {4, {10, 0, 0, last}, 0};
}
SocketAddress V6(std::uint8_t last, std::uint32_t zone = 0) {
    SocketAddress a{6, {0x20, 0x01, 0x0d, 0xb8}, zone};
    if (zone != 0)
        a.bytes = {0xfe, 0x80};
    a.bytes[15] = last;
    return a;
}

// Two adapters as GetAdaptersAddresses leaves them, their lists, socket addresses and texts
// after them. Its pointers lead into itself, so a fake source builds it in its buffer.
struct TwoAdapters {
    IP_ADAPTER_ADDRESSES nodes[2];
    IP_ADAPTER_UNICAST_ADDRESS unicast[5];   // the first adapter's 0 and 1, the second's 2 to 4
    IP_ADAPTER_GATEWAY_ADDRESS gateways[3];  // 0 and 1, then 2
    IP_ADAPTER_DNS_SERVER_ADDRESS dns[4];    // 0 and 1, then 2 and 3
    sockaddr_in6 sockets[16];                // each holds one socket address of either family
    int used = 0;
    char names[2][40];
    wchar_t texts[4][8];

    TwoAdapters() {
        std::memset(static_cast<void*>(this), 0, sizeof(*this));
        const wchar_t* words[] = {L"npA", L"veth", L"lo", L"loop"};
        for (int i = 0; i < 4; ++i)
            std::wcscpy(texts[i], words[i]);
        std::strcpy(names[0], "{6B29FC40-CA47-1067-B31D-00DD010662DA}");
        std::strcpy(names[1], "{00000000-0000-0000-0000-0000000000A1}");
        for (int i = 0; i < 2; ++i) {
            nodes[i].Length = sizeof(IP_ADAPTER_ADDRESSES);
            nodes[i].FriendlyName = texts[2 * i];
            nodes[i].Description = texts[2 * i + 1];
            nodes[i].AdapterName = names[i];
        }
        nodes[0].Next = &nodes[1];
        nodes[0].IfIndex = nodes[0].Ipv6IfIndex = 3;
        nodes[0].PhysicalAddressLength = 6;
        const BYTE mac[] = {0x02, 0x00, 0x0a, 0x09, 0x00, 0x01, 0xee, 0xee};  // the last two unused
        std::memcpy(nodes[0].PhysicalAddress, mac, sizeof(mac));
        nodes[0].Mtu = 1400;
        nodes[0].OperStatus = IfOperStatusUp;
        nodes[0].IfType = IF_TYPE_ETHERNET_CSMACD;
        nodes[0].FirstUnicastAddress = List(&unicast[0], {V4(1), V6(1)});
        unicast[0].PrefixOrigin = IpPrefixOriginDhcp;
        unicast[0].SuffixOrigin = IpSuffixOriginDhcp;
        unicast[0].ValidLifetime = 86400;
        unicast[1].PrefixOrigin = IpPrefixOriginRouterAdvertisement;
        unicast[1].SuffixOrigin = IpSuffixOriginRandom;
        unicast[1].ValidLifetime = 3600;
        nodes[0].FirstGatewayAddress = List(&gateways[0], {V4(254), V6(1, 3)});
        nodes[0].FirstDnsServerAddress = List(&dns[0], {V6(53), V4(53)});
        Put(nodes[0].Dhcpv4Server, V4(250));

        nodes[1].IfIndex = 1;
        nodes[1].Ipv6IfIndex = 9;
        nodes[1].Mtu = 65536;
        nodes[1].OperStatus = IfOperStatusDown;
        nodes[1].IfType = IF_TYPE_SOFTWARE_LOOPBACK;
        nodes[1].FirstUnicastAddress = List(&unicast[2], {V6(2), SocketAddress{0, {}, 0}, V4(2)});
        unicast[2].ValidLifetime = kInfiniteLifetime;
        nodes[1].FirstGatewayAddress = List(&gateways[2], {V6(0xfe, 9)});
        nodes[1].FirstDnsServerAddress = List(&dns[2], {V4(8), V6(8)});
        Put(nodes[1].Dhcpv6Server, V6(0x47, 9));
    }

    // The next socket holds `a` (family 0: one of another family), and `at` leads to it.
    void Put(SOCKET_ADDRESS& at, const SocketAddress& a) {
        sockaddr_in6& socket = sockets[used++];
        int size = sizeof(sockaddr);
        if (a.family == 4) {
            sockaddr_in in{};
            in.sin_family = AF_INET;
            std::memcpy(&in.sin_addr, a.bytes.data(), 4);
            std::memcpy(&socket, &in, sizeof(in));
            size = sizeof(in);
        } else if (a.family == 6) {
            socket.sin6_family = AF_INET6;
            std::memcpy(&socket.sin6_addr, a.bytes.data(), 16);
            socket.sin6_scope_id = a.scopeId;
            size = sizeof(socket);
        } else {
            socket.sin6_family = AF_APPLETALK;
        }
        at = {reinterpret_cast<LPSOCKADDR>(&socket), size};
    }

    // Nodes from `first` on, each as long as its structure, chained and leading to `addresses`.
    template <typename Node>
    Node* List(Node* first, std::initializer_list<SocketAddress> addresses) {
        Node* node = first;
        for (const SocketAddress& a : addresses) {
            node->Length = sizeof(Node);
            node->Next = node + 1;
            Put(node->Address, a);
            ++node;
        }
        node[-1].Next = nullptr;
        return first;
    }

    // Up to the end of the last text, without the padding after it.
    std::span<const std::uint8_t> Bytes() const {
        return {reinterpret_cast<const std::uint8_t*>(this), offsetof(TwoAdapters, texts) + sizeof(texts)};
    }
};

// A source that fills its buffer with `TwoAdapters`, changed by `adjust` for the family and
// flags asked for, once it is given the `room` it asks for as GetAdaptersAddresses does.
template <typename Adjust>
AdaptersSource Fake(Adjust adjust, ULONG room = sizeof(TwoAdapters)) {
    return [adjust, room](ULONG family, ULONG flags, void* buffer, ULONG* size) -> ULONG {
        if (*size < room) {
            *size = room;
            return ERROR_BUFFER_OVERFLOW;
        }
        return adjust(*::new (buffer) TwoAdapters, family, flags);
    };
}

}  // namespace

TEST(DecodeAdapters, ReadsEveryValueOfEveryAdapterInOrder) {
    const TwoAdapters buffer;
    const AdapterMap adapters = DecodeAdapters(buffer.Bytes());
    const AdapterInfo first{L"npA", L"veth", L"{6B29FC40-CA47-1067-B31D-00DD010662DA}",
                            {0x02, 0x00, 0x0a, 0x09, 0x00, 0x01}, IfOperStatusUp, 1400,
                            {{V4(1), kOriginDhcp, kOriginDhcp, 86400}, {V6(1), 4, 5, 3600}},
                            {V4(254), V6(1, 3)}, {V6(53), V4(53)}, V4(250), std::nullopt, IF_TYPE_ETHERNET_CSMACD, {}, {}, {}};
    const AdapterInfo second{L"lo", L"loop", L"{00000000-0000-0000-0000-0000000000A1}", {}, IfOperStatusDown, 65536,
                             {{V6(2), 0, 0, kInfiniteLifetime}, {V4(2), 0, 0, 0}}, {V6(0xfe, 9)}, {V4(8), V6(8)},
                             std::nullopt, V6(0x47, 9), IF_TYPE_SOFTWARE_LOOPBACK, {}, {}, {}};
    // The first under its one index of both families, the second under each of its two.
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_TRUE(adapters.at(3) == first);
    EXPECT_TRUE(adapters.at(1) == second);
    EXPECT_TRUE(adapters.at(9) == second);
    EXPECT_TRUE(DecodeAdapters({}).empty());
}

TEST(DecodeAdapters, RejectsPointersAndCountsThatLeaveTheBuffer) {
    // Each spoiled buffer is refused with an error that names the part that is wrong.
    const auto rejects = [](void (*spoil)(TwoAdapters&), const std::string& says) {
        const InLanguage english(L"en");
        TwoAdapters buffer;
        spoil(buffer);
        try {
            DecodeAdapters(buffer.Bytes());
            ADD_FAILURE() << "accepted, not: " << says;
        } catch (const CError& e) {
            EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
        }
    };
    rejects([](TwoAdapters& b) { b.nodes[1].Next = &b.nodes[0]; }, "chain of adapters goes round in a circle");
    rejects([](TwoAdapters& b) { b.nodes[0].Next = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(&b + 1); },
            "adapter 2 lies outside the buffer");
    rejects([](TwoAdapters& b) { b.nodes[0].Next = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(b.texts[3]); },
            "adapter 2 lies outside the buffer");
    rejects([](TwoAdapters& b) { b.nodes[1].FriendlyName = &b.texts[3][8]; }, "adapter 2's name runs outside");
    rejects([](TwoAdapters& b) { std::wmemset(b.texts[3], L'x', 8); }, "adapter 2's description runs outside");
    rejects([](TwoAdapters& b) { b.nodes[0].PhysicalAddressLength = MAX_ADAPTER_ADDRESS_LENGTH + 1; },
            "adapter 1 claims a physical address of 9 bytes");
    rejects([](TwoAdapters& b) { b.nodes[1].Length = 8; }, "adapter 2 is 8 bytes long, too short for its state");
    rejects([](TwoAdapters& b) { b.unicast[4].Next = &b.unicast[2]; }, "adapter 2's addresses go round in a circle");
    rejects([](TwoAdapters& b) { b.unicast[0].Length = 8; }, "adapter 1's address 1 is 8 bytes long");
    rejects([](TwoAdapters& b) { b.gateways[1].Next = reinterpret_cast<IP_ADAPTER_GATEWAY_ADDRESS*>(&b + 1); },
            "adapter 1's gateway 3 lies outside the buffer");
    rejects([](TwoAdapters& b) { b.dns[0].Address.iSockaddrLength = sizeof(sockaddr_in); },
            "adapter 1's DNS server 1 is 16 bytes long, too short for IPv6");
    rejects(
        [](TwoAdapters& b) {
            b.texts[3][0] = AF_INET6;
            b.gateways[2].Address.lpSockaddr = reinterpret_cast<LPSOCKADDR>(b.texts[3]);
        },
        "adapter 2's gateway 1 runs outside the buffer");
    rejects(
        [](TwoAdapters& b) {
            b.texts[3][7] = L'\x7878';
            b.nodes[1].AdapterName = reinterpret_cast<char*>(&b.texts[3][7]);
        },
        "adapter 2's GUID runs outside the buffer");
    rejects([](TwoAdapters& b) { b.names[0][1] = '\xC0'; }, "adapter 1's GUID is not ASCII");
    // A Russian reader gets the same fault in Russian, every part of it named in Russian.
    TwoAdapters buffer;
    buffer.dns[0].Address.iSockaddrLength = sizeof(sockaddr_in);
    try {
        DecodeAdapters(buffer.Bytes());
        ADD_FAILURE() << "accepted";
    } catch (const CError& e) {
        EXPECT_EQ(e.Description(),
                  L"Список сетевых адаптеров повреждён: адаптер 1, DNS-сервер 1: длина 16 байт, слишком мало для IPv6.");
    }
}

TEST(DecodeAdapters, ReadsANodeOnlyAsFarAsItsLengthSays) {
    TwoAdapters buffer;
    // An older structure ends before the gateways: what it lacks is none, not the bytes after it.
    buffer.nodes[0].Length = offsetof(IP_ADAPTER_ADDRESSES, FirstGatewayAddress);
    buffer.nodes[0].FirstGatewayAddress = reinterpret_cast<IP_ADAPTER_GATEWAY_ADDRESS*>(&buffer + 1);
    // The oldest ends at the state, before the IPv6 index.
    buffer.nodes[1].Length = offsetof(IP_ADAPTER_ADDRESSES, OperStatus) + sizeof(IF_OPER_STATUS);
    buffer.unicast[0].Length = offsetof(IP_ADAPTER_UNICAST_ADDRESS, SuffixOrigin);
    const AdapterMap adapters = DecodeAdapters(buffer.Bytes());
    const AdapterInfo& first = adapters.at(3);
    ASSERT_EQ(first.unicast.size(), 2u);
    EXPECT_TRUE(first.gateways.empty());
    EXPECT_FALSE(first.dhcpv4Server);
    EXPECT_EQ(first.dnsServers.size(), 2u);
    EXPECT_TRUE(first.unicast[0] == (AdapterUnicast{V4(1), kOriginDhcp, 0, 0}));
    EXPECT_EQ(adapters.count(9), 0u);
    EXPECT_TRUE(adapters.at(1).gateways.empty());
}

TEST(ReadAdapters, AsksForBothFamiliesWithTheirAddressesGatewaysAndDnsServers) {
    // As documented: asked for IPv4, an interface without it is left out; the lists come only
    // as the flags ask for them.
    const AdapterMap adapters = ReadAdapters(Fake([](TwoAdapters& two, ULONG family, ULONG flags) -> ULONG {
        two.nodes[1].IfIndex = 0;
        two.nodes[1].Ipv6IfIndex = 7;
        if (family == AF_INET)
            two.nodes[0].Next = nullptr;
        else if (family != AF_UNSPEC)
            return ERROR_INVALID_PARAMETER;
        for (IP_ADAPTER_ADDRESSES& node : two.nodes) {
            if (flags & GAA_FLAG_SKIP_UNICAST)
                node.FirstUnicastAddress = nullptr;
            if (!(flags & GAA_FLAG_INCLUDE_GATEWAYS))
                node.FirstGatewayAddress = nullptr;
            if (flags & GAA_FLAG_SKIP_DNS_SERVER)
                node.FirstDnsServerAddress = nullptr;
        }
        return NO_ERROR;
    }));
    RowKey ipv6Row;  // an IPv6 row on interface 7
    ipv6Row.family = AddressFamily::IPv6;
    ipv6Row.index = 7;
    EXPECT_EQ(InterfaceTipText(ipv6Row, adapters).rfind(L"Интерфейс: lo\r\n", 0), 0u)
        << InterfaceTipText(ipv6Row, adapters);
    ASSERT_EQ(adapters.count(7), 1u);
    EXPECT_EQ(adapters.count(0), 0u);
    EXPECT_EQ(adapters.at(7).unicast.size(), 2u);
    EXPECT_EQ(adapters.at(7).gateways.size(), 1u);
    EXPECT_EQ(adapters.at(7).dnsServers.size(), 2u);
}

TEST(ReadAdapters, GrowsTheBufferAndFailsWithTheSystemsCode) {
    int calls = 0;
    // Too small at first: the size asked for is given, and the second call fills it.
    const AdaptersSource fake = Fake([](TwoAdapters&, ULONG, ULONG) -> ULONG { return NO_ERROR; }, 20000);
    const AdapterMap adapters = ReadAdapters([&](ULONG family, ULONG flags, void* buffer, ULONG* size) {
        ++calls;
        return fake(family, flags, buffer, size);
    });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(adapters.at(3).friendlyName, L"npA");
    // A re-read into the buffer of the read before asks once, with the size that one needed.
    AdaptersBuffer kept;
    const auto counted = [&](ULONG family, ULONG flags, void* buffer, ULONG* size) {
        ++calls;
        return fake(family, flags, buffer, size);
    };
    ReadAdapters(counted, kept);
    calls = 0;
    EXPECT_EQ(ReadAdapters(counted, kept).at(3).friendlyName, L"npA");
    EXPECT_EQ(calls, 1);

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

// Every interface of both address tables is among the adapters, under the same index, and
// every adapter has its GUID.
TEST(ReadAdapters, KnowsEveryInterfaceOfTheAddressTable) {
    const AdapterMap adapters = ReadAdapters();
    const auto known = [&](std::uint32_t index) {
        const auto found = adapters.find(index);
        ASSERT_NE(found, adapters.end()) << "interface " << index;
        EXPECT_FALSE(found->second.friendlyName.empty()) << "interface " << index;
    };
    for (const CIPAddrRow& row : GetIPAddresses())
        known(static_cast<std::uint32_t>(row.dwIndex));
    for (const CIPv6AddrRow& row : GetIPv6Addresses())
        known(row.InterfaceIndex);
    for (const auto& [index, adapter] : adapters) {
        const std::wstring& guid = adapter.adapterName;
        const bool shaped = guid.size() == 38 && guid.front() == L'{' && guid.back() == L'}' && guid[9] == L'-' &&
                            guid[14] == L'-' && guid[19] == L'-' && guid[24] == L'-';
        EXPECT_TRUE(shaped) << "interface " << index << ": " << std::string(guid.begin(), guid.end());
    }
}
