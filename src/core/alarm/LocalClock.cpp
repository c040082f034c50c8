// Local time from UTC and the zone's offsets (see LocalClock.h).
#include "alarm/LocalClock.h"

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The local clock's reading as seconds on a count of local days.
std::int64_t WallSeconds(Clock& clock, std::int64_t utc) { return utc + clock.UtcOffset(utc); }

// Zones change their offset at most twice a year, so half a day either side
// of a wall time holds every offset it can have.
constexpr std::int64_t HalfDay = SecondsPerDay / 2;

// The earliest moment at or after `from` whose wall time is `wall`; when the
// clock skips that wall time by less than a day, the moment it jumps past
// it. -1 if neither lies at or after `from`.
std::int64_t MomentOfWall(Clock& clock, std::int64_t wall, std::int64_t from) {
  const std::int32_t before = clock.UtcOffset(wall - HalfDay);
  const std::int32_t after = clock.UtcOffset(wall + HalfDay);
  std::int64_t best = -1;
  for (const std::int32_t offset : {before, after}) {
    const std::int64_t moment = wall - offset;
    if (moment >= from && clock.UtcOffset(moment) == offset && (best == -1 || moment < best)) best = moment;
  }
  if (best != -1 || before == after) return best;
  // A day or more skipped (a zone moved across the date line): that date
  // never shows this time, so it is the next day's.
  if (after - before >= SecondsPerDay) return -1;
  // Skipped: find the jump between the two readings that straddle it.
  std::int64_t low = wall - after, high = wall - before;  // low is still before the jump
  if (low > high) return -1;  // the clock went back here, and both moments lie before `from`
  while (high - low > 1) {
    const std::int64_t middle = low + (high - low) / 2;
    (WallSeconds(clock, middle) >= wall ? high : low) = middle;
  }
  return high >= from ? high : -1;
}

}  // namespace

LocalTime LocalTimeAt(Clock& clock, std::int64_t utcSeconds) {
  const std::int64_t wall = WallSeconds(clock, utcSeconds);
  const auto ofDay = static_cast<std::int32_t>(wall - FloorDiv(wall, SecondsPerDay) * SecondsPerDay);
  return {ofDay / 3600, ofDay / 60 % 60, ofDay % 60};
}

std::int64_t NextLocalTime(Clock& clock, std::int64_t from, std::int32_t timeOfDay) {
  const std::int64_t today = FloorDiv(WallSeconds(clock, from), SecondsPerDay) * SecondsPerDay;
  // Today's, tomorrow's or the day after's: a zone change may cost a day.
  for (int day = 0; day < 3; ++day) {
    const std::int64_t moment = MomentOfWall(clock, today + day * std::int64_t{SecondsPerDay} + timeOfDay, from);
    if (moment != -1) return moment;
  }
  return from + SecondsPerDay;  // no zone does this; still a point in the future
}
