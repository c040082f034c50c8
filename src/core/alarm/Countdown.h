// The once-a-second clock, the countdown in the caption, and the alarm itself.
#pragma once

#include <cstdint>
#include <string>

struct App;
struct AppState;

// A clock time up to this long behind the local clock's reading rings at
// once (just missed, or slept through); later it waits for tomorrow's.
inline constexpr std::int32_t LateFiringWindow = 3600;
// Seconds before the alarm at which its first song is made ready: loading
// the sound stack and opening the device take a good part of a second.
inline constexpr std::int64_t PrepareSeconds = 3;

// Caption text for the remaining seconds: "19 minutes left", "1 second left".
std::string CountdownText(std::int32_t remainingSeconds);
// The 11-character clock text, e.g. " 9:05:07 am".
std::string FormatClock(int hour, int minute, int second);

// Keeps the music going, then reads the clocks and refreshes the clock label.
void ClockTick(App& app);
// The moment a clock-time alarm for timeOfDay means at the last tick: that
// tick when the local clock read it up to an hour ago, else the next moment
// the clock shows it. Lateness is read off the local clock, as the user
// reads it, so the repeated hour of an autumn night is no hour late.
std::int64_t ClockTimeAlarm(App& app, std::int32_t timeOfDay);
// Seconds from the last tick to the alarm, on the alarm's own clock: the
// wall clock for a clock time, the boot clock for minutes.
std::int64_t SecondsToAlarm(const AppState& s);
// Writes the remaining time into the caption when it changes, or fires.
void CountdownTick(App& app);
void FireAlarm(App& app);
