#pragma once
// When each DHCP lease ends. Windows reports the lifetime that remains of an address, which
// counts down from one read to the next: the moment it ends is worked out once for a lease and
// kept, so that an unchanged lease never changes its text or marks its cell.

#include <cstdint>
#include <unordered_map>

#include "mainwindow/ListRow.h"

namespace netpeek {

class LeaseClock {
public:
    // When the lease of the row's address ends, in seconds since 1970 UTC, given the lifetime
    // that remains of it by a read made at `now`. The moment of an earlier read stays while the
    // lifetime reported is no longer than that read's; a renewal makes it longer, and the moment
    // is worked out again.
    std::int64_t End(const RowKey& row, std::uint32_t remaining, std::int64_t now);
    // Forgets the leases that End was not asked about since the last sweep: their addresses
    // have gone, and one that comes back is a new lease.
    void Sweep();

private:
    struct Lease {
        std::int64_t end = 0;
        std::uint32_t remaining = 0;  // as the last read reported it
        bool seen = false;            // asked about since the last sweep
    };
    std::unordered_map<RowKey, Lease, RowKeyHash> m_leases;
};

}  // namespace netpeek
