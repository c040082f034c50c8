// The clock, the countdown caption and the firing of the alarm.
#include <gtest/gtest.h>

#include <algorithm>

#include "Fakes.h"
#include "alarm/AlarmSetting.h"
#include "alarm/Countdown.h"
#include "app/Ids.h"
#include "app/Platform.h"

namespace {

TEST(CountdownText, CaptionsAroundTheMinuteBoundaries) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {1, "1 second left"},      {2, "2 seconds left"},        {59, "59 seconds left"},      {60, "60 seconds left"},
      {61, "1 minute left"},     {119, "1 minute left"},       {120, "2 minutes left"},      {1199, "19 minutes left"},
      {1200, "20 minutes left"}, {82800, "1380 minutes left"}, {86399, "1439 minutes left"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(CountdownText(seconds), text) << seconds;
}

TEST(FormatClock, TwelveHourTextOfElevenCharacters) {
  const std::tuple<int, int, int, const char*> cases[] = {
      {9, 5, 7, " 9:05:07 am"},    {0, 0, 0, "12:00:00 am"},  {12, 0, 0, "12:00:00 pm"},  {23, 59, 59, "11:59:59 pm"},
      {11, 59, 59, "11:59:59 am"}, {13, 1, 2, " 1:01:02 pm"}, {10, 30, 0, "10:30:00 am"},
  };
  for (const auto& [h, m, s, text] : cases) {
    EXPECT_EQ(FormatClock(h, m, s), text);
    EXPECT_EQ(FormatClock(h, m, s).size(), 11u);
  }
}

class CountdownTest : public ::testing::Test {
 protected:
  void StartAt(int hour, int minute, int second, const std::string& entry) {
    t.clock.Set(hour, minute, second);
    t.Tick();
    t.window.items[IdTimeEdit] = entry;
    StartTimer(t.app);
  }
  int Fired() const {
    int n = 0;
    for (const auto& c : t.window.captions) n += c == "Time is up!";
    return n;
  }
  TestApp t;
};

TEST_F(CountdownTest, TwentyMinutesCountDownAndFireAtTheirSecond) {
  StartAt(10, 0, 0, "20");
  t.RunSeconds(1);
  EXPECT_EQ(t.window.caption, "19 minutes left");
  t.RunSeconds(1200 - 61 - 1);
  EXPECT_EQ(t.window.caption, "1 minute left");
  t.RunSeconds(1);
  EXPECT_EQ(t.window.caption, "60 seconds left");
  t.RunSeconds(59);
  EXPECT_EQ(t.window.caption, "1 second left");
  EXPECT_EQ(Fired(), 0);
  t.RunSeconds(1);
  EXPECT_EQ(Fired(), 1);
  EXPECT_EQ(t.state.AlarmTime, -1);
  t.RunSeconds(3600);
  EXPECT_EQ(Fired(), 1);  // fires once
}

TEST_F(CountdownTest, CaptionIsWrittenOnlyWhenItsTextChanges) {
  StartAt(10, 0, 0, "20");
  t.RunSeconds(1);
  const auto writes = t.window.captions.size();
  t.RunSeconds(30);
  EXPECT_EQ(t.window.captions.size(), writes);
  // A title set meanwhile stays until the minute count changes.
  t.window.SetCaption("Some song");
  t.RunSeconds(20);
  EXPECT_EQ(t.window.caption, "Some song");
  t.RunSeconds(10);
  EXPECT_EQ(t.window.caption, "18 minutes left");
}

TEST_F(CountdownTest, ZeroMinutesFiresAtTheNextTick) {
  StartAt(10, 0, 0, "0");
  EXPECT_EQ(Fired(), 0);
  t.Tick();
  EXPECT_EQ(Fired(), 1);
  EXPECT_TRUE(t.window.notices.empty());  // no alarm message, no box
}

TEST_F(CountdownTest, APastTimeWithinTheHourFiresAndAnHourBackIsTomorrow) {
  StartAt(10, 0, 0, "9:30");
  t.RunSeconds(1);
  EXPECT_EQ(Fired(), 1);

  StartAt(10, 0, 0, "9:00");
  t.Tick();
  EXPECT_EQ(Fired(), 1);
  EXPECT_EQ(t.window.caption, "1380 minutes left");

  StartAt(10, 0, 0, "8:30");
  t.Tick();
  EXPECT_EQ(t.window.caption, "1350 minutes left");
}

TEST_F(CountdownTest, CrossingMidnight) {
  StartAt(23, 50, 0, "12:15 am");
  t.Tick();
  EXPECT_EQ(t.window.caption, "25 minutes left");
  t.RunSeconds(25 * 60 - 1);
  EXPECT_EQ(Fired(), 0);
  t.RunSeconds(1);
  EXPECT_EQ(Fired(), 1);
  EXPECT_EQ(t.clock.Seconds(), 15 * 60);
}

TEST_F(CountdownTest, MinimisedWindowFreezesOnlyTheClockLabel) {
  StartAt(10, 0, 0, "2");
  t.RunSeconds(1);
  EXPECT_EQ(t.window.items[IdClock], "10:00:01 am");
  t.window.minimized = true;
  t.RunSeconds(70);
  EXPECT_EQ(t.window.items[IdClock], "10:00:01 am");
  EXPECT_EQ(t.state.NowSeconds, 36071);
  EXPECT_EQ(t.window.caption, "49 seconds left");
  t.RunSeconds(49);
  EXPECT_EQ(Fired(), 1);
  t.window.minimized = false;
  t.RunSeconds(1);
  EXPECT_EQ(t.window.items[IdClock], "10:02:01 am");
}

TEST_F(CountdownTest, ClockTickSetsNowAndHalfOfDay) {
  const std::tuple<int, int, int, std::int32_t, bool> cases[] = {
      {0, 0, 0, 0, false}, {11, 59, 59, 43199, false}, {12, 0, 0, 43200, true}, {23, 59, 59, 86399, true}};
  for (const auto& [h, m, s, now, pm] : cases) {
    t.clock.Set(h, m, s);
    t.Tick();
    EXPECT_EQ(t.state.NowSeconds, now);
    EXPECT_EQ(t.state.IsPm, pm);
  }
}

TEST_F(CountdownTest, FiringStepsRunInTheirOrder) {
  t.state.AlarmMessage = "Wake up";
  t.state.UseMidi = true;
  t.folders.tempFolder = "tmp";
  StartAt(10, 0, 0, "0");
  std::vector<std::string> captionsAtNotice;
  std::int32_t alarmAtNotice = 0;
  std::string labelAtNotice;
  t.window.onNotice = [&] {
    captionsAtNotice = t.window.captions;
    alarmAtNotice = t.state.AlarmTime;
    labelAtNotice = t.window.items[IdAlarmDisplay];
  };
  t.Tick();
  ASSERT_EQ(t.window.notices, std::vector<std::string>{"Wake up"});
  EXPECT_EQ(alarmAtNotice, -1);
  EXPECT_EQ(labelAtNotice, "");
  ASSERT_GE(captionsAtNotice.size(), 2u);
  EXPECT_EQ(captionsAtNotice[captionsAtNotice.size() - 2], "Time is up!");
  EXPECT_NE(captionsAtNotice.back(), "Time is up!");  // the tune's title replaced it
  EXPECT_EQ(t.state.CaptionText, "Timer");
  EXPECT_NE(std::find(t.sound.log.begin(), t.sound.log.end(), "play"), t.sound.log.end());
}

TEST_F(CountdownTest, ATickInsideTheAlarmMessageCannotFireAgain) {
  t.state.AlarmMessage = "Tea";
  StartAt(10, 0, 0, "0");
  int nested = 0;
  t.window.onNotice = [&] {
    if (nested++ < 3) t.RunSeconds(1);
  };
  t.Tick();
  EXPECT_EQ(Fired(), 1);
  EXPECT_EQ(t.window.notices.size(), 1u);
}

TEST_F(CountdownTest, Mp3SourceIsShuffledBeforeTheSongStarts) {
  t.state.UseMidi = false;
  t.state.MP3Folder = std::string("m") + PathSeparator;
  t.listing.AddFile(t.state.MP3Folder, "Only song.mp3");
  StartAt(10, 0, 0, "0");
  t.Tick();
  EXPECT_EQ(t.window.caption, "Only song");
  EXPECT_EQ(t.state.SongOrder.size(), 2u);
}

}  // namespace
