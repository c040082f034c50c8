// The typed alarm entry, the countdown and its firing, the clock label and
// the wheel on the time box.
#include <gtest/gtest.h>

#include <sstream>

#include "Fakes.h"
#include "alarm/Wheel.h"

// What an entry asks for, read in the morning and in the afternoon: a span
// of real time, or a local time of day.
TEST(ParseAlarmSetting, WorkedResultsInBothHalvesOfTheDay) {
  const auto span = [](std::int32_t seconds) { return AlarmEntry{false, seconds}; };
  const auto at = [](std::int32_t seconds) { return AlarmEntry{true, seconds}; };
  const std::tuple<const char*, std::optional<AlarmEntry>, std::optional<AlarmEntry>> cases[] = {
      {"20", span(1200), span(1200)},      {"1380", span(82800), span(82800)}, {"1381", std::nullopt, std::nullopt},
      {"8:30", at(30600), at(73800)},      {"12:15 am", at(900), at(900)},     {"24:00", at(0), at(0)},
      {"8:60", std::nullopt, std::nullopt}};
  for (const auto& [text, am, pm] : cases) {
    EXPECT_EQ(ParseAlarmSetting(text, false), am) << text << " in the morning";
    EXPECT_EQ(ParseAlarmSetting(text, true), pm) << text << " in the afternoon";
  }
}

TEST(StartTimer, AcceptedRejectedAndEmptyEntries) {
  TestApp t;
  t.clock.Set(10, 0, 0), t.Tick();
  t.Enter("  20 ");
  EXPECT_EQ(t.window.caption + ", " + t.window.items[IdAlarmDisplay], "Timer started, 20");
  t.Tick(), t.Enter("20"), t.Tick();  // a restart writes the remaining time again at the next tick
  EXPECT_EQ(t.window.caption, "20 minutes left");
  t.Enter(" 25:00 ");  // rejected: one beep, saved to be corrected, the alarm stays
  EXPECT_EQ(t.window.beeps, 1);
  EXPECT_EQ(t.store.Text("Software\\TimerZqv2010\\Time"), "25:00");
  EXPECT_EQ(t.state.AlarmTime, t.clock.boot + 1200);
  t.Enter("");  // empty: cancels
  EXPECT_EQ(t.window.caption + " " + std::to_string(t.state.AlarmTime), "Timer -1");
}

