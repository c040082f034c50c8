// Local time through localtime_r; seeds from CLOCK_MONOTONIC.
#include "PosixClock.h"

#include <time.h>

namespace {
std::optional<std::uint64_t> MonotonicNanoseconds() {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
}
}  // namespace

PosixClock::PosixClock() : start_(MonotonicNanoseconds().value_or(0)) {}

LocalTime LocalTimeOf(time_t when) {
  tm local{};
  if (localtime_r(&when, &local) == nullptr) return {};
  return {local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec};
}

LocalTime PosixClock::Now() { return LocalTimeOf(time(nullptr)); }

std::optional<std::uint64_t> PosixClock::PerformanceCounter() { return MonotonicNanoseconds(); }

std::uint32_t PosixClock::MillisecondsSinceStart() {
  return static_cast<std::uint32_t>((MonotonicNanoseconds().value_or(start_) - start_) / 1000000u);
}
