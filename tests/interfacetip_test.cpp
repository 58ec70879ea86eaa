#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "interfaces/InterfaceText.h"
#include "rows/InterfaceCells.h"
#include "mainwindow/RowTipText.h"
#include "texts/Texts.h"
#include "tests/TableBuilder.h"

using namespace netpeek;
using namespace netpeek::test;

TEST(FormatPhysicalAddress, UpperCaseHexPairsJoinedByHyphens) {
    const std::vector<std::uint8_t> mac = {0x02, 0x00, 0x0a, 0x09, 0xfe, 0x01};
    EXPECT_EQ(FormatPhysicalAddress(mac), L"02-00-0A-09-FE-01");
    const std::vector<std::uint8_t> eight = {0xff, 0, 1, 2, 3, 4, 5, 0xab};
    EXPECT_EQ(FormatPhysicalAddress(eight), L"FF-00-01-02-03-04-05-AB");
    EXPECT_EQ(FormatPhysicalAddress({}), L"");
}

TEST(OperStatusText, EveryStateHasItsWordsAndOthersShowTheirNumber) {
    const wchar_t* expected[] = {L"работает", L"отключён", L"в режиме проверки", L"неизвестно",
                                 L"в режиме ожидания", L"отсутствует", L"отключён нижний уровень"};
    for (std::uint32_t status = 1; status <= 7; ++status)
        EXPECT_EQ(OperStatusText(status), expected[status - 1]) << status;
    EXPECT_EQ(OperStatusText(0), L"неизвестное значение 0");
    EXPECT_EQ(OperStatusText(8), L"неизвестное значение 8");
}

namespace {

RowKey Row(std::uint32_t index, const SocketAddress& address) {
    return KeyOf(index, address);
}

}  // namespace

