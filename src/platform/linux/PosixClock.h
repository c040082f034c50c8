// The clock port on POSIX: local time of day and a monotonic seed counter.
#pragma once

#include <time.h>

#include "app/Ports.h"

// The local time of day of a reading: a leap second reads as the last second
// of its minute, a reading localtime_r cannot convert as midnight.
LocalTime LocalTimeOf(time_t when);

class PosixClock : public Clock {
 public:
  PosixClock();
  LocalTime Now() override;
  // Nanoseconds of the monotonic clock.
  std::optional<std::uint64_t> PerformanceCounter() override;
  // Milliseconds since this clock was made.
  std::uint32_t MillisecondsSinceStart() override;

 private:
  std::uint64_t start_ = 0;
};
