// The typed alarm entry: the integer rule, both entry forms, the Timer command.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "alarm/AlarmSetting.h"
#include "app/Ids.h"

namespace {

struct NumberCase {
  const char* text;
  std::optional<std::int32_t> value;
};

TEST(ReadNumber, FollowsTheIntegerRule) {
  const NumberCase cases[] = {
      {"0", 0},
      {"20", 20},
      {"   20", 20},
      {"+20", 20},
      {"-20", -20},
      {"0020", 20},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"$14", 20},
      {"x14", 20},
      {"X1f", 31},
      {"0x1F", 31},
      {"0XfF", 255},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"$80000000", INT32_MIN},
      {"-$80000000", INT32_MIN},
      {"$000000001", 1},
      {"$100000000", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"$g", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"20 ", std::nullopt},
      {"20min", std::nullopt},
      {"\t20", std::nullopt},
      {"- 20", std::nullopt},
      {"+-20", std::nullopt},
      {"12.5", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadNumber(c.text), c.value) << "text: '" << c.text << "'";
  }
}

struct ParseCase {
  const char* text;
  std::optional<std::int32_t> at10am;  // NowSeconds 36000, IsPm false
  std::optional<std::int32_t> at3pm;   // NowSeconds 54000, IsPm true
};

TEST(ParseAlarmSetting, WorkedResultsAtBothTimesOfDay) {
  const auto no = std::nullopt;
  const ParseCase cases[] = {
      {"20", 37200, 55200},
      {"0", 36000, 54000},
      {"1380", 32400, 50400},
      {"1381", no, no},
      {"8:30 pm", 73800, 73800},
      {"8:30", 30600, 73800},
      {"2:00 am", 7200, 7200},
      {"12:15", 900, 44100},
      {"12:15 am", 900, 900},
      {"12:15 pm", 44100, 44100},
      {"0:30", 1800, 45000},
      {"22:34", 81240, 81240},
      {"14:00 am", 50400, 50400},
      {"8:30PM", 73800, 73800},
      {"8: 30 p.m.", 73800, 73800},
      {"8:30 p.m.", 73800, 73800},
      {"8:59", 32340, 75540},
      {"24:59", 3540, 3540},
      {"8 :30", no, no},
      {"8:30:00", no, no},
      {"25:00", no, no},
      {"8:60", no, no},
      {"8:", no, no},
      {":30", no, no},
      {"20 min", no, no},
      {"8:30 xm", no, no},
      {"8pm:30", no, no},
      {"", no, no},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseAlarmSetting(c.text, 36000, false), c.at10am) << c.text << " at 10 am";
    EXPECT_EQ(ParseAlarmSetting(c.text, 54000, true), c.at3pm) << c.text << " at 3 pm";
  }
}

// Wrapping past midnight, negatives, hour 24 and hexadecimal parts, at
// other times of day.
TEST(ParseAlarmSetting, EdgesAtOtherTimes) {
  const struct {
    const char* text;
    std::int32_t now;
    bool isPm;
    std::optional<std::int32_t> alarm;
  } cases[] = {
      {"20", 23 * 3600 + 40 * 60, true, 0},
      {"20", 23 * 3600 + 59 * 60, true, 1140},
      {"1380", 86399, true, 86399 + 1380 * 60 - 86400},
      {"-0", 36000, false, 36000},  // minus zero is zero
      {"-1", 36000, false, std::nullopt},
      {"-$10", 36000, false, std::nullopt},
      {"-1:30", 36000, false, std::nullopt},
      {"8:-5", 36000, false, std::nullopt},
      {"-0:-1", 36000, false, std::nullopt},
      {"24:00", 36000, false, 0},
      {"24:30", 54000, true, 1800},
      {"24:30 pm", 54000, true, 1800},  // a 24-hour value is never shifted
      {"$14", 0, false, 1200},
      {"$8:$1E pm", 0, false, 73800},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseAlarmSetting(c.text, c.now, c.isPm), c.alarm) << c.text;
}

class StartTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.clock.Set(10, 0, 0);
    t.Tick();
  }
  void Type(const std::string& text) { t.window.items[IdTimeEdit] = text; }
  std::optional<std::string> SavedTime() { return t.store.Text("Software\\TimerZqv2010\\Time"); }
  TestApp t;
};

// The display shows the entry trimmed, as typed, not normalised.
TEST_F(StartTimerTest, AcceptedEntryStartsTheTimer) {
  for (const auto& [typed, shown, alarm] : {std::tuple{"  20 ", "20", 37200}, {"8: 30 p.m.", "8: 30 p.m.", 73800}}) {
    Type(typed);
    StartTimer(t.app);
    EXPECT_EQ(t.state.AlarmTime, alarm);
    EXPECT_EQ(t.window.caption, "Timer started");
    EXPECT_EQ(t.window.items[IdAlarmDisplay], shown);
    EXPECT_EQ(t.state.CaptionText, "");
    EXPECT_EQ(SavedTime(), shown);
  }
  EXPECT_EQ(t.window.beeps, 0);
}

TEST_F(StartTimerTest, RejectedEntryBeepsOnceIsSavedAndChangesNothingElse) {
  Type("20");
  StartTimer(t.app);
  t.RunSeconds(1);
  const std::string caption = t.window.caption;
  Type(" 25:00 ");
  StartTimer(t.app);
  EXPECT_EQ(t.window.beeps, 1);
  EXPECT_EQ(SavedTime(), "25:00");
  EXPECT_EQ(t.state.AlarmTime, 37200);  // the pending alarm stays
  EXPECT_EQ(t.window.caption, caption);
  EXPECT_EQ(t.state.CaptionText, caption);
  EXPECT_EQ(t.window.items[IdAlarmDisplay], "20");
  Type("   ");  // blanks only: saved empty, rejected
  StartTimer(t.app);
  EXPECT_EQ(SavedTime(), "");
  EXPECT_EQ(t.window.beeps, 2);
  EXPECT_EQ(t.state.AlarmTime, 37200);
}

TEST_F(StartTimerTest, EmptyBoxCancelsWithoutBeepOrSave) {
  Type("20");
  StartTimer(t.app);
  const int writes = t.store.writes;
  Type("");
  StartTimer(t.app);
  EXPECT_EQ(t.state.AlarmTime, -1);
  EXPECT_EQ(t.window.caption, "Timer");
  EXPECT_EQ(t.state.CaptionText, "Timer");
  EXPECT_EQ(t.window.items[IdAlarmDisplay], "");
  EXPECT_EQ(t.window.beeps, 0);
  EXPECT_EQ(t.store.writes, writes);
}

TEST_F(StartTimerTest, ReadsAtMost251Characters) {
  // A long text put there by the program: only its first 251 characters count.
  Type(std::string(251, ' ') + "5");
  StartTimer(t.app);
  EXPECT_EQ(SavedTime(), "");
  EXPECT_EQ(t.window.beeps, 1);
  Type(std::string(250, ' ') + "5x");
  StartTimer(t.app);
  EXPECT_EQ(SavedTime(), "5");
  EXPECT_EQ(t.state.AlarmTime, 36000 + 300);
}

TEST_F(StartTimerTest, UsesTheTimeOfTheLastTickNotAFreshReading) {
  t.clock.Advance(120);  // no tick since
  Type("1");
  StartTimer(t.app);
  EXPECT_EQ(t.state.AlarmTime, 36060);
}

}  // namespace
