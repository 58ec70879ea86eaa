#pragma once
// An interface's values as Windows' own tools write them: its state, its addresses, its physical
// address, and when a lease ends; the list's extra cells and the row's tooltip both show them.

#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "interfaces/AdapterInfo.h"
#include "support/LocalTime.h"

namespace netpeek {

// When an address's lease ends.
struct LeaseEnd {
    bool never = false;           // its lifetime is infinite
    std::int64_t utcSeconds = 0;  // since 1970, UTC
    LocalMinute local;            // the same moment in local time
    friend bool operator==(const LeaseEnd&, const LeaseEnd&) = default;
};

// The bytes as Windows writes a physical address: upper-case hex pairs joined by hyphens.
std::wstring FormatPhysicalAddress(std::span<const std::uint8_t> bytes);

// The state as Windows' own tools name it: "Up", "Down", "Testing", "Unknown", "Dormant",
// "Not present", "Lower layer down"; the number for a state this program does not know.
std::wstring StatusText(std::uint32_t operStatus);
// An address as the row of its family writes it: dotted, or RFC 5952's form with "%" and the
// zone where it has one.
std::wstring AddressText(const SocketAddress& address);
// "2026-12-09 14:03", or "Never" for a lifetime that never ends.
std::wstring LeaseText(const LeaseEnd& lease);
// "2026-12-09 14:03".
std::wstring MinuteText(const LocalMinute& moment);

// The addresses of `family` (4 or 6; 0 for both) in their order, joined by ", ".
std::wstring AddressListText(std::span<const SocketAddress> addresses, std::uint8_t family);

// The interfaces' names by index, as the reads have found them: an interface that went keeps the
// name it had, for the notice that it went.
using InterfaceNames = std::map<std::uint32_t, std::wstring>;
void KnowNames(InterfaceNames& names, const AdapterMap& adapters);

}  // namespace netpeek
