// The clock port on POSIX: real time, the zone's offsets (TZ and the system's
// zone files), the boot clock that counts suspend, and a monotonic seed counter.
#pragma once

#include <time.h>

#include "app/Ports.h"

class PosixClock : public Clock {
 public:
  PosixClock();
  std::int64_t UtcSeconds() override;
  // CLOCK_BOOTTIME, which counts time suspended (CLOCK_MONOTONIC where the
  // system has no such clock).
  std::int64_t BootSeconds() override;
  // What localtime_r makes of the moment, less the moment; 0 for a moment
  // it cannot convert.
  std::int32_t UtcOffset(std::int64_t utcSeconds) override;
  // Nanoseconds of the monotonic clock.
  std::optional<std::uint64_t> PerformanceCounter() override;
  // Milliseconds since this clock was made.
  std::uint32_t MillisecondsSinceStart() override;

 private:
  std::uint64_t start_ = 0;
};
