#pragma once
// Reading the machine's IPv6 unicast addresses from IP Helper.

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include <memory>

#include "addrtable/CIPv6AddrRow.h"

namespace netpeek {

// The IPv6 entries of a unicast address table, in the list's order (see SortIPv6Rows);
// entries of another family are skipped.
CIPv6AddrList IPv6Rows(const MIB_UNICASTIPADDRESS_TABLE& table);

// The machine's IPv6 unicast addresses, in the list's order. Throws CError with the system's
// code and message when the table cannot be read.
CIPv6AddrList GetIPv6Addresses();

// The IPv6 table's change notice: each change posts `message` to `window`, from a thread of the
// system's. Releasing the answer withdraws it. Null where the system gives no notice (Wine's
// gives no handle to withdraw); throws CError when it is refused.
std::shared_ptr<void> ArmIPv6ChangeNotice(HWND window, UINT message);

}  // namespace netpeek
