#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "mainwindow/InterfaceTip.h"

using namespace netpeek;

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

TEST(InterfaceTipText, LabelledLinesForAKnownIndexAndOneLineOtherwise) {
    AdapterMap adapters;
    const auto adapter = [](const wchar_t* name, const wchar_t* description, std::vector<std::uint8_t> mac,
                            std::uint32_t status, std::uint32_t mtu) {
        AdapterInfo a;
        a.friendlyName = name;
        a.description = description;
        a.physicalAddress = std::move(mac);
        a.operStatus = status;
        a.mtu = mtu;
        return a;
    };
    adapters[3] = adapter(L"npA", L"veth pair", {0x02, 0x00, 0x0a, 0x09, 0x00, 0x01}, 1, 1400);
    adapters[1] = adapter(L"lo", L"", {}, 2, 65536);
    EXPECT_EQ(InterfaceTipText(3, adapters),
              L"Интерфейс: npA\r\nОписание: veth pair\r\nФизический адрес: 02-00-0A-09-00-01\r\n"
              L"Состояние: работает\r\nMTU: 1400");
    EXPECT_EQ(InterfaceTipText(1, adapters),
              L"Интерфейс: lo\r\nОписание: \r\nФизический адрес: нет\r\nСостояние: отключён\r\nMTU: 65536");
    EXPECT_EQ(InterfaceTipText(12, adapters), L"Нет сведений об интерфейсе 12.");
    EXPECT_EQ(InterfaceTipText(12, {}), L"Нет сведений об интерфейсе 12.");
    EXPECT_EQ(AdaptersUnavailableText(L"The call failed."), L"Сведения об интерфейсах недоступны: The call failed.");
}
