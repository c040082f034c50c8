// The once-a-second clock, the countdown in the caption, and the alarm itself.
#pragma once

#include <cstdint>
#include <string>

struct App;

// A clock-time alarm is still caught this long after its time (a computer
// that slept); later it waits for that time tomorrow.
inline constexpr std::int64_t LateFiringWindow = 3600;
// Seconds before the alarm at which its first song is made ready: loading
// the sound stack and opening the device take a good part of a second.
inline constexpr std::int64_t PrepareSeconds = 3;
// The caption at the alarm, which a screen reader also announces.
inline constexpr char TimeIsUpCaption[] = "Time is up!";

// Caption text for the remaining seconds: "19 minutes left", "1 second left".
std::string CountdownText(std::int32_t remainingSeconds);
// The 11-character clock text, e.g. " 9:05:07 am".
std::string FormatClock(int hour, int minute, int second);

// Keeps the music going, then reads the local time and refreshes the clock.
void ClockTick(App& app);
// Writes the remaining time into the caption when it changes, or fires.
void CountdownTick(App& app);
void FireAlarm(App& app);
