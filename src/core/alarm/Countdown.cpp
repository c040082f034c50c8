// Clock tick, countdown caption and alarm firing.
#include "alarm/Countdown.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "alarm/LocalClock.h"
#include "app/App.h"
#include "app/Ids.h"
#include "app/Text.h"
#include "music/Music.h"

std::string CountdownText(std::int32_t remainingSeconds) {
  if (remainingSeconds <= 60) {
    if (remainingSeconds == 1) return "1 second left";
    return std::to_string(remainingSeconds) + " seconds left";
  }
  const std::int32_t minutes = remainingSeconds / 60;
  if (minutes == 1) return "1 minute left";
  return std::to_string(minutes) + " minutes left";
}

std::string FormatClock(int hour, int minute, int second) {
  int h12 = hour >= 12 ? hour - 12 : hour;
  if (h12 == 0) h12 = 12;
  char text[64];
  std::snprintf(text, sizeof text, "%2d:%02d:%02d %cm", h12, minute, second, hour >= 12 ? 'p' : 'a');
  return text;
}

void ClockTick(App& app) {
  KeepPlaying(app);
  AppState& s = app.State;
  s.NowUtc = app.Port.Time.UtcSeconds();
  s.NowBoot = app.Port.Time.BootSeconds();
  const LocalTime local = LocalTimeAt(app.Port.Time, s.NowUtc);
  s.NowSeconds = (local.Hour * 60 + local.Minute) * 60 + local.Second;
  s.IsPm = local.Hour >= 12;
  // A minimised window keeps its old clock text; the countdown goes on.
  if (!app.Port.Window.IsMinimized()) {
    app.Port.Window.SetItemText(IdClock, FormatClock(local.Hour, local.Minute, local.Second));
  }
}

std::int64_t ClockTimeAlarm(App& app, std::int32_t timeOfDay) {
  const AppState& s = app.State;
  const std::int32_t behind = (s.NowSeconds - timeOfDay + SecondsPerDay) % SecondsPerDay;
  if (behind < LateFiringWindow) return s.NowUtc;
  return NextLocalTime(app.Port.Time, s.NowUtc, timeOfDay);
}

std::int64_t SecondsToAlarm(const AppState& s) { return s.AlarmTime - (s.AlarmTimeOfDay != -1 ? s.NowUtc : s.NowBoot); }

void CountdownTick(App& app) {
  AppState& s = app.State;
  if (s.AlarmTime == -1) return;
  // A clock time follows the wall clock, wherever it has been set since; a
  // span that ran out rings however late (the computer slept through it).
  if (s.AlarmTimeOfDay != -1) s.AlarmTime = ClockTimeAlarm(app, s.AlarmTimeOfDay);
  if (SecondsToAlarm(s) <= 0) {
    FireAlarm(app);
    return;
  }
  const std::int64_t remaining = std::min<std::int64_t>(SecondsToAlarm(s), std::numeric_limits<std::int32_t>::max());
  // What the last seconds prepared goes as soon as the alarm is farther off
  // (a clock set back, a clock time gone to tomorrow): nothing held for it.
  if (remaining <= PrepareSeconds) {
    PrepareAlarmMusic(app);
  } else {
    DropAlarmMusic(app);
  }
  const std::string text = CountdownText(static_cast<std::int32_t>(remaining));
  // Only a change is written, so a song title shown meanwhile stays a while.
  if (text != s.CaptionText) {
    s.CaptionText = text;
    app.Port.Window.SetCaption(text);
  }
}

void FireAlarm(App& app) {
  AppState& s = app.State;
  // Cleared first: the alarm message box below runs ticks of its own.
  s.AlarmTime = -1;
  app.Port.Window.SetCaption(TimeIsUpCaption);
  s.CaptionText = TimerCaption;
  app.Port.Window.SetItemText(IdAlarmDisplay, "");
  StartAlarmMusic(app);
  // A mute the mixer put on our stream (and the server kept) would make
  // this alarm silent; the system's master stays the user's.
  app.Port.Volume.UnmuteStream();
  // Before the message box, whose loop holds this step until it is closed.
  app.Port.Notifier.ShowAlarm(s.AlarmMessage);
  if (!s.AlarmMessage.empty()) app.Port.Window.Notice(s.AlarmMessage);
}
