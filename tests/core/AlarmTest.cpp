// The typed alarm entry, the countdown and its firing (also when the wall
// clock jumps), the clock label and the wheel on the time box.
#include <gtest/gtest.h>

#include <algorithm>

#include "Fakes.h"
#include "alarm/AlarmSetting.h"
#include "alarm/Wheel.h"
#include "app/Ids.h"
#include "app/Platform.h"
#include "music/Music.h"

const auto no = std::nullopt;

TEST(ReadNumber, FollowsTheIntegerRule) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"   +20", 20},       {"-2147483648", INT32_MIN}, {"2147483648", no}, {"$14", 20}, {"X1f", 31},
      {"$FFFFFFFF", -1},    {"$100000000", no},         {"$", no},          {"", no},    {"20 ", no}, {"12.5", no},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadNumber(text), value) << "'" << text << "'";
}

// The alarm time (seconds after midnight) of an entry at 10 am and at 3 pm.
TEST(ParseAlarmSetting, WorkedResultsAtBothTimesOfDay) {
  const std::tuple<const char*, std::optional<std::int32_t>, std::optional<std::int32_t>> cases[] = {
      {"20", 37200, 55200},    {"1380", 32400, 50400}, {"1381", no, no},         {"-1", no, no},
      {"8:30 pm", 73800, 73800}, {"8:30", 30600, 73800}, {"12:15", 900, 44100}, {"12:15 am", 900, 900},
      {"22:34", 81240, 81240}, {"24:00", 0, 0},         {"8:60", no, no},         {"8:30 xm", no, no},
  };
  for (const auto& [text, at10am, at3pm] : cases) {
    EXPECT_EQ(ParseAlarmSetting(text, 36000, false), at10am) << text << " at 10 am";
    EXPECT_EQ(ParseAlarmSetting(text, 54000, true), at3pm) << text << " at 3 pm";
  }
  EXPECT_EQ(ParseAlarmSetting("20", 85200, true), 0);  // 23:40 + 20 minutes is midnight
}

TEST(StartTimer, AcceptedRejectedAndEmptyEntries) {
  TestApp t;
  t.clock.Set(10, 0, 0);
  t.Tick();
  t.clock.Advance(120);  // no tick since: StartTimer uses the last tick's time
  const auto enter = [&](const char* text) { t.window.items[IdTimeEdit] = text, StartTimer(t.app); };
  enter("  20 ");
  EXPECT_EQ(t.window.caption, "Timer started");
  EXPECT_EQ(t.window.items[IdAlarmDisplay], "20");
  t.Tick();
  enter("18");  // a restart writes the remaining time again at the next tick
  t.Tick();
  EXPECT_EQ(t.window.caption, "18 minutes left");
  enter(" 25:00 ");  // rejected: one beep, saved to be corrected, the alarm stays
  EXPECT_EQ(t.window.beeps, 1);
  EXPECT_EQ(t.store.Text("Software\\TimerZqv2010\\Time"), "25:00");
  EXPECT_EQ(t.state.AlarmTime, 37200);
  enter("");  // empty: cancels
  EXPECT_EQ(t.state.AlarmTime, -1);
  EXPECT_EQ(t.window.caption, "Timer");
}

TEST(Countdown, CountsDownAndFiresOnceWhateverTheClockDoes) {
  struct Tick {
    int seconds;  // ticks one second apart; or, with jump, one tick after the clock jumps
    bool jump;
    const char* caption;  // nullptr: not checked
    int fired;            // "Time is up!" so far
  };
  const bool run = false, jump = true;
  const struct {
    const char* what;
    int hour, minute;
    const char* entry;
    std::vector<Tick> ticks;
  } cases[] = {
      {"20 minutes", 10, 0, "20", {{1, run, "19 minutes left", 0}, {1138, run, "1 minute left", 0},
                                   {1, run, "60 seconds left", 0}, {58, run, "2 seconds left", 0},
                                   {1, run, "1 second left", 0}, {1, run, nullptr, 1}, {3600, run, nullptr, 1}}},
      {"0 fires at the next tick", 10, 0, "0", {{0, jump, nullptr, 1}}},
      {"a time within the last hour fires", 10, 0, "9:01", {{1, run, nullptr, 1}}},
      {"an hour back is tomorrow", 10, 0, "9:00", {{0, jump, "1380 minutes left", 0}}},
      {"across midnight", 23, 50, "12:15 am", {{1500, run, nullptr, 1}}},
      {"jump past by two hours: tomorrow", 10, 0, "20", {{1, run, nullptr, 0}, {7200, jump, "1339 minutes left", 0}}},
      {"back an hour delays the alarm", 10, 0, "30", {{61, run, nullptr, 0}, {-3601, jump, "89 minutes left", 0},
                                                      {5339, run, nullptr, 0}, {1, run, nullptr, 1}}},
      {"back an hour after firing", 10, 0, "1", {{60, run, nullptr, 1}, {-3600, jump, nullptr, 1}, {7200, run, nullptr, 1}}},
  };
  for (const auto& c : cases) {
    TestApp t;
    t.clock.Set(c.hour, c.minute, 0);
    t.Tick();
    t.window.items[IdTimeEdit] = c.entry;
    StartTimer(t.app);
    for (const Tick& tick : c.ticks) {
      if (tick.jump) t.clock.Advance(tick.seconds), t.Tick();
      else t.RunSeconds(tick.seconds);
      EXPECT_EQ(std::count(t.window.captions.begin(), t.window.captions.end(), "Time is up!"), tick.fired) << c.what;
      if (tick.caption) {
        EXPECT_EQ(t.window.caption, tick.caption) << c.what;
      }
    }
  }
}

