#include "addrtable/GetIPv6Addresses.h"

#include <memory>

#include "support/MibTable.h"
#include "support/SystemDlls.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

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
    FreeMibTableFunction();
    MIB_UNICASTIPADDRESS_TABLE* raw = nullptr;
    const DWORD result = getUnicastIpAddressTable(AF_INET6, &raw);
    const UniqueMibTable<MIB_UNICASTIPADDRESS_TABLE> table(raw);
    if (result == ERROR_NOT_FOUND)
        return {};
    if (result != NO_ERROR)
        throw SystemError(result, TextWith(TextId::IPv6Unreadable));
    if (!table)
        return {};
    return IPv6Rows(*table);
}

namespace {

// Where a change is told: the system's thread may only post it on.
struct NoticeTarget {
    HWND window;
    UINT message;
};

void WINAPI PostIPv6Change(PVOID context, PMIB_UNICASTIPADDRESS_ROW, MIB_NOTIFICATION_TYPE) {
    const auto* target = static_cast<const NoticeTarget*>(context);
    PostMessageW(target->window, target->message, 0, 0);
}

}  // namespace

std::shared_ptr<void> ArmIPv6ChangeNotice(HWND window, UINT message) {
    static const auto notify =
        SystemFunction<decltype(&NotifyUnicastIpAddressChange)>(L"iphlpapi.dll", "NotifyUnicastIpAddressChange");
    static const auto cancel = SystemFunction<decltype(&CancelMibChangeNotify2)>(L"iphlpapi.dll", "CancelMibChangeNotify2");
    auto target = std::make_unique<NoticeTarget>(NoticeTarget{window, message});
    HANDLE handle = nullptr;
    const DWORD result = notify(AF_INET6, PostIPv6Change, target.get(), FALSE, &handle);
    if (result != NO_ERROR)
        throw SystemError(result, TextWith(TextId::IPv6Unfollowed));
    // No handle, no request that could call the target (Wine's answer): it goes now, rather than
    // one more staying for the process at each arm.
    if (!handle)
        return nullptr;
    // Withdrawn from the window's thread, never from the callback; once it returns, no call
    // of the callback is running or to come, and the target can go.
    return std::shared_ptr<void>(handle, [target = target.release()](HANDLE notice) {
        cancel(notice);
        delete target;
    });
}

}  // namespace netpeek
