#include "mainwindow/InterfaceCells.h"

#include <cstdio>
#include <iterator>

#include "addrtable/CIPAddr.h"
#include "addrtable/CIPv6Addr.h"
#include "mainwindow/InterfaceTip.h"

namespace netpeek {

namespace {

// IfOperStatusUp (1) to IfOperStatusLowerLayerDown (7), in that order, as Get-NetAdapter names them.
constexpr const wchar_t* kStatusTexts[] = {L"Up",      L"Down",        L"Testing",         L"Unknown",
                                           L"Dormant", L"Not present", L"Lower layer down"};

constexpr std::uint8_t kIPv4 = 4;
constexpr std::uint8_t kIPv6 = 6;

// An IPv4 address as its number, as the IP column sorts it; an IPv6 one after every IPv4 one.
SortValue AddressSort(const SocketAddress& address) {
    SortValue sort;
    if (address.family == kIPv6) {
        sort.rank = kRankIPv6Address;
        sort.value = address.bytes;
    } else {
        sort.rank = kRankValue;
        for (std::size_t i = 0; i < 4; ++i)
            sort.value[12 + i] = address.bytes[i];
    }
    return sort;
}

SortValue TextSort(const std::wstring& text) {
    SortValue sort;
    sort.rank = text.empty() ? kRankEmpty : kRankValue;
    return sort;
}

// By its bytes, a shorter address before a longer one that starts alike.
SortValue PhysicalSort(const std::vector<std::uint8_t>& bytes) {
    SortValue sort;
    if (bytes.empty())
        return sort;
    sort.rank = kRankValue;
    for (std::size_t i = 0; i < bytes.size() && i < 8; ++i)
        sort.value[i] = bytes[i];
    sort.value[8] = static_cast<std::uint8_t>(bytes.size());
    return sort;
}

// By the moment, as an unsigned number; a lease that never ends after every moment.
SortValue LeaseSort(const LeaseEnd& lease) {
    SortValue sort;
    if (lease.never) {
        sort.rank = kRankAfterValues;
        return sort;
    }
    sort.rank = kRankValue;
    const std::uint64_t biased = static_cast<std::uint64_t>(lease.utcSeconds) ^ (std::uint64_t{1} << 63);
    for (std::size_t i = 0; i < 8; ++i)
        sort.value[15 - i] = static_cast<std::uint8_t>(biased >> (8 * i));
    return sort;
}

const SocketAddress* FirstOf(const std::vector<SocketAddress>& addresses, std::uint8_t family) {
    for (const SocketAddress& address : addresses)
        if (family == 0 || address.family == family)
            return &address;
    return nullptr;
}

void Set(CRowCells& cells, SortValues& sortBy, int column, std::wstring text, const SortValue& sort) {
    cells[static_cast<std::size_t>(column)] = std::move(text);
    sortBy[static_cast<std::size_t>(column)] = sort;
}

}  // namespace

AdapterLookup::AdapterLookup(const AdapterMap& adapters, const LeaseEnds& leases)
    : m_adapters(adapters), m_leases(leases) {
    for (const auto& [index, adapter] : adapters)
        for (const AdapterUnicast& unicast : adapter.unicast)
            m_unicast.emplace(KeyOf(index, unicast.address), &unicast);
}

RowInterface AdapterLookup::Of(const RowKey& row) const {
    RowInterface on;
    const auto adapter = m_adapters.find(row.index);
    if (adapter == m_adapters.end())
        return on;
    on.adapter = &adapter->second;
    if (const auto unicast = m_unicast.find(row); unicast != m_unicast.end())
        on.unicast = unicast->second;
    if (const auto lease = m_leases.find(row); lease != m_leases.end())
        on.lease = &lease->second;
    return on;
}

RowKey KeyOf(std::uint32_t index, const SocketAddress& address) {
    RowKey key;
    key.family = address.family == kIPv6 ? AddressFamily::IPv6 : AddressFamily::IPv4;
    key.index = index;
    if (address.family == kIPv6)
        key.address = address.bytes;
    else
        std::copy(address.bytes.begin(), address.bytes.begin() + 4, key.address.begin());
    return key;
}

std::wstring StatusText(std::uint32_t operStatus) {
    if (operStatus >= 1 && operStatus <= std::size(kStatusTexts))
        return kStatusTexts[operStatus - 1];
    return std::to_wstring(operStatus);
}

std::wstring AddressText(const SocketAddress& address) {
    if (address.family == kIPv6) {
        CIPv6Addr v6;
        v6.Bytes = address.bytes;
        return v6.toString(address.scopeId);
    }
    CIPAddr v4;
    v4.Init(address.bytes.data());
    return v4.toString();
}

std::wstring AddressListText(std::span<const SocketAddress> addresses, std::uint8_t family) {
    std::wstring text;
    for (const SocketAddress& address : addresses) {
        if (family != 0 && address.family != family)
            continue;
        if (!text.empty())
            text += L", ";
        text += AddressText(address);
    }
    return text;
}

std::wstring MinuteText(const LocalMinute& m) {
    wchar_t text[32] = {};
    std::swprintf(text, std::size(text), L"%04d-%02d-%02d %02d:%02d", m.year, m.month, m.day, m.hour, m.minute);
    return text;
}

std::wstring LeaseText(const LeaseEnd& lease) {
    return lease.never ? std::wstring(L"Never") : MinuteText(lease.local);
}

void FillExtraCells(CRowCells& cells, SortValues& sortBy, std::uint8_t family, const RowInterface& on, CellSet shown) {
    const AdapterInfo* a = on.adapter;
    if (!a)
        return;
    const auto wanted = [&](int column) { return (shown & CellOf(column)) != 0; };
    if (wanted(kColName))
        Set(cells, sortBy, kColName, a->friendlyName, TextSort(a->friendlyName));
    if (wanted(kColAdapter))
        Set(cells, sortBy, kColAdapter, a->description, TextSort(a->description));
    if (wanted(kColMac))
        Set(cells, sortBy, kColMac, FormatPhysicalAddress(a->physicalAddress), PhysicalSort(a->physicalAddress));
    if (wanted(kColStatus)) {
        std::wstring status = StatusText(a->operStatus);
        const SortValue sort = TextSort(status);
        Set(cells, sortBy, kColStatus, std::move(status), sort);
    }
    if (wanted(kColGateway))
        if (const SocketAddress* first = FirstOf(a->gateways, family))
            Set(cells, sortBy, kColGateway, AddressListText(a->gateways, family), AddressSort(*first));
    if (wanted(kColDns))
        if (const SocketAddress* first = FirstOf(a->dnsServers, 0))
            Set(cells, sortBy, kColDns, AddressListText(a->dnsServers, 0), AddressSort(*first));
    // What DHCP gave: only for an address that came from it.
    if (!on.unicast || !on.unicast->FromDhcp())
        return;
    const std::optional<SocketAddress>& server = family == kIPv6 ? a->dhcpv6Server : a->dhcpv4Server;
    if (wanted(kColDhcpServer) && server)
        Set(cells, sortBy, kColDhcpServer, AddressText(*server), AddressSort(*server));
    if (wanted(kColLeaseExpires) && on.lease)
        Set(cells, sortBy, kColLeaseExpires, LeaseText(*on.lease), LeaseSort(*on.lease));
}

}  // namespace netpeek
