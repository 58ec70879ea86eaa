// The metrics save's baseline: a console program that reads what the metrics tell (the address
// table, the interfaces' names and addresses, the routes and the interfaces' metrics, each once)
// and writes the same bytes as /sprom into the file named by its argument, and nothing more. The
// primary address is the lowest-metric default route's, on its interface the address whose prefix
// holds the route's next hop, else the interface's first.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/MinimalText.h"

namespace {

using netpeek::bench::Dotted;
using netpeek::bench::TypeText;

int PrefixLength(DWORD mask) {
    const DWORD host = ntohl(mask);
    int bits = 0;
    while (bits < 32 && (host & (0x80000000u >> bits)) != 0)
        ++bits;
    return bits;
}

std::string Escaped(const std::string& value) {
    std::string text;
    for (const char c : value)
        text += c == '\\' ? "\\\\" : c == '"' ? "\\\"" : c == '\n' ? "\\n" : std::string(1, c);
    return text;
}

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

bool LinkLocal(const SOCKADDR* address) {
    if (address->sa_family == AF_INET6) {
        const auto* bytes = reinterpret_cast<const SOCKADDR_IN6*>(address)->sin6_addr.s6_addr;
        return bytes[0] == 0xFE && (bytes[1] & 0xC0) == 0x80;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(&reinterpret_cast<const SOCKADDR_IN*>(address)->sin_addr);
    return bytes[0] == 169 && bytes[1] == 254;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    std::vector<unsigned char> buffer;
    if (const DWORD status = netpeek::bench::ReadAddrTable(buffer); status != NO_ERROR)
        return static_cast<int>(status);
    const auto* table = reinterpret_cast<const MIB_IPADDRTABLE*>(buffer.data());

    // The interfaces' names, whether they are up, and the network's state by the icon's rule.
    std::vector<unsigned char> adapters(16384);
    ULONG size = static_cast<ULONG>(adapters.size());
    DWORD status;
    constexpr ULONG kFlags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST;
    while ((status = GetAdaptersAddresses(AF_UNSPEC, kFlags, nullptr,
                                          reinterpret_cast<PIP_ADAPTER_ADDRESSES>(adapters.data()), &size)) ==
           ERROR_BUFFER_OVERFLOW)
        adapters.resize(size);
    std::map<DWORD, std::string> names;
    std::map<DWORD, bool> up;
    bool linkLocal = false, connected = false;
    for (auto* a = status == NO_ERROR ? reinterpret_cast<PIP_ADAPTER_ADDRESSES>(adapters.data()) : nullptr; a;
         a = a->Next) {
        names[a->IfIndex] = Utf8(a->FriendlyName);
        up[a->IfIndex] = a->OperStatus == IfOperStatusUp;
        if (a->OperStatus != IfOperStatusUp || a->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        for (auto* u = a->FirstUnicastAddress; u; u = u->Next)
            (LinkLocal(u->Address.lpSockaddr) ? linkLocal : connected) = true;
    }
    connected = connected || names.empty();  // nothing known of the interfaces

    // The routes and the interfaces' metrics; the default route of the lowest metric on an
    // interface that is up.
    MIB_IPFORWARD_TABLE2* routes = nullptr;
    GetIpForwardTable2(AF_UNSPEC, &routes);
    MIB_IPINTERFACE_TABLE* interfaces = nullptr;
    std::map<DWORD, ULONG> interfaceMetric;
    if (GetIpInterfaceTable(AF_UNSPEC, &interfaces) == NO_ERROR)
        for (ULONG i = 0; i < interfaces->NumEntries; ++i)
            if (interfaces->Table[i].Family == AF_INET)
                interfaceMetric[interfaces->Table[i].InterfaceIndex] = interfaces->Table[i].Metric;
    const MIB_IPFORWARD_ROW2* route = nullptr;
    for (ULONG i = 0; routes && i < routes->NumEntries; ++i) {
        const MIB_IPFORWARD_ROW2& row = routes->Table[i];
        if (row.DestinationPrefix.PrefixLength != 0 || row.DestinationPrefix.Prefix.si_family != AF_INET ||
            row.DestinationPrefix.Prefix.Ipv4.sin_addr.s_addr != 0 ||
            (up.count(row.InterfaceIndex) != 0 && !up[row.InterfaceIndex]))
            continue;
        const auto metric = [&](const MIB_IPFORWARD_ROW2& r) { return r.Metric + interfaceMetric[r.InterfaceIndex]; };
        if (!route || metric(row) < metric(*route) || (metric(row) == metric(*route) && row.InterfaceIndex < route->InterfaceIndex))
            route = &row;
    }
    const MIB_IPADDRROW* source = nullptr;
    for (DWORD i = 0; route && i < table->dwNumEntries; ++i) {
        const MIB_IPADDRROW& row = table->table[i];
        if (row.dwIndex != route->InterfaceIndex)
            continue;
        source = source ? source : &row;
        const DWORD hop = route->NextHop.Ipv4.sin_addr.s_addr;
        if (hop != 0 && (hop & row.dwMask) == (row.dwAddr & row.dwMask)) {
            source = &row;
            break;
        }
    }
    FreeMibTable(interfaces);
    FreeMibTable(routes);

    std::string text =
        "# HELP netpeek_address_info An address of the machine, always 1: its family, its interface's index and "
        "name, the address, its prefix length, its type, and whether it is its family's primary address (the one "
        "the default route's traffic leaves by).\n# TYPE netpeek_address_info gauge\n";
    int primaries = 0;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IPADDRROW& row = table->table[i];
        const bool isPrimary = &row == source;
        primaries += isPrimary ? 1 : 0;
        text += "netpeek_address_info{family=\"ipv4\",interface_index=\"" + std::to_string(row.dwIndex) +
                "\",interface_name=\"" + Escaped(names[row.dwIndex]) + "\",address=\"" + Dotted(row.dwAddr) +
                "\",prefix_length=\"" + std::to_string(PrefixLength(row.dwMask)) + "\",type=\"" + TypeText(row.wType) +
                "\",primary=\"" + (isPrimary ? "1" : "0") + "\"} 1\n";
    }
    text += "# HELP netpeek_addresses The addresses of each family.\n# TYPE netpeek_addresses gauge\n"
            "netpeek_addresses{family=\"ipv4\"} " + std::to_string(table->dwNumEntries) + "\n";
    text += "# HELP netpeek_primary_addresses The primary addresses of each family: 1 where a default route leads "
            "out of the machine, 0 where none does.\n# TYPE netpeek_primary_addresses gauge\n"
            "netpeek_primary_addresses{family=\"ipv4\"} " + std::to_string(primaries) + "\n";
    const char* state = connected ? "connected" : linkLocal ? "limited" : "none";
    text += "# HELP netpeek_network_state The network as Netpeek's icon shows it, 1 for the state it is in: "
            "connected, limited (the interfaces that are up have link-local addresses alone) or none (they have no "
            "address).\n# TYPE netpeek_network_state gauge\n";
    for (const char* s : {"connected", "limited", "none"})
        text += std::string("netpeek_network_state{state=\"") + s + "\"} " + (s == state ? "1\n" : "0\n");

    return netpeek::bench::WriteWholeFile(argv[1], text);
}