// An alarm is a point in real time. Each row enters its entry at a moment
// (UTC) in a zone, ticks once and checks the clock label. Each step then runs
// some seconds, one tick each, or jumps at once and ticks once: "@" time
// passed asleep, "set" the wall clock set (the boot clock stays). It checks
// the caption, with ", song ready" while the alarm's song is held open, or
// "rang": "Time is up!" shown once so far.
TEST(Countdown, RingsOnItsPointInRealTime) {
  const std::int64_t nine = FakeClock::Day + 9 * 3600, ten = nine + 3600;
  // Europe/Berlin in 2027: clocks go forward at 01:00 UTC on 28 March and
  // back at 01:00 UTC on 31 October.
  const std::int64_t spring = 1806195600, autumn = 1824944400;
  // New York, Lord Howe Island and Apia: under their real rules in the adapters' clock test.
  enum Zone { Utc, Berlin, FlightToUtcMinus5, UtcMinus10 };
  const std::pair<std::int32_t, std::map<std::int64_t, std::int32_t>> zones[] = {
      {0, {}}, {3600, {{spring, 7200}, {autumn, 3600}}}, {3600, {{nine + 300, -18000}}}, {-36000, {}}};
  // entered at (UTC), zone, clock label, entry, steps
  const std::tuple<std::int64_t, Zone, const char*, const char*, const char*> rows[] = {
      // 20 at 9:00.
      {nine, Utc, " 9:00:00 am", "20",
       "0 20 minutes left; 1139 1 minute left; 1 60 seconds left; 59 1 second left, song ready; 1 rang; 3600 rang"},
      // 8:01 at 9:00, missed by 59 minutes.
      {nine, Utc, " 9:00:00 am", "8:01", "0 rang"},
      // 2:30 at 04:10, after the jump past it that night: tomorrow's.
      {spring + 4200, Berlin, " 4:10:00 am", "2:30", "0 1340 minutes left"},
      // 20, then a flight from UTC+1 to UTC-5.
      {nine, FlightToUtcMinus5, "10:00:00 am", "20", "300 15 minutes left; 899 1 second left, song ready; 1 rang"},
      // 20, then two hours asleep.
      {nine, Utc, " 9:00:00 am", "20", "60 19 minutes left; @7200 rang"},
      // 9:10 at 9:00, then 70 minutes asleep: an hour late is tomorrow.
      {nine, Utc, " 9:00:00 am", "9:10", "@4200 1380 minutes left"},
      // 2:30 at 01:50 summer time on the autumn night: the first 2:30.
      {autumn - 4200, Berlin, " 1:50:00 am", "2:30", "0 40 minutes left"},
      // 21:00 at 20:00 in UTC-10, already the next day in UTC.
      {FakeClock::Day + 6 * 3600, UtcMinus10, " 8:00:00 pm", "21:00", "0 60 minutes left"},
      // In the repeated hour, a time later in it is still ahead: 2:50 at the
      // second 02:10; 1:30 then is 40 minutes late.
      {autumn + 600, Berlin, " 2:10:00 am", "2:50", "0 40 minutes left; 2399 1 second left, song ready; 1 rang"},
      {autumn + 600, Berlin, " 2:10:00 am", "1:30", "0 rang"},
      // 30, then the wall clock set two hours forward, then three hours back.
      {nine, Utc, " 9:00:00 am", "30",
       "0 30 minutes left; set+7200 30 minutes left; set-10800 30 minutes left; 1799 1 second left, song ready; 1 "
       "rang"},
      // 10:30 at 10:00, then the clock set back two days.
      {ten, Utc, "10:00:00 am", "10:30", "0 30 minutes left; set-172800 30 minutes left; 1800 rang"},
      // 9:30 at 9:00: the song made ready in its last seconds is let go when
      // the clock is set back ten minutes.
      {nine, Utc, " 9:00:00 am", "9:30", "1797 3 seconds left, song ready; set-600 10 minutes left"},
  };
  for (const auto& [enteredUtc, zone, clock, entry, steps] : rows) {
    TestApp t;
    t.clock.utc = enteredUtc, t.folders.tempFolder = "T";
    std::tie(t.clock.offset, t.clock.changes) = zones[zone];
    t.Tick();
    EXPECT_EQ(t.window.items[IdClock], clock) << steps;
    t.Enter(entry), t.Tick();
    std::istringstream in(steps);
    for (std::string seconds, expected; in >> seconds && std::getline(in >> std::ws, expected, ';');) {
      const int n = std::stoi(seconds.substr(seconds[0] == '@' ? 1 : seconds[0] == 's' ? 3 : 0));
      seconds[0] == '@'   ? (t.clock.Advance(n), t.Tick())
      : seconds[0] == 's' ? (t.clock.utc += n, t.Tick())
                          : t.RunSeconds(n);  // "set": the boot clock stays
      const auto rang = std::count(t.window.captions.begin(), t.window.captions.end(), "Time is up!");
      const std::string held = t.sound.isOpen ? ", song ready" : "";
      EXPECT_EQ(rang == 0 ? t.window.caption + held : rang == 1 ? "rang" : "rang again", expected) << steps;
    }
  }
}

// A song title shown meanwhile stays until the minute count changes; a
// minimised window freezes only the clock label; noon is pm.
TEST(Countdown, CaptionIsWrittenOnlyWhenItsTextChangesAndMinimisedFreezesTheClock) {
  TestApp t;
  t.clock.Set(11, 59, 10), t.Tick();
  t.Enter("20"), t.RunSeconds(1), t.window.SetCaption("Some song");
  t.window.minimized = true, t.RunSeconds(50);
  EXPECT_EQ(t.window.caption + ", " + t.window.items[IdClock], "Some song, 11:59:11 am");
  t.window.minimized = false, t.RunSeconds(10);
  EXPECT_EQ(t.window.caption + ", " + t.window.items[IdClock], "18 minutes left, 12:00:11 pm");
  EXPECT_TRUE(t.state.IsPm);
}

TEST(WheelAdjustMinutes, EditsTheTimeBoxByOneMinute) {
  const std::tuple<const char*, bool, const char*> cases[] = {{"", true, "0"},           {"1", false, "0"},
                                                              {"0", false, ""},          {"$14", true, "21"},
                                                              {"-2147483648", true, ""}, {"8:30 pm", true, "8:30 pm"}};
  for (const auto& [before, up, after] : cases) {
    TestApp t;
    t.window.items[IdTimeEdit] = before;
    WheelAdjustMinutes(t.app, up);
    EXPECT_EQ(t.window.items[IdTimeEdit], after) << "'" << before << "' " << (up ? "up" : "down");
  }
}
