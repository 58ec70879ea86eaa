#pragma once
// Reading the machine's IPv4 interface address table from IP Helper.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "addrtable/AddrTable.h"

namespace netpeek {

// The shape of GetIpAddrTable: buffer, size in and out, sort flag; returns a Windows error code.
using AddrTableSource = std::function<DWORD(void* buffer, ULONG* size, BOOL sort)>;

// How often the table is asked for again when it grew between two calls.
inline constexpr int kAddrTableAttempts = 4;

// A read of the table kept for the next one: its rows, and the buffer IP Helper filled. A re-read
// into it reuses both memories, and asks once with the size the last read needed: a table of
// thousands of rows is hundreds of KB, and fresh memory for it costs more than its decode.
struct AddrTableRead {
    CIPAddrList rows;
    std::vector<std::uint8_t> buffer;
};

// The table in ascending address order, every row of it. Throws CError with the
// system's code and message when the call fails.
CIPAddrList GetIPAddresses();
// The same into `read.rows`; on an error they are left as they were.
void GetIPAddresses(AddrTableRead& read);

// The same over any source with GetIpAddrTable's contract, so the retry logic can be tested.
CIPAddrList GetIPAddresses(const AddrTableSource& source);
void GetIPAddresses(const AddrTableSource& source, AddrTableRead& read);

// Asks IP Helper to signal `overlapped.hEvent` at the table's next change; the request stays
// pending until then. Returns IP Helper's handle for the request (its own, not to be closed), for
// AddrChangeNoticeResult. Throws CError when it cannot be made.
HANDLE ArmAddrChangeNotice(OVERLAPPED& overlapped);
// Withdraws a pending request; false when IP Helper refused, so that it may still be pending.
// A withdrawn request still ends, with ERROR_OPERATION_ABORTED, and until then owns `overlapped`.
bool CancelAddrChangeNotice(OVERLAPPED& overlapped);
// How a request ended: NO_ERROR for a change of the table, else the error it ended with; or
// ERROR_IO_INCOMPLETE while it is still pending after waiting up to `waitMilliseconds` for it.
DWORD AddrChangeNoticeResult(HANDLE device, OVERLAPPED& overlapped, DWORD waitMilliseconds);

}  // namespace netpeek
