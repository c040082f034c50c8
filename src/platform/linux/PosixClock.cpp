// Real time from CLOCK_REALTIME, the zone through localtime_r, spans on CLOCK_BOOTTIME;
// seeds from CLOCK_MONOTONIC.
#include "PosixClock.h"

#include <time.h>

namespace {
// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

std::optional<std::uint64_t> MonotonicNanoseconds() {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
}
}  // namespace

PosixClock::PosixClock() : start_(MonotonicNanoseconds().value_or(0)) {}

std::int64_t PosixClock::UtcSeconds() {
  // Not time(): it reads the kernel's coarse clock, some milliseconds behind
  // CLOCK_REALTIME, so a tick armed just past a second on CLOCK_REALTIME
  // could still read the second before and ring a tick late.
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return static_cast<std::int64_t>(time(nullptr));
  return static_cast<std::int64_t>(now.tv_sec);
}

std::int64_t PosixClock::BootSeconds() {
  // CLOCK_BOOTTIME goes on while the system is suspended, where
  // CLOCK_MONOTONIC stops; neither follows a setting of the wall clock.
  timespec now{};
  if (clock_gettime(CLOCK_BOOTTIME, &now) != 0 && clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
  return static_cast<std::int64_t>(now.tv_sec);
}

std::int32_t PosixClock::UtcOffset(std::int64_t utcSeconds) {
  const auto when = static_cast<time_t>(utcSeconds);
  tm local{};
  if (localtime_r(&when, &local) == nullptr) return 0;
  // The reading's own fields, not tm_gmtoff or timegm: in zones that count
  // leap seconds the clock shown differs from the count by them too. A leap
  // second reads as the last second of its minute.
  const std::int64_t days = DaysFromCivil(std::int64_t{local.tm_year} + 1900, static_cast<unsigned>(local.tm_mon) + 1,
                                          static_cast<unsigned>(local.tm_mday));
  const std::int64_t wall =
      days * 86400 + local.tm_hour * 3600 + local.tm_min * 60 + (local.tm_sec > 59 ? 59 : local.tm_sec);
  const std::int64_t offset = wall - utcSeconds;
  return offset > -86400 && offset < 86400 ? static_cast<std::int32_t>(offset) : 0;
}

std::optional<std::uint64_t> PosixClock::PerformanceCounter() { return MonotonicNanoseconds(); }

std::uint32_t PosixClock::MillisecondsSinceStart() {
  return static_cast<std::uint32_t>((MonotonicNanoseconds().value_or(start_) - start_) / 1000000u);
}
