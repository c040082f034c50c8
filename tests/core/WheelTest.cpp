// The plain wheel adds or subtracts one minute in the time box.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "alarm/Wheel.h"
#include "app/Ids.h"

namespace {

TEST(WheelAdjustMinutes, EditsTheTimeBoxByOneMinute) {
  const std::tuple<const char*, bool, const char*> cases[] = {
      {"", true, "0"},          {"0", true, "1"},           {"20", false, "19"},     {"1", false, "0"},
      {"0", false, ""},         {"", false, ""},            {" 7 ", true, "8"},      {"8:30 pm", true, "8:30 pm"},
      {"20 min", false, "20 min"}, {"-5", true, ""},        {"$14", true, "21"},     {"007", false, "6"},
      {"2147483647", true, "2147483648"},
  };
  for (const auto& [before, up, after] : cases) {
    TestApp t;
    t.state.AlarmTime = 1234;
    t.window.items[IdTimeEdit] = before;
    WheelAdjustMinutes(t.app, up);
    EXPECT_EQ(t.window.items[IdTimeEdit], after) << "'" << before << "' " << (up ? "up" : "down");
    // Neither the alarm nor the settings are touched, and nothing beeps.
    EXPECT_EQ(t.state.AlarmTime, 1234);
    EXPECT_EQ(t.store.writes + t.window.beeps, 0);
  }
}

}  // namespace
