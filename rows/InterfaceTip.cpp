#include "rows/InterfaceTip.h"

#include "rows/InterfaceCells.h"

namespace netpeek {

namespace {

constexpr wchar_t kLineBreak[] = L"\r\n";
constexpr wchar_t kNone[] = L"нет";

}  // namespace

const AdapterUnicast* UnicastOf(const RowKey& row, const AdapterInfo& adapter) {
    for (const AdapterUnicast& unicast : adapter.unicast)
        if (KeyOf(row.index, unicast.address) == row)
            return &unicast;
    return nullptr;
}

std::wstring InterfaceTipText(const RowKey& row, const AdapterMap& adapters, const TipLease* lease,
                              const PrimaryAddress* primary) {
    const auto found = adapters.find(row.index);
    if (found == adapters.end())
        return L"Нет сведений об интерфейсе " + std::to_wstring(row.index) + L".";
    const AdapterInfo& a = found->second;
    const auto orNone = [](std::wstring text) { return text.empty() ? std::wstring(kNone) : text; };
    // A loopback or tunnel interface has no physical address at all.
    std::wstring text = L"Интерфейс: " + a.friendlyName + kLineBreak + L"Описание: " + a.description + kLineBreak +
                        L"Физический адрес: " + orNone(FormatPhysicalAddress(a.physicalAddress)) + kLineBreak +
                        L"Состояние: " + OperStatusText(a.operStatus) + kLineBreak + L"MTU: " + std::to_wstring(a.mtu) +
                        kLineBreak + L"Основной шлюз: " +
                        orNone(AddressListText(a.gateways, static_cast<std::uint8_t>(row.family))) + kLineBreak +
                        L"DNS-серверы: " + orNone(AddressListText(a.dnsServers, 0));
    if (primary)
        text += kLineBreak + std::wstring(L"Основной адрес: ") +
                (primary->gateway ? L"шлюз " + AddressText(*primary->gateway) + L", " : std::wstring()) + L"метрика " +
                std::to_wstring(primary->metric);
    const AdapterUnicast* unicast = UnicastOf(row, a);
    if (!unicast || !unicast->FromDhcp())
        return text;
    const std::optional<SocketAddress>& server = row.family == AddressFamily::IPv6 ? a.dhcpv6Server : a.dhcpv4Server;
    text += kLineBreak + std::wstring(L"DHCP-сервер: ") + (server ? AddressText(*server) : std::wstring(kNone));
    if (!lease)
        return text;
    if (lease->obtained)
        text += kLineBreak + std::wstring(L"Аренда получена: ") + MinuteText(*lease->obtained);
    return text + kLineBreak + L"Срок аренды истекает: " +
           (lease->end.never ? std::wstring(L"никогда") : MinuteText(lease->end.local));
}

std::wstring AdaptersUnavailableText(std::wstring_view reason) {
    return L"Сведения об интерфейсах недоступны: " + std::wstring(reason);
}

}  // namespace netpeek
