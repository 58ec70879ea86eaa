#pragma once
// Reading the machine's network interfaces (adapters) of both families from IP Helper.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "interfaces/AdapterInfo.h"

namespace netpeek {

// The shape of GetAdaptersAddresses without its reserved argument: family, flags, buffer,
// size in and out; returns a Windows error code.
using AdaptersSource = std::function<ULONG(ULONG family, ULONG flags, void* buffer, ULONG* size)>;

// How often the adapters are asked for again when their list grew between two calls.
inline constexpr int kAdaptersAttempts = 4;

// The adapters of a buffer that GetAdaptersAddresses filled, the first at its start, keyed as
// AdapterMap says: of each its name, description, GUID, physical address, state and MTU; its
// unicast addresses with their origins and valid lifetimes, its gateways and DNS servers (IPv4
// and IPv6 alike, entries of another family skipped, in Windows' order) and its DHCPv4 and
// DHCPv6 servers. A node is read only as far as its Length says, so what an older structure
// lacks is none. Every pointer (nodes, texts, socket addresses) must lie inside the buffer, a
// socket address must be as long as its family's structure and every list must end; a CError
// says which part does not, or which list goes round in a circle.
AdapterMap DecodeAdapters(std::span<const std::uint8_t> buffer);

// Where one read of the adapters leaves its buffer for the next: a re-read asks once, with the
// size the last one needed, into memory it already has.
struct AdaptersBuffer {
    std::vector<std::uint8_t> bytes;
    ULONG size = 0;  // what the last read needed; 0 for none yet
};

// Every adapter of either family, with its unicast addresses, gateways and DNS servers, by its
// IPv4 and its IPv6 interface index. Throws CError with the system's code and message when the
// call fails.
AdapterMap ReadAdapters();
AdapterMap ReadAdapters(AdaptersBuffer& kept);

// The same over any source with GetAdaptersAddresses' contract, so the retry logic can be tested.
AdapterMap ReadAdapters(const AdaptersSource& source);
AdapterMap ReadAdapters(const AdaptersSource& source, AdaptersBuffer& kept);

}  // namespace netpeek
