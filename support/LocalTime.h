#pragma once
// The wall clock: now, and a moment as local time shows it.

#include <cstdint>
#include <string>

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
// That moment in local time to the second, with the zone's offset from UTC then, as ISO 8601
// writes it: "2026-12-09T14:03:07+03:00".
std::wstring IsoLocalTime(std::int64_t utcSeconds);

}  // namespace netpeek
