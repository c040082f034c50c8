// The typed alarm entry: the integer rule, both entry forms, the Timer command.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "alarm/AlarmSetting.h"
#include "app/Ids.h"

namespace {

const auto no = std::nullopt;

TEST(ReadNumber, FollowsTheIntegerRule) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"20", 20},         {"   20", 20},        {"+20", 20},          {"-20", -20},       {"0020", 20},
      {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"2147483648", no}, {"-2147483649", no},
      {"99999999999999999999", no}, {"$14", 20}, {"x14", 20},  {"X1f", 31},        {"0XfF", 255},
      {"-$10", -16},      {"$FFFFFFFF", -1},    {"$100000000", no},   {"$", no},          {"0x", no},
      {"$g", no},         {"", no},             {"+", no},            {"20 ", no},        {"\t20", no},
      {"- 20", no},       {"12.5", no},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadNumber(text), value) << "'" << text << "'";
}

// The alarm time (seconds after midnight) of an entry at 10 am and at 3 pm.
TEST(ParseAlarmSetting, WorkedResultsAtBothTimesOfDay) {
  const std::tuple<const char*, std::optional<std::int32_t>, std::optional<std::int32_t>> cases[] = {
      {"20", 37200, 55200},     {"0", 36000, 54000},          {"1380", 32400, 50400},     {"1381", no, no},
      {"-1", no, no},           {"-0", 36000, 54000},         {"8:30 pm", 73800, 73800},  {"8:30", 30600, 73800},
      {"2:00 am", 7200, 7200},  {"12:15", 900, 44100},        {"12:15 am", 900, 900},     {"12:15 pm", 44100, 44100},
      {"0:30", 1800, 45000},    {"22:34", 81240, 81240},      {"14:00 am", 50400, 50400}, {"8: 30 p.m.", 73800, 73800},
      {"8:59", 32340, 75540},   {"24:00", 0, 0},              {"24:30 pm", 1800, 1800},   {"$8:$1E pm", 73800, 73800},
      {"8 :30", no, no},        {"8:30:00", no, no},          {"25:00", no, no},          {"8:60", no, no},
      {"8:", no, no},           {":30", no, no},              {"8:30 xm", no, no},        {"-1:30", no, no},
  };
  for (const auto& [text, at10am, at3pm] : cases) {
    EXPECT_EQ(ParseAlarmSetting(text, 36000, false), at10am) << text << " at 10 am";
    EXPECT_EQ(ParseAlarmSetting(text, 54000, true), at3pm) << text << " at 3 pm";
  }
  EXPECT_EQ(ParseAlarmSetting("20", 85200, true), 0);  // 23:40 + 20 minutes is midnight
  EXPECT_EQ(ParseAlarmSetting("1380", 86399, true), 86399 + 1380 * 60 - 86400);
}

class StartTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.clock.Set(10, 0, 0);
    t.Tick();
    t.clock.Advance(120);  // no tick since: StartTimer uses the last tick's time
  }
  void Enter(const std::string& text) {
    t.window.items[IdTimeEdit] = text;
    StartTimer(t.app);
  }
  std::optional<std::string> Saved() { return t.store.Text("Software\\TimerZqv2010\\Time"); }
  TestApp t;
};

TEST_F(StartTimerTest, AcceptedRejectedAndEmptyEntries) {
  Enter("  20 ");
  EXPECT_EQ(t.state.AlarmTime, 37200);
  EXPECT_EQ(t.window.caption, "Timer started");
  EXPECT_EQ(t.window.items[IdAlarmDisplay], "20");
  EXPECT_EQ(Saved(), "20");
  t.Tick();
  EXPECT_EQ(t.window.caption, "18 minutes left");
  Enter("18");  // a restart writes the remaining time again at the next tick
  t.Tick();
  EXPECT_EQ(t.window.caption, "18 minutes left");

  Enter(" 25:00 ");  // rejected: one beep, saved to be corrected, the alarm stays
  EXPECT_EQ(t.window.beeps, 1);
  EXPECT_EQ(Saved(), "25:00");
  EXPECT_EQ(t.state.AlarmTime, 37200);
  EXPECT_EQ(t.window.items[IdAlarmDisplay], "18");
  EXPECT_EQ(t.window.caption, "18 minutes left");

  const int writes = t.store.writes;
  Enter("");  // empty: cancels, no beep, no save
  EXPECT_EQ(t.state.AlarmTime, -1);
  EXPECT_EQ(t.window.caption, "Timer");
  EXPECT_EQ(t.window.items[IdAlarmDisplay], "");
  EXPECT_EQ(t.window.beeps, 1);
  EXPECT_EQ(t.store.writes, writes);
}

TEST_F(StartTimerTest, ReadsAtMost251Characters) {
  Enter(std::string(251, ' ') + "5");
  EXPECT_EQ(Saved(), "");
  EXPECT_EQ(t.window.beeps, 1);
  Enter(std::string(250, ' ') + "5x");
  EXPECT_EQ(t.state.AlarmTime, 36000 + 300);
}

}  // namespace
