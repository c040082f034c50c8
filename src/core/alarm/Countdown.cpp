// Clock tick, countdown caption and alarm firing.
#include "alarm/Countdown.h"

#include <cstdio>

#include "app/App.h"
#include "app/Ids.h"
#include "music/Mp3Library.h"
#include "music/Music.h"

namespace {
constexpr std::int64_t SecondsPerDay = 86400;
// An alarm is still caught this long after its time (a sleeping computer).
constexpr std::int64_t LateFiringWindow = 3600;
}  // namespace

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
  const LocalTime now = app.Port.Time.Now();
  app.State.NowSeconds = (now.Hour * 60 + now.Minute) * 60 + now.Second;
  app.State.IsPm = now.Hour >= 12;
  // A minimised window keeps its old clock text; the countdown goes on.
  if (!app.Port.Window.IsMinimized()) {
    app.Port.Window.SetItemText(IdClock, FormatClock(now.Hour, now.Minute, now.Second));
  }
}

void CountdownTick(App& app) {
  AppState& s = app.State;
  if (s.AlarmTime == -1) return;
  const std::int64_t late = static_cast<std::int64_t>(s.NowSeconds) - s.AlarmTime;
  if (late >= 0 && late < LateFiringWindow) {
    FireAlarm(app);
    return;
  }
  std::int64_t remaining = -late;
  if (remaining < 0) remaining += SecondsPerDay;  // that time tomorrow
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
  BeginMusic(app);
  app.Port.Window.SetCaption(TimeIsUpCaption);
  s.CaptionText = "Timer";
  app.Port.Window.SetItemText(IdAlarmDisplay, "");
  PlayNextSong(app);
  // Before the message box, whose loop holds this step until it is closed.
  app.Port.Notifier.ShowAlarm(s.AlarmMessage);
  if (!s.AlarmMessage.empty()) app.Port.Window.Notice(s.AlarmMessage);
}
