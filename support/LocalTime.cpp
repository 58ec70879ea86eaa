#include "support/LocalTime.h"

#include <windows.h>

namespace netpeek {

namespace {

// FILETIME counts 100-nanosecond steps from 1601; there are this many seconds to 1970.
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::int64_t kStepsPerSecond = 10000000;

}  // namespace

std::int64_t UtcNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::int64_t steps = (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return steps / kStepsPerSecond - kSecondsFrom1601To1970;
}

LocalMinute ToLocalMinute(std::int64_t utcSeconds) {
    const auto steps = static_cast<std::uint64_t>((utcSeconds + kSecondsFrom1601To1970) * kStepsPerSecond);
    const FILETIME utc{static_cast<DWORD>(steps), static_cast<DWORD>(steps >> 32)};
    SYSTEMTIME universal{}, local{};
    // The rule of the zone at that moment, not today's: a lease may end after a change of time.
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        local = universal;
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute};
}

}  // namespace netpeek
