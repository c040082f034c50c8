// The typed alarm entry, the countdown and its firing, the clock label and
// the wheel on the time box.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "alarm/AlarmSetting.h"
#include "alarm/Wheel.h"
#include "app/Ids.h"
#include "music/Music.h"

const auto no = std::nullopt;

// The alarm time (seconds after midnight) of an entry at 10 am and at 3 pm.
TEST(ParseAlarmSetting, WorkedResultsAtBothTimesOfDay) {
  const std::tuple<const char*, std::optional<std::int32_t>, std::optional<std::int32_t>> cases[] = {
      {"20", 37200, 55200},
      {"1380", 32400, 50400},
      {"1381", no, no},
      {"8:30", 30600, 73800},
      {"12:15 am", 900, 900},
      {"24:00", 0, 0},
      {"8:60", no, no},
  };
  for (const auto& [text, at10am, at3pm] : cases) {
    EXPECT_EQ(ParseAlarmSetting(text, 36000, false), at10am) << text << " at 10 am";
    EXPECT_EQ(ParseAlarmSetting(text, 54000, true), at3pm) << text << " at 3 pm";
  }
}

TEST(StartTimer, AcceptedRejectedAndEmptyEntries) {
  TestApp t;
  t.clock.Set(10, 0, 0);
  t.Tick();
  const auto enter = [&](const char* text) { t.window.items[IdTimeEdit] = text, StartTimer(t.app); };
  enter("  20 ");
  EXPECT_EQ(t.window.caption, "Timer started");
  EXPECT_EQ(t.window.items[IdAlarmDisplay], "20");
  t.Tick();
  enter("20");  // a restart writes the remaining time again at the next tick
  t.Tick();
  EXPECT_EQ(t.window.caption, "20 minutes left");
  enter(" 25:00 ");  // rejected: one beep, saved to be corrected, the alarm stays
  EXPECT_EQ(t.window.beeps, 1);
  EXPECT_EQ(t.store.Text("Software\\TimerZqv2010\\Time"), "25:00");
  EXPECT_EQ(t.state.AlarmTime, 37200);
  enter("");  // empty: cancels
  EXPECT_EQ(t.state.AlarmTime, -1);
  EXPECT_EQ(t.window.caption, "Timer");
}

// Entered at 9:00:00 and ticked then; each step runs some seconds and checks
// the caption and how often "Time is up!" was shown so far.
TEST(Countdown, CountsDownAndFiresOnceWithinAnHourOfTheAlarm) {
  using Step = std::tuple<int, const char*, int>;  // seconds, caption (nullptr: not checked), fired
  const std::pair<const char*, std::vector<Step>> cases[] = {
      {"20", {{1139, "1 minute left", 0}, {1, "60 seconds left", 0}, {59, "1 second left", 0}, {1, nullptr, 1},
              {3600, nullptr, 1}}},
      {"8:01", {{0, nullptr, 1}}},              // missed by 59 minutes: fires
      {"8:00", {{0, "1380 minutes left", 0}}},  // an hour back is tomorrow
  };
  for (const auto& [entry, steps] : cases) {
    TestApp t;
    t.clock.Set(9, 0, 0);
    t.Tick();
    EXPECT_EQ(t.window.items[IdClock], " 9:00:00 am");
    t.window.items[IdTimeEdit] = entry;
    StartTimer(t.app);
    t.Tick();
    for (const auto& [seconds, caption, fired] : steps) {
      t.RunSeconds(seconds);
      EXPECT_EQ(std::count(t.window.captions.begin(), t.window.captions.end(), "Time is up!"), fired) << entry;
      if (caption) {
        EXPECT_EQ(t.window.caption, caption) << entry;
      }
    }
  }
}

// A song title shown meanwhile stays until the minute count changes; a
// minimised window freezes only the clock label; noon is pm.
TEST(Countdown, CaptionIsWrittenOnlyWhenItsTextChangesAndMinimisedFreezesTheClock) {
  TestApp t;
  t.clock.Set(11, 59, 10);
  t.Tick();
  t.window.items[IdTimeEdit] = "20";
  StartTimer(t.app);
  t.RunSeconds(1);
  t.window.SetCaption("Some song");
  t.window.minimized = true;
  t.RunSeconds(50);
  EXPECT_EQ(t.window.caption, "Some song");
  EXPECT_EQ(t.window.items[IdClock], "11:59:11 am");
  t.window.minimized = false;
  t.RunSeconds(10);
  EXPECT_EQ(t.window.caption, "18 minutes left");
  EXPECT_EQ(t.window.items[IdClock], "12:00:11 pm");
  EXPECT_TRUE(t.state.IsPm);
}

// A week of ticks with a song ending every three minutes: every song start
// closes the last one and the state stays the same size (the sanitizer
// build runs this too).
TEST(LongRun, SevenDaysOfTicksWithSongsEndingEveryThreeMinutes) {
  TestApp t;
  t.folders.tempFolder = "tmp";
  t.state.MP3Folder = P("m/");
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
  EXPECT_EQ(t.state.SongOrder.size(), 31u);
}

TEST(WheelAdjustMinutes, EditsTheTimeBoxByOneMinute) {
  const std::tuple<const char*, bool, const char*> cases[] = {
      {"", true, "0"},
      {"1", false, "0"},
      {"0", false, ""},
      {"$14", true, "21"},
      {"-2147483648", true, ""},
      {"8:30 pm", true, "8:30 pm"},
  };
  for (const auto& [before, up, after] : cases) {
    TestApp t;
    t.window.items[IdTimeEdit] = before;
    WheelAdjustMinutes(t.app, up);
    EXPECT_EQ(t.window.items[IdTimeEdit], after) << "'" << before << "' " << (up ? "up" : "down");
  }
}
