#include "rows/InterfaceCells.h"

#include <algorithm>

namespace netpeek {

namespace {

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

// By the faster direction's bits per second, as far as forty bits (a terabit) tell them apart.
SortValue SpeedSort(const LinkInfo& link) {
    SortValue sort;
    std::uint64_t bits = 0;
    for (const std::uint64_t speed : {link.receiveSpeed, link.transmitSpeed})
        if (speed != kUnknownSpeed)
            bits = std::max(bits, speed);
    if (link.receiveSpeed == kUnknownSpeed && link.transmitSpeed == kUnknownSpeed)
        return sort;
    bits = std::min<std::uint64_t>(bits, (std::uint64_t{1} << 40) - 1);
    sort.rank = kRankValue;
    sort.value[0] = static_cast<std::uint8_t>(bits >> 32);
    for (std::size_t i = 0; i < 4; ++i)
        sort.value[15 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return sort;
}

const SocketAddress* FirstOf(const std::vector<SocketAddress>& addresses, std::uint8_t family) {
    for (const SocketAddress& address : addresses)
        if (family == 0 || address.family == family)
            return &address;
    return nullptr;
}

void Set(CRowCells& cells, SortValues& sortBy, int column, const std::wstring& text, const SortValue& sort) {
    cells[static_cast<std::size_t>(column)] = text;
    sortBy[static_cast<std::size_t>(column)] = sort;
}

InterfaceTexts TextsOf(const AdapterInfo& a) {
    InterfaceTexts t;
    t.name = a.friendlyName;
    t.nameSort = TextSort(t.name);
    t.adapter = a.description;
    t.adapterSort = TextSort(t.adapter);
    t.mac = FormatPhysicalAddress(a.physicalAddress);
    t.macSort = PhysicalSort(a.physicalAddress);
    t.status = StatusText(a.operStatus);
    t.statusSort = TextSort(t.status);
    if (const SocketAddress* first = FirstOf(a.dnsServers, 0)) {
        t.dns = AddressListText(a.dnsServers, 0);
        t.dnsSort = AddressSort(*first);
    }
    for (const std::uint8_t family : {kIPv4, kIPv6}) {
        const std::size_t at = family == kIPv6 ? 1 : 0;
        if (const SocketAddress* first = FirstOf(a.gateways, family)) {
            t.gateways[at] = AddressListText(a.gateways, family);
            t.gatewaySort[at] = AddressSort(*first);
        }
        if (const std::optional<SocketAddress>& server = family == kIPv6 ? a.dhcpv6Server : a.dhcpv4Server) {
            t.dhcpServer[at] = AddressText(*server);
            t.dhcpServerSort[at] = AddressSort(*server);
        }
    }
    if (a.link) {
        t.speed = SpeedText(a.link->receiveSpeed, a.link->transmitSpeed);
        t.speedSort = SpeedSort(*a.link);
        t.kind = KindText(KindOf(*a.link));
    }
    if (a.network) {
        t.network = a.network->name;
        t.category = CategoryText(a.network->category);
        t.reach[0] = ReachText(a.network->connectivity, kIPv4);
        t.reach[1] = ReachText(a.network->connectivity, kIPv6);
    }
    t.ssid = SsidText(a.wifi);
    return t;
}

}  // namespace

AdapterLookup::AdapterLookup(const AdapterMap& adapters, LocalMinuteFn localMinute)
    : m_adapters(adapters), m_localMinute(std::move(localMinute)) {
    for (const auto& [index, adapter] : adapters)
        for (const AdapterUnicast& unicast : adapter.unicast)
            m_unicast.emplace(KeyOf(index, unicast.address), &unicast);
}

RowInterface AdapterLookup::Of(const RowKey& row) const {
    RowInterface on;
    const auto adapter = m_adapters.find(row.index);
    if (adapter == m_adapters.end())
        return on;
    auto texts = m_texts.find(row.index);
    if (texts == m_texts.end())
        texts = m_texts.emplace(row.index, TextsOf(adapter->second)).first;
    on.texts = &texts->second;
    const auto unicast = m_unicast.find(row);
    if (unicast == m_unicast.end())
        return on;
    on.unicast = unicast->second;
    if (!on.unicast->FromDhcp())
        return on;
    LeaseEnd lease;
    lease.never = on.unicast->Infinite();
    lease.utcSeconds = on.unicast->leaseEnd;
    // Rows whose leases end alike (every address of one read of Wine's) share the text.
    if (!(m_lastLease && m_lastLease->never == lease.never && m_lastLease->utcSeconds == lease.utcSeconds)) {
        if (!lease.never)
            lease.local = m_localMinute ? m_localMinute(lease.utcSeconds) : LocalMinute{};
        m_lastLease = lease;
        m_lastLeaseText = LeaseText(lease);
    }
    on.lease = m_lastLease;
    on.leaseText = &m_lastLeaseText;
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

void FillExtraCells(CRowCells& cells, SortValues& sortBy, std::uint8_t family, const RowInterface& on, CellSet shown) {
    const InterfaceTexts* t = on.texts;
    if (!t)
        return;
    const auto wanted = [&](int column) { return (shown & CellOf(column)) != 0; };
    const std::size_t at = family == kIPv6 ? 1 : 0;
    if (wanted(kColName))
        Set(cells, sortBy, kColName, t->name, t->nameSort);
    if (wanted(kColAdapter))
        Set(cells, sortBy, kColAdapter, t->adapter, t->adapterSort);
    if (wanted(kColMac))
        Set(cells, sortBy, kColMac, t->mac, t->macSort);
    if (wanted(kColStatus))
        Set(cells, sortBy, kColStatus, t->status, t->statusSort);
    if (wanted(kColGateway))
        Set(cells, sortBy, kColGateway, t->gateways[at], t->gatewaySort[at]);
    if (wanted(kColDns))
        Set(cells, sortBy, kColDns, t->dns, t->dnsSort);
    const std::pair<int, const std::wstring*> byText[] = {
        {kColNetwork, &t->network}, {kColCategory, &t->category}, {kColInternet, &t->reach[at]},
        {kColSsid, &t->ssid},       {kColKind, &t->kind},
    };
    for (const auto& [column, text] : byText)
        if (wanted(column))
            Set(cells, sortBy, column, *text, TextSort(*text));
    if (wanted(kColSpeed))
        Set(cells, sortBy, kColSpeed, t->speed, t->speedSort);
    // What DHCP gave: only for an address that came from it.
    if (!on.unicast || !on.unicast->FromDhcp())
        return;
    if (wanted(kColDhcpServer))
        Set(cells, sortBy, kColDhcpServer, t->dhcpServer[at], t->dhcpServerSort[at]);
    if (wanted(kColLeaseExpires) && on.lease)
        Set(cells, sortBy, kColLeaseExpires, on.leaseText ? *on.leaseText : LeaseText(*on.lease), LeaseSort(*on.lease));
}

}  // namespace netpeek
