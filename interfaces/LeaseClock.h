#pragma once
// When each DHCP lease ends. Windows reports the lifetime that remains of an address, which
// counts down from one read to the next: the moment it ends is worked out once for a lease and
// kept, so that an unchanged lease never changes its text or marks its cell.

#include <cstdint>

#include "interfaces/AdapterInfo.h"

namespace netpeek {

// When the lease of `address`, read at `now` (seconds since 1970 UTC), ends: the moment of the
// read before (`before`, the same address then, or null) while the lifetime reported is no
// longer than that read's; a new lease, or a renewal, which makes it longer, is worked out
// again. 0 for an address not from DHCP or whose lifetime never ends.
std::int64_t LeaseEndOf(const AdapterUnicast& address, std::int64_t now, const AdapterUnicast* before);

// Every address of `adapters` gets when its lease ends, each found among `before` (the read
// before) at the same place of the same interface first, as Windows lists them in the same
// order read after read, and by its address otherwise. True when the adapters then tell just
// what `before` did: the walk that finds the leases compares the reads too, since a re-read of
// an interface with thousands of addresses must cost little more than the read itself.
bool MarkLeaseEnds(AdapterMap& adapters, const AdapterMap& before, std::int64_t now);

}  // namespace netpeek
