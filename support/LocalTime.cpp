#include "support/LocalTime.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>

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

namespace {

FILETIME FileTimeOf(std::int64_t utcSeconds) {
    const auto steps = static_cast<std::uint64_t>((utcSeconds + kSecondsFrom1601To1970) * kStepsPerSecond);
    return {static_cast<DWORD>(steps), static_cast<DWORD>(steps >> 32)};
}

// The moment in local time, by the rule of the zone at that moment, not today's: a lease may end
// after a change of time. UTC itself where the system cannot tell.
SYSTEMTIME LocalOf(std::int64_t utcSeconds) {
    const FILETIME utc = FileTimeOf(utcSeconds);
    SYSTEMTIME universal{}, local{};
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        local = universal;
    return local;
}

}  // namespace

LocalMinute ToLocalMinute(std::int64_t utcSeconds) {
    const SYSTEMTIME local = LocalOf(utcSeconds);
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute};
}

std::wstring IsoLocalTime(std::int64_t utcSeconds) {
    const SYSTEMTIME local = LocalOf(utcSeconds);
    // The offset is how far the local clock is from UTC: the local time read as if it were UTC.
    FILETIME asIfUtc{};
    long offsetMinutes = 0;
    if (SystemTimeToFileTime(&local, &asIfUtc)) {
        const std::int64_t steps = (static_cast<std::int64_t>(asIfUtc.dwHighDateTime) << 32) | asIfUtc.dwLowDateTime;
        offsetMinutes = static_cast<long>((steps / kStepsPerSecond - kSecondsFrom1601To1970 - utcSeconds) / 60);
    }
    const long away = std::labs(offsetMinutes);
    wchar_t text[40] = {};
    std::swprintf(text, std::size(text), L"%04u-%02u-%02uT%02u:%02u:%02u%lc%02ld:%02ld", local.wYear, local.wMonth,
                  local.wDay, local.wHour, local.wMinute, local.wSecond, offsetMinutes < 0 ? L'-' : L'+', away / 60,
                  away % 60);
    return text;
}

}  // namespace netpeek
