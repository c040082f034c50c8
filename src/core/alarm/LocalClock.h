// The local clock as the zone's rules show real time: the time of day at a
// moment, and the next moment the clock shows a given time of day.
#pragma once

#include <cstdint>

#include "app/Ports.h"

inline constexpr std::int32_t SecondsPerDay = 86400;

// The local time of day at a moment in UTC seconds.
LocalTime LocalTimeAt(Clock& clock, std::int64_t utcSeconds);

// The first moment at or after `from` at which the local clock shows
// timeOfDay (seconds after midnight). A time the clock skips that night
// (02:30 when it jumps from 02:00 to 03:00) comes when the clock passes it,
// unless a whole day is skipped: then it is the next day's; a time it shows
// twice (when it is set back) comes the first time at or after `from`.
std::int64_t NextLocalTime(Clock& clock, std::int64_t from, std::int32_t timeOfDay);
