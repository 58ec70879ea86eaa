#include "addrtable/GetIPAddresses.h"

#include <iphlpapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "support/SystemDlls.h"
#include "support/SystemError.h"
#include "texts/Texts.h"

namespace netpeek {

namespace {
// Enough for 42 rows; a bigger table tells us the size it needs.
constexpr ULONG kFirstBufferSize = 1024;
}  // namespace

CIPAddrList GetIPAddresses(const AddrTableSource& source) {
    AddrTableRead read;
    GetIPAddresses(source, read);
    return std::move(read.rows);
}

void GetIPAddresses(const AddrTableSource& source, AddrTableRead& read) {
    std::vector<std::uint8_t>& buffer = read.buffer;
    ULONG size = std::max(kFirstBufferSize, static_cast<ULONG>(buffer.size()));
    for (int attempt = 0; attempt < kAddrTableAttempts; ++attempt) {
        buffer.resize(size);
        const DWORD result = source(buffer.data(), &size, TRUE);
        if (result == NO_ERROR) {
            DecodeAddrTable(buffer, read.rows);
            return;
        }
        if (result == ERROR_NO_DATA) {
            read.rows.clear();
            return;
        }
        if (result != ERROR_INSUFFICIENT_BUFFER)
            throw SystemError(result, TextWith(TextId::IPv4Unreadable));
        // The source has put the size it needs into `size`; a source that asks for no
        // more than it already had would loop for ever, so treat that as a failure.
        if (size <= buffer.size())
            throw SystemError(result, TextWith(TextId::IPv4Unreadable));
    }
    throw SystemError(ERROR_INSUFFICIENT_BUFFER, TextWith(TextId::IPv4Growing));
}

namespace {
DWORD ReadSystemTable(void* buffer, ULONG* size, BOOL sort) {
    static const auto getIpAddrTable =
        SystemFunction<decltype(&GetIpAddrTable)>(L"iphlpapi.dll", "GetIpAddrTable");
    return getIpAddrTable(static_cast<PMIB_IPADDRTABLE>(buffer), size, sort);
}
}  // namespace

CIPAddrList GetIPAddresses() {
    return GetIPAddresses(ReadSystemTable);
}

void GetIPAddresses(AddrTableRead& read) {
    GetIPAddresses(ReadSystemTable, read);
}

HANDLE ArmAddrChangeNotice(OVERLAPPED& overlapped) {
    static const auto notifyAddrChange =
        SystemFunction<decltype(&NotifyAddrChange)>(L"iphlpapi.dll", "NotifyAddrChange");
    HANDLE device = nullptr;
    const DWORD result = notifyAddrChange(&device, &overlapped);
    if (result != ERROR_IO_PENDING && result != NO_ERROR)
        throw SystemError(result, TextWith(TextId::IPv4Unfollowed));
    return device;
}

bool CancelAddrChangeNotice(OVERLAPPED& overlapped) {
    static const auto cancelIPChangeNotify =
        SystemFunction<decltype(&CancelIPChangeNotify)>(L"iphlpapi.dll", "CancelIPChangeNotify");
    return cancelIPChangeNotify(&overlapped) != FALSE;
}

DWORD AddrChangeNoticeResult(HANDLE device, OVERLAPPED& overlapped, DWORD waitMilliseconds) {
    // The wait is bounded: a request that never ends must not hang the window.
    if (waitMilliseconds != 0 && overlapped.hEvent)
        WaitForSingleObject(overlapped.hEvent, waitMilliseconds);
    DWORD bytes = 0;
    if (GetOverlappedResult(device, &overlapped, &bytes, FALSE))
        return NO_ERROR;
    const DWORD error = GetLastError();
    return error != NO_ERROR ? error : ERROR_GEN_FAILURE;
}

}  // namespace netpeek
