#pragma once
// Reading the machine's IPv4 network interfaces (adapters) from IP Helper.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>

#include "support/AdapterInfo.h"

namespace netpeek {

// The shape of GetAdaptersAddresses without its reserved argument: family, flags, buffer,
// size in and out; returns a Windows error code.
using AdaptersSource = std::function<ULONG(ULONG family, ULONG flags, void* buffer, ULONG* size)>;

// How often the adapters are asked for again when their list grew between two calls.
inline constexpr int kAdaptersAttempts = 4;

// The adapters of a buffer that GetAdaptersAddresses filled, the first at its start. Every
// pointer of the chain, and every string it leads to, must lie inside the buffer; a CError
// says which does not, or that the chain goes round in a circle.
AdapterMap DecodeAdapters(std::span<const std::uint8_t> buffer);

// Every adapter with IPv4, by interface index. Throws CError with the system's code and
// message when the call fails.
AdapterMap ReadAdapters();

// The same over any source with GetAdaptersAddresses' contract, so the retry logic can be tested.
AdapterMap ReadAdapters(const AdaptersSource& source);

}  // namespace netpeek
