#include "mainwindow/RowTipText.h"

#include <iterator>

#include "interfaces/InterfaceText.h"
#include "rows/InterfaceCells.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {

constexpr wchar_t kLineBreak[] = L"\r\n";

// IfOperStatusUp (1) to IfOperStatusLowerLayerDown (7), in that order.
constexpr TextId kOperStatusTexts[] = {TextId::StateUp,      TextId::StateDown,       TextId::StateTesting,
                                       TextId::StateUnknown, TextId::StateDormant,    TextId::StateNotPresent,
                                       TextId::StateLowerLayerDown};

// The network Windows recognised on the interface, its category and the Internet's reach for the
// row's family, and the Wi-Fi network it joined; empty where Windows knows none of them.
std::wstring NetworkLine(const AdapterInfo& adapter, AddressFamily family) {
    std::wstring text;
    if (const std::optional<NetworkConnection>& network = adapter.network) {
        static constexpr TextId kCategories[] = {TextId::TipCategoryPublic, TextId::TipCategoryPrivate,
                                                 TextId::TipCategoryDomain};
        static constexpr TextId kReaches[] = {TextId::TipReachInternet, TextId::TipReachLocal, TextId::TipReachNone};
        const bool known = network->category >= 0 && static_cast<std::size_t>(network->category) < std::size(kCategories);
        const std::wstring_view category = known ? Text(kCategories[network->category]) : std::wstring_view();
        // A network without a name (Wine's) is told by its category alone.
        std::wstring name = network->name.empty() || category.empty()
                                ? network->name + std::wstring(category)
                                : TextWith(TextId::TipNetworkCategory, network->name, category);
        const Reach reach = FamilyReach(network->connectivity, family == AddressFamily::IPv6 ? 6 : 4);
        name += (name.empty() ? L"" : L", ") + std::wstring(Text(kReaches[static_cast<std::size_t>(reach)]));
        text = TextWith(TextId::TipNetwork, name);
    }
    if (adapter.wifi.state == WifiState::Connected)
        text += (text.empty() ? L"" : L"; ") + TextWith(TextId::TipWifi, adapter.wifi.ssid);
    if (adapter.wifi.state == WifiState::LocationRefused)
        text += (text.empty() ? L"" : kLineBreak) + std::wstring(Text(TextId::TipLocationOff));
    return text;
}

}  // namespace

std::wstring OperStatusText(std::uint32_t status) {
    if (status >= 1 && status <= std::size(kOperStatusTexts))
        return std::wstring(Text(kOperStatusTexts[status - 1]));
    return TextWith(TextId::StateOther, std::to_wstring(status));
}

std::wstring InterfaceTipText(const RowKey& row, const AdapterMap& adapters, const TipLease* lease,
                              const PrimaryAddress* primary) {
    const auto found = adapters.find(row.index);
    if (found == adapters.end())
        return TextWith(TextId::TipNoInterface, std::to_wstring(row.index));
    const AdapterInfo& a = found->second;
    const auto orNone = [](std::wstring text) { return text.empty() ? std::wstring(Text(TextId::TipNone)) : text; };
    const auto line = [](TextId id, const std::wstring& value) { return kLineBreak + TextWith(id, value); };
    // A loopback or tunnel interface has no physical address at all.
    std::wstring text = TextWith(TextId::TipInterface, a.friendlyName) + line(TextId::TipDescription, a.description) +
                        line(TextId::TipPhysicalAddress, orNone(FormatPhysicalAddress(a.physicalAddress))) +
                        line(TextId::TipState, OperStatusText(a.operStatus)) +
                        line(TextId::TipMtu, std::to_wstring(a.mtu)) +
                        line(TextId::TipGateway, orNone(AddressListText(a.gateways, static_cast<std::uint8_t>(row.family)))) +
                        line(TextId::TipDnsServers, orNone(AddressListText(a.dnsServers, 0)));
    if (const std::wstring network = NetworkLine(a, row.family); !network.empty())
        text += kLineBreak + network;
    if (primary)
        text += kLineBreak + TextWith(TextId::TipPrimary,
                                      primary->gateway ? TextWith(TextId::TipPrimaryGateway, AddressText(*primary->gateway))
                                                       : std::wstring(),
                                      std::to_wstring(primary->metric));
    const AdapterUnicast* unicast = UnicastOf(row, a);
    if (!unicast || !unicast->FromDhcp())
        return text;
    const std::optional<SocketAddress>& server = row.family == AddressFamily::IPv6 ? a.dhcpv6Server : a.dhcpv4Server;
    text += line(TextId::TipDhcpServer, server ? AddressText(*server) : std::wstring(Text(TextId::TipNone)));
    if (!lease)
        return text;
    if (lease->obtained)
        text += line(TextId::TipLeaseObtained, MinuteText(*lease->obtained));
    return text + line(TextId::TipLeaseExpires,
                       lease->end.never ? std::wstring(Text(TextId::TipNever)) : MinuteText(lease->end.local));
}

std::wstring AdaptersUnavailableText(std::wstring_view reason) {
    return TextWith(TextId::TipUnavailable, reason);
}

}  // namespace netpeek
