#include "mainwindow/LeaseClock.h"

#include <iterator>

namespace netpeek {

std::int64_t LeaseClock::End(const RowKey& row, std::uint32_t remaining, std::int64_t now) {
    const auto [found, fresh] = m_leases.try_emplace(row);
    Lease& lease = found->second;
    if (fresh || remaining > lease.remaining)
        lease.end = now + remaining;
    lease.remaining = remaining;
    lease.seen = true;
    return lease.end;
}

void LeaseClock::Sweep() {
    for (auto at = m_leases.begin(); at != m_leases.end();) {
        if (!at->second.seen) {
            at = m_leases.erase(at);
        } else {
            at->second.seen = false;
            ++at;
        }
    }
}

}  // namespace netpeek
