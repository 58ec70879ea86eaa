#include "addrtable/GetIPv6Addresses.h"

#include <memory>

#include "support/SystemDlls.h"
#include "support/SystemError.h"

namespace netpeek {

namespace {

decltype(&FreeMibTable) FreeMibTableFunction() {
    static const auto freeMibTable = SystemFunction<decltype(&FreeMibTable)>(L"iphlpapi.dll", "FreeMibTable");
    return freeMibTable;
}

// The table IP Helper allocated, handed back to it when the reading is done.
struct MibTableDeleter {
    void operator()(MIB_UNICASTIPADDRESS_TABLE* table) const { FreeMibTableFunction()(table); }
};
using UniqueUnicastTable = std::unique_ptr<MIB_UNICASTIPADDRESS_TABLE, MibTableDeleter>;

}  // namespace

CIPv6AddrList IPv6Rows(const MIB_UNICASTIPADDRESS_TABLE& table) {
    CIPv6AddrList rows;
    rows.reserve(table.NumEntries);
    for (ULONG i = 0; i < table.NumEntries; ++i) {
        const MIB_UNICASTIPADDRESS_ROW& entry = table.Table[i];
        if (entry.Address.si_family != AF_INET6)
            continue;
        CIPv6AddrRow row;
        row.InterfaceIndex = entry.InterfaceIndex;
        row.Address.Init(entry.Address.Ipv6.sin6_addr.s6_addr);
        row.ScopeId = entry.ScopeId.Value;
        row.OnLinkPrefixLength = entry.OnLinkPrefixLength;
        row.PrefixOrigin = entry.PrefixOrigin;
        row.SuffixOrigin = entry.SuffixOrigin;
        row.DadState = entry.DadState;
        rows.push_back(row);
    }
    SortIPv6Rows(rows);
    return rows;
}

CIPv6AddrList GetIPv6Addresses() {
    static const auto getUnicastIpAddressTable =
        SystemFunction<decltype(&GetUnicastIpAddressTable)>(L"iphlpapi.dll", "GetUnicastIpAddressTable");
    // Looked up before there is a table to free, so that the deleter never has to throw.
    FreeMibTableFunction();
    MIB_UNICASTIPADDRESS_TABLE* raw = nullptr;
    const DWORD result = getUnicastIpAddressTable(AF_INET6, &raw);
    const UniqueUnicastTable table(raw);
    if (result == ERROR_NOT_FOUND)
        return {};
    if (result != NO_ERROR)
        throw SystemError(result, L"The IPv6 address table could not be read.");
    if (!table)
        return {};
    return IPv6Rows(*table);
}

}  // namespace netpeek
