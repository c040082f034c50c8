// The clock, the countdown caption and the firing of the alarm, also when
// the wall clock jumps (daylight saving, suspend, the user setting it).
#include <gtest/gtest.h>

#include "Fakes.h"
#include "alarm/AlarmSetting.h"
#include "alarm/Countdown.h"
#include "app/Ids.h"
#include "app/Platform.h"
#include "music/Music.h"

namespace {

TEST(CountdownText, CaptionsAroundTheMinuteBoundaries) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {1, "1 second left"},  {2, "2 seconds left"},   {60, "60 seconds left"},     {61, "1 minute left"},
      {119, "1 minute left"}, {120, "2 minutes left"}, {82800, "1380 minutes left"}, {86399, "1439 minutes left"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(CountdownText(seconds), text) << seconds;
}

struct Tick {
  int seconds;  // ticks one second apart; or, with jump, one tick after the clock jumps
  bool jump;
  const char* caption;  // nullptr: not checked
  int fired;            // "Time is up!" so far
};

struct Scenario {
  const char* what;
  int hour, minute;
  const char* entry;
  std::vector<Tick> ticks;
};

TEST(Countdown, CountsDownAndFiresOnceWhateverTheClockDoes) {
  const bool run = false, jump = true;
  const Scenario cases[] = {
      {"20 minutes", 10, 0, "20", {{1, run, "19 minutes left", 0}, {1138, run, "1 minute left", 0},
                                   {1, run, "60 seconds left", 0}, {59, run, "1 second left", 0},
                                   {1, run, nullptr, 1}, {3600, run, nullptr, 1}}},
      {"0 fires at the next tick", 10, 0, "0", {{0, run, "Timer started", 0}, {0, jump, nullptr, 1}}},
      {"a time within the last hour fires", 10, 0, "9:01", {{1, run, nullptr, 1}}},
      {"an hour back is tomorrow", 10, 0, "9:00", {{0, jump, "1380 minutes left", 0}}},
      {"across midnight", 23, 50, "12:15 am", {{0, jump, "25 minutes left", 0}, {1499, run, nullptr, 0},
                                               {1, run, nullptr, 1}}},
      {"jump past a minutes alarm by two hours: tomorrow", 10, 0, "20", {{1, run, nullptr, 0},
                                                                        {7200, jump, "1339 minutes left", 0}}},
      {"back an hour delays the alarm", 10, 0, "30", {{61, run, nullptr, 0}, {-3601, jump, "89 minutes left", 0},
                                                      {5339, run, nullptr, 0}, {1, run, nullptr, 1}}},
      {"back an hour after firing", 10, 0, "1", {{60, run, nullptr, 1}, {-3600, jump, nullptr, 1},
                                                 {7200, run, nullptr, 1}}},
      {"spring forward over the alarm", 1, 0, "2:30 am", {{1, run, nullptr, 0}, {3598, jump, nullptr, 0},
                                                          {3601, jump, nullptr, 1}}},
      {"fall back after firing", 1, 20, "1:40 am", {{1200, run, nullptr, 1}, {1199, jump, nullptr, 1},
                                                    {-3599, jump, nullptr, 1}, {3600, run, nullptr, 1}}},
      {"fall back before the alarm", 1, 50, "20", {{1, run, nullptr, 0}, {598, jump, nullptr, 0},
                                                   {-3599, jump, "70 minutes left", 0}, {4199, run, nullptr, 0},
                                                   {1, run, nullptr, 1}}},
      {"suspend over the alarm", 22, 0, "10", {{1, run, nullptr, 0}, {1800, jump, nullptr, 1}}},
      {"suspend across midnight", 23, 40, "12:30 am", {{1, run, nullptr, 0}, {1800, jump, "19 minutes left", 0},
                                                       {1200, run, nullptr, 1}}},
  };
  for (const Scenario& c : cases) {
    TestApp t;
    t.clock.Set(c.hour, c.minute, 0);
    t.Tick();
    t.window.items[IdTimeEdit] = c.entry;
    StartTimer(t.app);
    int step = 0;
    for (const Tick& tick : c.ticks) {
      if (tick.jump) {
        t.clock.Advance(tick.seconds);
        t.Tick();
      } else {
        t.RunSeconds(tick.seconds);
      }
      int fired = 0;
      for (const auto& caption : t.window.captions) fired += caption == "Time is up!";
      EXPECT_EQ(fired, tick.fired) << c.what << ", step " << step;
      if (tick.caption) {
        EXPECT_EQ(t.window.caption, tick.caption) << c.what << ", step " << step;
      }
      ++step;
    }
  }
}

TEST(Countdown, ClockLabelAndHalfOfDay) {
  const std::tuple<int, int, int, const char*, bool> cases[] = {
      {9, 5, 7, " 9:05:07 am", false},   {0, 0, 0, "12:00:00 am", false}, {12, 0, 0, "12:00:00 pm", true},
      {23, 59, 59, "11:59:59 pm", true}, {13, 1, 2, " 1:01:02 pm", true}, {11, 59, 59, "11:59:59 am", false},
  };
  for (const auto& [h, m, s, text, pm] : cases) {
    TestApp t;
    t.clock.Set(h, m, s);
    t.Tick();
    EXPECT_EQ(t.window.items[IdClock], text);
    EXPECT_EQ(t.state.IsPm, pm) << text;
  }
}

class FiringTest : public ::testing::Test {
 protected:
  void StartAt(int hour, int minute, const std::string& entry) {
    t.clock.Set(hour, minute, 0);
    t.Tick();
    t.window.items[IdTimeEdit] = entry;
    StartTimer(t.app);
  }
  TestApp t;
};

TEST_F(FiringTest, CaptionIsWrittenOnlyWhenItsTextChanges) {
  StartAt(10, 0, "20");
  t.RunSeconds(1);
  t.window.SetCaption("Some song");  // a title shown meanwhile stays until the minute count changes
  t.RunSeconds(50);
  EXPECT_EQ(t.window.caption, "Some song");
  t.RunSeconds(10);
  EXPECT_EQ(t.window.caption, "18 minutes left");
}

TEST_F(FiringTest, MinimisedWindowFreezesOnlyTheClockLabel) {
  StartAt(10, 0, "2");
  t.RunSeconds(1);
  t.window.minimized = true;
  t.RunSeconds(70);
  EXPECT_EQ(t.window.items[IdClock], "10:00:01 am");
  EXPECT_EQ(t.window.caption, "49 seconds left");
  t.window.minimized = false;
  t.RunSeconds(1);
  EXPECT_EQ(t.window.items[IdClock], "10:01:12 am");
}

// At the alarm message the alarm is over, the music plays and its title
// replaced "Time is up!"; ticks inside the box cannot fire again; Stop then
// puts back "Timer".
TEST_F(FiringTest, TheAlarmMessageComesWithTheMusicPlaying) {
  t.state.AlarmMessage = "Wake up";
  t.folders.tempFolder = "tmp";
  StartAt(10, 0, "1");
  t.window.onNotice = [&] {
    EXPECT_EQ(t.state.AlarmTime, -1);
    EXPECT_EQ(t.window.items[IdAlarmDisplay], "");
    EXPECT_TRUE(t.sound.isOpen);
    EXPECT_EQ(t.window.captions.end()[-2], "Time is up!");
    if (t.window.notices.size() == 1) t.RunSeconds(3);
  };
  t.RunSeconds(60);
  EXPECT_EQ(t.window.notices, std::vector<std::string>{"Wake up"});
  StopMusic(t.app);
  EXPECT_EQ(t.window.caption, "Timer");
}

TEST_F(FiringTest, Mp3SourceIsShuffledBeforeTheSongStarts) {
  t.state.UseMidi = false;
  t.state.MP3Folder = std::string("m") + PathSeparator;
  t.listing.AddFile(t.state.MP3Folder, "Only song.mp3");
  StartAt(10, 0, "0");
  t.Tick();
  EXPECT_EQ(t.window.caption, "Only song");
}

// A week of ticks with a song ending every three minutes: every song start
// closes the last one and the state stays the same size (the sanitizer
// build runs this too).
TEST(LongRun, SevenDaysOfTicksWithSongsEndingEveryThreeMinutes) {
  TestApp t;
  t.folders.tempFolder = "tmp";
  t.state.MP3Folder = std::string("m") + PathSeparator;
  for (int i = 0; i < 30; ++i) t.listing.AddFile(t.state.MP3Folder, "song" + std::to_string(i) + ".mp3");
  t.clock.Set(8, 0, 0);
  StartMusic(t.app);
  for (int second = 1; second <= 7 * 86400; ++second) {
    if (second % 180 == 0) t.sound.FinishSong();
    if (second == 3 * 86400) {  // the user switches to MP3 songs and presses Play
      t.state.UseMidi = false;
      StartMusic(t.app);
    }
    t.clock.Advance(1);
    t.Tick();
    ASSERT_EQ(t.sound.Mode(), "playing") << "second " << second;
    if (second % 3600 == 0) t.window.captions.clear();
  }
  EXPECT_EQ(t.state.TuneHistory.size(), 10u);
  EXPECT_EQ(t.listing.openListings, 0);
  EXPECT_TRUE(t.store.openKeys.empty());
  EXPECT_EQ(t.state.SongOrder.size(), 31u);
}

}  // namespace
