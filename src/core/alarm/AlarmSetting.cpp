// The alarm entry: the integer rule, the two entry forms, and the Timer command.
#include "alarm/AlarmSetting.h"

#include <algorithm>

#include "alarm/Countdown.h"
#include "alarm/LocalClock.h"
#include "app/App.h"
#include "app/Ids.h"
#include "app/Text.h"
#include "music/Music.h"
#include "settings/Settings.h"

namespace {

constexpr std::int32_t MaxMinutes = 1380;
constexpr std::int32_t MaxHours = 24;
constexpr std::int32_t MaxMinuteOfHour = 59;

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> ReadNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;  // empty, a lone sign, or a prefix without digits

  if (hex) {
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
      const int digit = HexDigitValue(text[i]);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<std::uint64_t>(digit);
      if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
  }

  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<AlarmEntry> ParseAlarmSetting(std::string_view text, bool isPm) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    const auto minutes = ReadNumber(text);
    // Negative counts would mean a time in the past: rejected like any bad entry.
    if (!minutes || *minutes < 0 || *minutes > MaxMinutes) return std::nullopt;
    return AlarmEntry{false, 60 * *minutes};
  }

  auto hours = ReadNumber(text.substr(0, colon));
  if (!hours || *hours < 0 || *hours > MaxHours) return std::nullopt;
  const std::string_view afterColon = text.substr(colon + 1);
  if (afterColon.find(':') != std::string_view::npos) return std::nullopt;

  std::string rest;
  for (const char c : afterColon) {
    if (c == ' ') continue;
    rest += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }

  std::int32_t h = *hours;
  if (h == 12) h = 0;
  if (h <= 12) {
    if (rest.find('P') != std::string::npos) {
      h += 12;
    } else if (rest.find('A') == std::string::npos && isPm) {
      h += 12;
    }
  }

  const std::size_t marker = rest.find_first_of("PA");
  const auto minutes = ReadNumber(std::string_view(rest).substr(0, marker));
  if (!minutes || *minutes < 0 || *minutes > MaxMinuteOfHour) return std::nullopt;
  // Hour 24 means the small hours of the next day.
  return AlarmEntry{true, (h * 60 + *minutes) * 60 % SecondsPerDay};
}

void StartTimer(App& app) {
  AppState& s = app.State;
  MainWindowView& window = app.Port.Window;
  std::string text = window.ItemText(IdTimeEdit);
  if (text.size() > static_cast<std::size_t>(TimeEditReadLimit)) text.resize(TimeEditReadLimit);

  if (text.empty()) {
    DropAlarmMusic(app);
    s.AlarmTime = -1;
    window.SetCaption(TimerCaption);
    s.CaptionText = TimerCaption;
    window.SetItemText(IdAlarmDisplay, "");
    return;
  }

  const std::string entry = TrimBlanks(text);
  // Saved before it is checked: a rejected entry is kept too, to be corrected.
  WriteSetting(app.Port.Store, SettingTime.Name, entry);

  const auto alarm = ParseAlarmSetting(entry, s.IsPm);
  if (!alarm) {
    window.Beep();
    return;
  }
  DropAlarmMusic(app);  // a restart may be far from its alarm
  if (alarm->ClockTime) {
    // Up to an hour past rings at once; from an hour on it is tomorrow's.
    s.AlarmTime = ClockTimeAlarm(app, alarm->Seconds);
    s.AlarmTimeOfDay = alarm->Seconds;
  } else {
    s.AlarmTime = s.NowBoot + alarm->Seconds;
    s.AlarmTimeOfDay = -1;
  }
  window.SetItemText(IdAlarmDisplay, entry);
  window.SetCaption(TimerStartedCaption);
  s.CaptionText.clear();  // the next tick always writes the remaining time
  // Due within the last seconds already ("0"): its music is made ready now.
  if (SecondsToAlarm(s) <= PrepareSeconds) PrepareAlarmMusic(app);
}
