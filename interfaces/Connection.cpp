#include "interfaces/Connection.h"

#include <algorithm>

#include "interfaces/AdapterInfo.h"
#include "support/LayoutText.h"

namespace netpeek {

namespace {

// IANA's ifType values and NDIS_PHYSICAL_MEDIUM's that the kind goes by.
constexpr std::uint32_t kTypePpp = 23;
constexpr std::uint32_t kTypePropVirtual = 53;
constexpr std::uint32_t kTypeIeee80211 = 71;
constexpr std::uint32_t kTypeTunnel = 131;
constexpr std::uint32_t kMediumWirelessLan = 1;
constexpr std::uint32_t kMediumNative80211 = 9;

// One speed in the unit given, with at most one decimal and none that is zero.
std::wstring InUnit(std::uint64_t bits, std::uint64_t unit) {
    // Tenths of the unit, rounded: 866,700,000 bit/s is 8667 tenths of a Mbit/s.
    const std::uint64_t tenths = bits / unit * 10 + (bits % unit * 10 + unit / 2) / unit;
    std::wstring text = std::to_wstring(tenths / 10);
    if (tenths % 10 != 0)
        text += L'.' + std::to_wstring(tenths % 10);
    return text;
}

struct Unit {
    std::uint64_t size;
    const wchar_t* name;
};
constexpr Unit kUnits[] = {{1000000000000, L" Tbit/s"}, {1000000000, L" Gbit/s"}, {1000000, L" Mbit/s"}, {1000, L" kbit/s"}};

const Unit& UnitOf(std::uint64_t bits) {
    for (const Unit& unit : kUnits)
        if (bits >= unit.size)
            return unit;
    static constexpr Unit kBits{1, L" bit/s"};
    return kBits;
}

}  // namespace

bool IsHardware(const LinkInfo& link) {
    return link.hardware && !link.filter && link.type != kIfTypeLoopback;
}

// A hardware adapter that is no filter is physical, or Wi-Fi by its type or medium; whatever else
// is virtual, unless its type or tunnel says it carries a VPN. A virtual switch is never hardware,
// so no name it takes makes it physical.
LinkKind KindOf(const LinkInfo& link) {
    if (link.type == kIfTypeLoopback)
        return LinkKind::Loopback;
    if (IsHardware(link))
        return link.type == kTypeIeee80211 || link.physicalMedium == kMediumNative80211 ||
                       link.physicalMedium == kMediumWirelessLan
                   ? LinkKind::WiFi
                   : LinkKind::Physical;
    if (link.tunnelType != 0 || link.type == kTypeTunnel || link.type == kTypePpp || link.type == kTypePropVirtual)
        return LinkKind::Vpn;
    return LinkKind::Virtual;
}

std::wstring_view KindText(LinkKind kind) {
    switch (kind) {
    case LinkKind::Physical:
        return L"Physical";
    case LinkKind::WiFi:
        return L"Wi-Fi";
    case LinkKind::Vpn:
        return L"VPN";
    case LinkKind::Loopback:
        return L"Loopback";
    case LinkKind::Virtual:
        break;
    }
    return L"Virtual";
}

std::wstring SpeedText(std::uint64_t receive, std::uint64_t transmit) {
    // No link (a cable out, Wine's every link) has a speed of 0, which the status shows as none.
    if (receive == 0)
        receive = kUnknownSpeed;
    if (transmit == 0)
        transmit = kUnknownSpeed;
    if (receive == kUnknownSpeed)
        receive = transmit;
    if (transmit == kUnknownSpeed)
        transmit = receive;
    if (receive == kUnknownSpeed)
        return {};
    if (receive == transmit)
        return InUnit(receive, UnitOf(receive).size) + UnitOf(receive).name;
    // Both in the smaller one's unit, so that the two numbers compare at a glance.
    const Unit& unit = UnitOf(receive < transmit ? receive : transmit);
    return InUnit(receive, unit.size) + L'/' + InUnit(transmit, unit.size) + unit.name;
}

std::wstring_view CategoryText(std::int32_t category) {
    switch (category) {
    case kCategoryPublic:
        return L"Public";
    case kCategoryPrivate:
        return L"Private";
    case kCategoryDomain:
        return L"Domain";
    default:
        return L"";
    }
}

Reach FamilyReach(std::uint32_t connectivity, std::uint8_t family) {
    const bool v6 = family == 6;
    if ((connectivity & (v6 ? kConnectivityIPv6Internet : kConnectivityIPv4Internet)) != 0)
        return Reach::Internet;
    if ((connectivity & (v6 ? kConnectivityIPv6Subnet | kConnectivityIPv6Local
                            : kConnectivityIPv4Subnet | kConnectivityIPv4Local)) != 0)
        return Reach::Local;
    return Reach::None;
}

std::wstring_view ReachText(std::uint32_t connectivity, std::uint8_t family) {
    switch (FamilyReach(connectivity, family)) {
    case Reach::Internet:
        return L"Internet";
    case Reach::Local:
        return L"Local";
    case Reach::None:
        break;
    }
    return L"None";
}

std::wstring_view SsidText(const WifiInfo& wifi) {
    switch (wifi.state) {
    case WifiState::Connected:
        return wifi.ssid;
    case WifiState::LocationRefused:
        return L"Location off";
    default:
        return L"";
    }
}

void JoinConnections(AdapterMap& adapters, const ConnectionReads& reads) {
    for (auto& [index, adapter] : adapters) {
        const std::wstring guid = UpperName(adapter.adapterName);
        if (reads.links) {
            if (const auto link = reads.links->find(guid); link != reads.links->end()) {
                adapter.link = link->second;
                if (!reads.speeds)
                    adapter.link->transmitSpeed = adapter.link->receiveSpeed = kUnknownSpeed;
            }
        }
        if (reads.networks) {
            const auto on = std::find_if(reads.networks->begin(), reads.networks->end(),
                                         [&](const NetworkConnection& c) { return c.adapter == guid; });
            if (on != reads.networks->end())
                adapter.network = *on;
        }
        if (reads.wifi && reads.wifi->service) {
            if (const auto wifi = reads.wifi->interfaces.find(guid); wifi != reads.wifi->interfaces.end())
                adapter.wifi = wifi->second;
        } else if (reads.wifi && adapter.ifType == kTypeIeee80211) {
            adapter.wifi.state = WifiState::NoService;
        }
    }
}

std::wstring GuidText(const std::uint8_t (&bytes)[16]) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    // Data1, Data2 and Data3 lie little-endian; Data4's eight bytes in order.
    static constexpr int kOrder[] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11, 12, 13, 14, 15};
    std::wstring text = L"{";
    for (const int at : kOrder) {
        if (at < 0) {
            text += L'-';
            continue;
        }
        text += kDigits[bytes[at] >> 4];
        text += kDigits[bytes[at] & 0xF];
    }
    return text + L'}';
}

}  // namespace netpeek
