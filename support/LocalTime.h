#pragma once
// The wall clock: now, and a moment as local time shows it.

#include <cstdint>

namespace netpeek {

// A moment as the clock on the wall shows it, to the minute.
struct LocalMinute {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    friend bool operator==(const LocalMinute&, const LocalMinute&) = default;
};

// Seconds since 1970, UTC.
std::int64_t UtcNow();
// That moment in the time zone the system is set to, with its daylight saving time then.
LocalMinute ToLocalMinute(std::int64_t utcSeconds);

}  // namespace netpeek
