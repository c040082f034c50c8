// The clock port on POSIX: local time of day and a monotonic seed counter.
#pragma once

#include "app/Ports.h"

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
