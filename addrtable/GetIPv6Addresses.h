#pragma once
// Reading the machine's IPv6 unicast addresses from IP Helper.

#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include "addrtable/CIPv6AddrRow.h"

namespace netpeek {

// The IPv6 entries of a unicast address table, in the list's order (see SortIPv6Rows);
// entries of another family are skipped.
CIPv6AddrList IPv6Rows(const MIB_UNICASTIPADDRESS_TABLE& table);

// The machine's IPv6 unicast addresses, in the list's order. Throws CError with the system's
// code and message when the table cannot be read.
CIPv6AddrList GetIPv6Addresses();

}  // namespace netpeek