TEST(Countdown, ClockLabelAndHalfOfDay) {
  const std::tuple<int, int, const char*, bool> cases[] = {
      {9, 5, " 9:05:07 am", false}, {0, 0, "12:00:07 am", false}, {12, 0, "12:00:07 pm", true},
      {23, 59, "11:59:07 pm", true},
  };
  for (const auto& [h, m, text, pm] : cases) {
    TestApp t;
    t.clock.Set(h, m, 7);
    t.Tick();
    EXPECT_EQ(t.window.items[IdClock], text);
    EXPECT_EQ(t.state.IsPm, pm) << text;
  }
}

// A song title shown meanwhile stays until the minute count changes; a
// minimised window freezes only the clock label.
TEST(Countdown, CaptionIsWrittenOnlyWhenItsTextChangesAndMinimisedFreezesTheClock) {
  TestApp t;
  t.clock.Set(10, 0, 0);
  t.Tick();
  t.window.items[IdTimeEdit] = "20";
  StartTimer(t.app);
  t.RunSeconds(1);
  t.window.SetCaption("Some song");
  t.window.minimized = true;
  t.RunSeconds(50);
  EXPECT_EQ(t.window.caption, "Some song");
  EXPECT_EQ(t.window.items[IdClock], "10:00:01 am");
  t.window.minimized = false;
  t.RunSeconds(10);
  EXPECT_EQ(t.window.caption, "18 minutes left");
  EXPECT_EQ(t.window.items[IdClock], "10:01:01 am");
}

// At the alarm message the alarm is over and the music plays; ticks inside
// the box cannot fire again; Stop then puts back "Timer". MP3 songs are
// shuffled before the first one starts.
TEST(Countdown, TheAlarmMessageComesWithTheMusicPlaying) {
  for (const bool midi : {true, false}) {
    TestApp t;
    t.state.AlarmMessage = "Wake up";
    t.state.UseMidi = midi;
    t.folders.tempFolder = "tmp";
    t.state.MP3Folder = std::string("m") + PathSeparator;
    t.listing.AddFile(t.state.MP3Folder, "Only song.mp3");
    t.window.items[IdTimeEdit] = "1";
    StartTimer(t.app);
    t.window.onNotice = [&] {
      EXPECT_EQ(t.state.AlarmTime, -1);
      EXPECT_TRUE(t.sound.isOpen);
      EXPECT_EQ(t.window.caption, midi ? t.window.caption : "Only song");
      if (t.window.notices.size() == 1) t.RunSeconds(3);
    };
    t.RunSeconds(60);
    EXPECT_EQ(t.window.notices, std::vector<std::string>{"Wake up"});
    StopMusic(t.app);
    EXPECT_EQ(t.window.caption, "Timer");
  }
}

// A week of ticks with a song ending every three minutes: every song start
// closes the last one and the state stays the same size (the sanitizer
// build runs this too).
TEST(LongRun, SevenDaysOfTicksWithSongsEndingEveryThreeMinutes) {
  TestApp t;
  t.folders.tempFolder = "tmp";
  t.state.MP3Folder = std::string("m") + PathSeparator;
  for (int i = 0; i < 30; ++i) t.listing.AddFile(t.state.MP3Folder, "song" + std::to_string(i) + ".mp3");
  StartMusic(t.app);
  for (int second = 1; second <= 7 * 86400; ++second) {
    if (second % 180 == 0) t.sound.FinishSong();
    if (second == 3 * 86400) t.state.UseMidi = false, StartMusic(t.app);  // the user switches to MP3 songs
    t.RunSeconds(1);
    ASSERT_EQ(t.sound.Mode(), "playing") << "second " << second;
    if (second % 3600 == 0) t.window.captions.clear(), t.sound.log.clear();
  }
  EXPECT_EQ(t.state.TuneHistory.size(), 10u);
  EXPECT_EQ(t.listing.openListings, 0);
  EXPECT_TRUE(t.store.openKeys.empty());
  EXPECT_EQ(t.state.SongOrder.size(), 31u);
}

TEST(WheelAdjustMinutes, EditsTheTimeBoxByOneMinuteAndNothingElse) {
  const std::tuple<const char*, bool, const char*> cases[] = {
      {"", true, "0"},   {"20", false, "19"}, {"1", false, "0"},   {"0", false, ""},
      {"-5", true, ""},  {" 7 ", true, "8"},  {"$14", true, "21"}, {"8:30 pm", true, "8:30 pm"},
  };
  for (const auto& [before, up, after] : cases) {
    TestApp t;
    t.state.AlarmTime = 1234;
    t.window.items[IdTimeEdit] = before;
    WheelAdjustMinutes(t.app, up);
    EXPECT_EQ(t.window.items[IdTimeEdit], after) << "'" << before << "' " << (up ? "up" : "down");
    EXPECT_EQ(t.state.AlarmTime + t.store.writes + t.window.beeps, 1234);
  }
}
