// Turning the typed alarm setting ("20", "8:30 pm", "22:34") into an alarm time.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

struct App;

// The one rule for reading a typed integer: optional leading blanks, an
// optional sign, then decimal digits or a hexadecimal form ("$", "x", "X",
// "0x", "0X" and hex digits). Nothing may follow.
std::optional<std::int32_t> ReadNumber(std::string_view text);

// What a trimmed entry asks for: a span of real time ("20": 1200 seconds)
// or a local time of day ("8:30 pm": 73800 seconds after midnight).
struct AlarmEntry {
  bool ClockTime = false;
  std::int32_t Seconds = 0;
  bool operator==(const AlarmEntry&) const = default;
};

// The entry read in the given half of the day (which settles a clock time
// without am or pm), or nothing when the entry is rejected.
std::optional<AlarmEntry> ParseAlarmSetting(std::string_view text, bool isPm);

// The Timer command: start, restart or cancel the alarm from the time box.
void StartTimer(App& app);
