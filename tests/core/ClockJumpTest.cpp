// The wall clock does not always move one second per tick: jumps, daylight
// saving changes and suspends. Each alarm must fire once, when the rules say.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "alarm/AlarmSetting.h"
#include "alarm/Countdown.h"
#include "music/Music.h"
#include "app/Ids.h"
#include "app/Platform.h"

namespace {

class ClockJumpTest : public ::testing::Test {
 protected:
  void StartAt(int hour, int minute, const std::string& entry) {
    t.clock.Set(hour, minute, 0);
    t.Tick();
    t.window.items[IdTimeEdit] = entry;
    StartTimer(t.app);
    t.RunSeconds(1);
  }
  // The clock jumps by `seconds` between two ticks.
  void Jump(int seconds) {
    t.clock.Advance(seconds);
    t.Tick();
  }
  int Fired() const {
    int n = 0;
    for (const auto& c : t.window.captions) n += c == "Time is up!";
    return n;
  }
  TestApp t;
};

TEST_F(ClockJumpTest, ForwardTwoHoursPastAMinutesAlarmTakesItForTomorrow) {
  StartAt(10, 0, "20");
  Jump(2 * 3600);  // now 12:00:01, the alarm at 10:20 lies 100 minutes back
  EXPECT_EQ(Fired(), 0);
  EXPECT_EQ(t.window.caption, "1339 minutes left");
}

TEST_F(ClockJumpTest, ForwardJumpLandingWithinTheHourAfterTheAlarmFiresAtOnce) {
  StartAt(10, 0, "90");
  Jump(2 * 3600);  // alarm 11:30, now 12:00:01
  EXPECT_EQ(Fired(), 1);
  t.RunSeconds(7200);
  EXPECT_EQ(Fired(), 1);
}

TEST_F(ClockJumpTest, BackOneHourDelaysTheAlarmByThatHour) {
  StartAt(10, 0, "30");
  t.RunSeconds(60);
  Jump(-3600 - 1);  // 9:01:00, alarm 10:30
  EXPECT_EQ(t.window.caption, "89 minutes left");
  t.RunSeconds(89 * 60 - 1);
  EXPECT_EQ(Fired(), 0);
  t.RunSeconds(1);
  EXPECT_EQ(Fired(), 1);
  EXPECT_EQ(t.clock.Seconds(), 10 * 3600 + 30 * 60);
}

TEST_F(ClockJumpTest, BackOneHourAfterFiringDoesNotFireAgain) {
  StartAt(10, 0, "1");
  t.RunSeconds(59);
  EXPECT_EQ(Fired(), 1);
  Jump(-3600);
  t.RunSeconds(2 * 3600);
  EXPECT_EQ(Fired(), 1);
}

TEST_F(ClockJumpTest, SpringForwardSkipsAnHourOfLocalTime) {
  // 1:59:59 is followed by 3:00:00; an alarm at 2:30 lies in the skipped hour.
  StartAt(1, 0, "2:30 am");
  t.clock.Set(1, 59, 59);
  t.Tick();
  Jump(1 + 3600);  // 3:00:00
  EXPECT_EQ(Fired(), 1) << "30 minutes late, within the hour";
}

TEST_F(ClockJumpTest, SpringForwardKeepsAMinutesAlarmAtItsLocalTime) {
  StartAt(1, 50, "20");  // alarm 2:10
  t.clock.Set(1, 59, 59);
  t.Tick();
  Jump(1 + 3600);  // 3:00:00, 50 minutes after 2:10
  EXPECT_EQ(Fired(), 1);
}

TEST_F(ClockJumpTest, FallBackRepeatsAnHourButTheAlarmFiresOnce) {
  StartAt(1, 20, "1:40 am");
  t.RunSeconds(20 * 60 - 1);
  EXPECT_EQ(Fired(), 1);
  t.clock.Set(1, 59, 59);
  t.Tick();
  Jump(1 - 3600);  // 1:00:00 again
  t.RunSeconds(3600);
  EXPECT_EQ(Fired(), 1);
}

TEST_F(ClockJumpTest, FallBackBeforeTheAlarmFiresOnTheFirstPassage) {
  StartAt(1, 50, "20");  // alarm 2:10 local
  t.clock.Set(1, 59, 59);
  t.Tick();
  Jump(1 - 3600);  // 1:00:00: the alarm is 70 minutes away again
  EXPECT_EQ(t.window.caption, "70 minutes left");
  t.RunSeconds(70 * 60 - 1);
  EXPECT_EQ(Fired(), 0);
  t.RunSeconds(1);
  EXPECT_EQ(Fired(), 1);
}

TEST_F(ClockJumpTest, ThirtyMinuteSuspendFiresLateOnWaking) {
  StartAt(22, 0, "10");
  Jump(30 * 60);  // asleep from 22:00:01 to 22:30:01
  EXPECT_EQ(Fired(), 1);
  EXPECT_EQ(t.window.items[IdClock], "10:30:01 pm");
}

TEST_F(ClockJumpTest, SuspendAcrossMidnightKeepsTheCountdownRight) {
  StartAt(23, 40, "12:30 am");
  Jump(30 * 60);  // 0:10:01, alarm 0:30
  EXPECT_EQ(Fired(), 0);
  EXPECT_EQ(t.window.caption, "19 minutes left");
  t.RunSeconds(20 * 60);
  EXPECT_EQ(Fired(), 1);
}

// A week of ticks with a song ending every three minutes: the state stays
// the same size, every song start closes the last one, and nothing leaks
// (the sanitizer build runs this too).
TEST(LongRun, SevenDaysOfTicksWithSongsEndingEveryThreeMinutes) {
  TestApp t;
  t.folders.tempFolder = "tmp";
  t.state.MP3Folder = std::string("m") + PathSeparator;
  for (int i = 0; i < 30; ++i) t.listing.AddFile(t.state.MP3Folder, "song" + std::to_string(i) + ".mp3");
  t.clock.Set(8, 0, 0);
  t.Tick();
  t.window.items[IdTimeEdit] = "0";
  StartTimer(t.app);
  t.Tick();
  ASSERT_TRUE(t.sound.isOpen);
  int songs = 0;
  for (int second = 1; second <= 7 * 86400; ++second) {
    if (second % 180 == 0) {
      t.sound.FinishSong();
      ++songs;
    }
    if (second == 3 * 86400) {  // the user switches to MP3 songs and presses Play
      t.state.UseMidi = false;
      StartMusic(t.app);
    }
    t.clock.Advance(1);
    t.Tick();
    ASSERT_TRUE(t.sound.isOpen) << "second " << second;
    if (second % 3600 == 0) t.window.captions.clear();
  }
  EXPECT_EQ(songs, 7 * 86400 / 180);
  EXPECT_EQ(t.state.TuneHistory.size(), 10u);
  EXPECT_EQ(t.listing.openListings, 0);
  EXPECT_TRUE(t.store.openKeys.empty());
  EXPECT_EQ(t.state.SongOrder.size(), 31u);
}

}  // namespace