TEST(InterfaceTipText, LabelledLinesForAKnownIndexAndOneLineOtherwise) {
    AdapterMap adapters;
    AdapterInfo& npA = adapters[3];
    npA.friendlyName = L"npA";
    npA.description = L"veth pair";
    npA.physicalAddress = {0x02, 0x00, 0x0a, 0x09, 0x00, 0x01};
    npA.operStatus = 1;
    npA.mtu = 1400;
    npA.unicast = {{V4(10, 9, 0, 1), kOriginDhcp, kOriginDhcp, 600}, {V4(10, 9, 0, 2), 1, 1, kInfiniteLifetime}};
    SocketAddress linkLocal;
    linkLocal.family = 6;
    linkLocal.bytes = {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    linkLocal.scopeId = 3;
    npA.gateways = {V4(10, 9, 0, 254), linkLocal};
    npA.dnsServers = {V4(10, 9, 0, 53), linkLocal};
    npA.dhcpv4Server = V4(10, 9, 0, 250);
    adapters[1].friendlyName = L"lo";
    adapters[1].operStatus = 2;
    adapters[1].mtu = 65536;
    const std::wstring interface3 =
        L"Интерфейс: npA\r\nОписание: veth pair\r\nФизический адрес: 02-00-0A-09-00-01\r\n"
        L"Состояние: работает\r\nMTU: 1400\r\nОсновной шлюз: 10.9.0.254\r\nDNS-серверы: 10.9.0.53, fe80::1%3";
    // An address from DHCP: its server, and the lease as far as it is known.
    const TipLease lease{{false, 0, {2026, 12, 9, 14, 3}}, LocalMinute{2026, 12, 8, 14, 3}};
    EXPECT_EQ(InterfaceTipText(Row(3, V4(10, 9, 0, 1)), adapters, &lease),
              interface3 + L"\r\nDHCP-сервер: 10.9.0.250\r\nАренда получена: 2026-12-08 14:03\r\n"
                           L"Срок аренды истекает: 2026-12-09 14:03");
    const TipLease forever{{true, 0, {}}, std::nullopt};
    EXPECT_EQ(InterfaceTipText(Row(3, V4(10, 9, 0, 1)), adapters, &forever),
              interface3 + L"\r\nDHCP-сервер: 10.9.0.250\r\nСрок аренды истекает: никогда");
    // A manual address, or one the interface does not list, has no DHCP lines.
    EXPECT_EQ(InterfaceTipText(Row(3, V4(10, 9, 0, 2)), adapters, &lease), interface3);
    EXPECT_EQ(InterfaceTipText(Row(3, V4(10, 9, 0, 7)), adapters), interface3);
    // The IPv6 row's gateway is the IPv6 one.
    EXPECT_NE(InterfaceTipText(KeyOf(3, linkLocal), adapters).find(L"Основной шлюз: fe80::1%3\r\n"), std::wstring::npos);
    EXPECT_EQ(InterfaceTipText(Row(1, V4(127, 0, 0, 1)), adapters),
              L"Интерфейс: lo\r\nОписание: \r\nФизический адрес: нет\r\nСостояние: отключён\r\nMTU: 65536\r\n"
              L"Основной шлюз: нет\r\nDNS-серверы: нет");
    EXPECT_EQ(InterfaceTipText(Row(12, V4(1, 2, 3, 4)), adapters), L"Нет сведений об интерфейсе 12.");
    EXPECT_EQ(InterfaceTipText(Row(12, V4(1, 2, 3, 4)), {}), L"Нет сведений об интерфейсе 12.");
    EXPECT_EQ(AdaptersUnavailableText(L"The call failed."), L"Сведения об интерфейсах недоступны: The call failed.");
    // The primary address tells the route its traffic takes, with its gateway where it has one.
    PrimaryAddress primary{4, 1, V4(127, 0, 0, 1), V4(127, 0, 0, 254), 25};
    EXPECT_TRUE(InterfaceTipText(Row(1, V4(127, 0, 0, 1)), adapters, nullptr, &primary)
                    .ends_with(L"DNS-серверы: нет\r\nОсновной адрес: шлюз 127.0.0.254, метрика 25"));
    primary.gateway.reset();
    EXPECT_TRUE(InterfaceTipText(Row(1, V4(127, 0, 0, 1)), adapters, nullptr, &primary).ends_with(L"нет\r\nОсновной адрес: метрика 25"));
}

// The network line: a laptop on its home Wi-Fi, a desk PC on the company's domain whose IPv6 reaches
// only the local network, a Wi-Fi whose name Windows refuses (location access off), and an adapter
// Windows knows no network on.
TEST(InterfaceTipText, TheNetworkLineForWifiDomainRefusedLocationAndNoNetwork) {
    AdapterMap adapters;
    AdapterInfo& wifi = adapters[7];
    wifi.friendlyName = L"Wi-Fi";
    wifi.network = NetworkConnection{L"{7}", L"Home", kCategoryPrivate, 0, kConnectivityIPv4Internet};
    wifi.wifi = {WifiState::Connected, L"Home"};
    AdapterInfo& desk = adapters[4];
    desk.friendlyName = L"Ethernet";
    desk.network = NetworkConnection{L"{4}", L"corp.example.com", kCategoryDomain, 1,
                                     kConnectivityIPv4Internet | kConnectivityIPv6Local};
    AdapterInfo& refused = adapters[9];
    refused.friendlyName = L"Wi-Fi 2";
    refused.network = NetworkConnection{L"{9}", L"Кафе", kCategoryPublic, 0, 0};
    refused.wifi = {WifiState::LocationRefused, L""};
    adapters[2].friendlyName = L"vEthernet (WSL)";
    // Wine names no network.
    AdapterInfo& wine = adapters[5];
    wine.friendlyName = L"npA";
    wine.network = NetworkConnection{L"{5}", L"", kCategoryPublic, 0, kConnectivityIPv4Local};
    const auto networkLine = [&](const RowKey& row) {
        const std::wstring tip = InterfaceTipText(row, adapters);
        const std::size_t dns = tip.find(L"\r\n", tip.find(L"DNS"));
        return dns == std::wstring::npos ? std::wstring() : tip.substr(dns + 2);
    };
    SocketAddress v6 = V4(0, 0, 0, 0);
    v6.family = 6;
    v6.bytes = {0xfd, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5};
    EXPECT_EQ(networkLine(Row(7, V4(192, 168, 1, 23))), L"Сеть: Home (частная), доступ в Интернет; Wi-Fi «Home»");
    EXPECT_EQ(networkLine(Row(4, V4(10, 1, 2, 3))), L"Сеть: corp.example.com (доменная), доступ в Интернет");
    EXPECT_EQ(networkLine(KeyOf(4, v6)), L"Сеть: corp.example.com (доменная), только локальная сеть");
    EXPECT_EQ(networkLine(Row(9, V4(172, 20, 0, 5))),
              L"Сеть: Кафе (общедоступная), без подключения\r\nWindows сообщает имя сети Wi-Fi только программам "
              L"с доступом к местоположению: Параметры → Конфиденциальность и защита → Расположение.");
    EXPECT_EQ(networkLine(Row(2, V4(172, 28, 0, 1))), L"");
    EXPECT_EQ(networkLine(Row(5, V4(10, 1, 2, 3))), L"Сеть: общедоступная, только локальная сеть");
    SetCurrentLanguage(LanguageOfCode(L"en"));
    EXPECT_EQ(networkLine(Row(7, V4(192, 168, 1, 23))), L"Network: Home (Private), Internet access; Wi-Fi “Home”");
    SetCurrentLanguage(LanguageOfCode(L"ru"));
}
