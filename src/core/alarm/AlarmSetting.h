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

// The alarm time of day in seconds for a trimmed entry, or nothing when the
// entry is rejected.
std::optional<std::int32_t> ParseAlarmSetting(std::string_view text, std::int32_t nowSeconds, bool isPm);

// The Timer command: start, restart or cancel the alarm from the time box.
void StartTimer(App& app);
