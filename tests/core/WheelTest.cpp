// The plain wheel adds or subtracts one minute in the time box.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "alarm/Wheel.h"
#include "app/Ids.h"

namespace {

struct WheelCase {
  const char* before;
  bool up;
  const char* after;
};

TEST(WheelAdjustMinutes, EditsTheTimeBoxByOneMinute) {
  const WheelCase cases[] = {
      {"", true, "0"},
      {"0", true, "1"},
      {"20", true, "21"},
      {"20", false, "19"},
      {"0", false, ""},
      {"", false, ""},
      {" 7 ", true, "8"},
      {"1380", true, "1381"},
      {"8:30 pm", true, "8:30 pm"},
      {"8:30 pm", false, "8:30 pm"},
      {"20 min", true, "20 min"},
      {"20 min", false, "20 min"},
      {"-5", true, ""},
      {"$14", true, "21"},
      {"007", false, "6"},
      {"   ", true, "0"},
      {"2147483647", true, "2147483648"},
  };
  for (const auto& c : cases) {
    TestApp t;
    t.state.AlarmTime = 1234;
    t.window.items[IdTimeEdit] = c.before;
    WheelAdjustMinutes(t.app, c.up);
    EXPECT_EQ(t.window.items[IdTimeEdit], c.after) << "'" << c.before << "' " << (c.up ? "up" : "down");
    // Neither the alarm nor the settings are touched, and nothing beeps.
    EXPECT_EQ(t.state.AlarmTime, 1234);
    EXPECT_EQ(t.store.writes + t.window.beeps, 0);
  }
}

}  // namespace
