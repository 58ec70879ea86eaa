// The connection behind an interface: which kind of adapter it is and its speed as the user reads it.
#include <gtest/gtest.h>

#include "interfaces/Connection.h"

using namespace netpeek;

namespace {

LinkInfo Link(std::uint32_t type, bool hardware, std::uint32_t medium = 0, std::uint32_t tunnel = 0, bool filter = false) {
    LinkInfo link;
    link.type = type;
    link.hardware = hardware;
    link.physicalMedium = medium;
    link.tunnelType = tunnel;
    link.filter = filter;
    return link;
}

}  // namespace

// A laptop with Hyper-V, WSL, Docker and two VPN clients: only its own adapters are physical, and
// no virtual switch is, whatever it is named; what each is, as GetIfTable2 describes it on Windows 11.
TEST(Kind, ALaptopsAdaptersByWhatWindowsSaysOfThem) {
    const struct {
        const char* adapter;
        LinkInfo link;
        std::wstring_view kind;
    } cases[] = {
        {"Intel Ethernet", Link(6, true, 14), L"Physical"},
        {"Intel Wi-Fi 6 AX201", Link(71, true, 9), L"Wi-Fi"},
        {"USB tethering over a phone", Link(6, true, 0), L"Physical"},
        {"vEthernet (Default Switch)", Link(6, false), L"Virtual"},
        {"vEthernet (WSL), a switch made again with a new name", Link(6, false, 14), L"Virtual"},
        {"Wi-Fi Direct virtual adapter", Link(71, false, 9), L"Virtual"},
        {"a filter driver's interface over the Ethernet", Link(6, true, 14, 0, true), L"Virtual"},
        {"WireGuard (Wintun)", Link(53, false), L"VPN"},
        {"Teredo", Link(131, false, 0, 14), L"VPN"},
        {"a PPTP dial-up", Link(23, false), L"VPN"},
        {"Loopback Pseudo-Interface 1", Link(24, false), L"Loopback"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.adapter);
        EXPECT_EQ(KindText(KindOf(c.link)), c.kind);
        EXPECT_EQ(IsHardware(c.link), c.kind == L"Physical" || c.kind == L"Wi-Fi");
    }
}

// As the adapter's status shows it: units of 1000, one decimal at most, both directions where a
// Wi-Fi link's differ, nothing where Windows knows none or there is no link.
TEST(Speed, AsTheAdaptersStatusShowsIt) {
    EXPECT_EQ(SpeedText(1000000000, 1000000000), L"1 Gbit/s");
    EXPECT_EQ(SpeedText(2500000000, 2500000000), L"2.5 Gbit/s");
    EXPECT_EQ(SpeedText(100000000, 100000000), L"100 Mbit/s");
    EXPECT_EQ(SpeedText(866700000, 866700000), L"866.7 Mbit/s");
    EXPECT_EQ(SpeedText(866666667, 433333333), L"866.7/433.3 Mbit/s");
    EXPECT_EQ(SpeedText(1200000000, 866700000), L"1200/866.7 Mbit/s");
    EXPECT_EQ(SpeedText(9600, 9600), L"9.6 kbit/s");
    EXPECT_EQ(SpeedText(kUnknownSpeed, 54000000), L"54 Mbit/s");
    EXPECT_EQ(SpeedText(kUnknownSpeed, kUnknownSpeed), L"");
    EXPECT_EQ(SpeedText(0, 0), L"") << "a cable that is out";
}

// The GUID that GetIfTable2, the Network List Manager and the WLAN API give joins the adapter's
// AdapterName, which Windows writes in capitals.
TEST(Guid, WrittenAsAdapterNameWritesIt) {
    const std::uint8_t bytes[16] = {0x72, 0xE9, 0x36, 0x4D, 0xC1, 0xE3, 0xCE, 0x11,
                                    0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};
    EXPECT_EQ(GuidText(bytes), L"{4D36E972-E3C1-11CE-BFC1-08002BE10318}");
}
