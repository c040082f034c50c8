// The plain wheel adds or subtracts one minute in the time box.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "alarm/Wheel.h"
#include "app/Commands.h"
#include "app/Ids.h"

namespace {

struct WheelCase {
  const char* before;
  bool up;
  const char* after;
};

TEST(WheelAdjustMinutes, EditsTheTimeBoxByOneMinute) {
  const WheelCase cases[] = {
      {"", true, "0"},         {"0", true, "1"},          {"20", true, "21"},     {"20", false, "19"},
      {"0", false, ""},        {"", false, ""},           {" 7 ", true, "8"},     {"1380", true, "1381"},
      {"8:30 pm", true, "8:30 pm"}, {"8:30 pm", false, "8:30 pm"}, {"20 min", true, "20 min"},
      {"20 min", false, "20 min"},  {"-5", true, ""},      {"$14", true, "21"},    {"007", false, "6"},
      {"   ", true, "0"},       {"2147483647", true, "2147483648"},
  };
  for (const auto& c : cases) {
    TestApp t;
    t.window.items[IdTimeEdit] = c.before;
    WheelAdjustMinutes(t.app, c.up);
    EXPECT_EQ(t.window.items[IdTimeEdit], c.after) << "'" << c.before << "' " << (c.up ? "up" : "down");
  }
}

TEST(WheelAdjustMinutes, TouchesNeitherAlarmNorSettings) {
  TestApp t;
  t.state.AlarmTime = 1234;
  t.window.items[IdTimeEdit] = "5";
  WheelAdjustMinutes(t.app, true);
  EXPECT_EQ(t.state.AlarmTime, 1234);
  EXPECT_EQ(t.store.writes, 0);
  EXPECT_EQ(t.window.beeps, 0);
}

TEST(OnMouseWheel, CtrlChangesTheVolumeAndNeverTheMinutes) {
  TestApp t;
  t.window.items[IdTimeEdit] = "20";
  t.volume.wave = 0x10001000;
  OnMouseWheel(t.app, true, true);
  EXPECT_EQ(t.window.items[IdTimeEdit], "20");
  EXPECT_NE(t.volume.wave, 0x10001000u);

  const std::uint32_t volume = t.volume.wave;
  OnMouseWheel(t.app, false, false);
  EXPECT_EQ(t.window.items[IdTimeEdit], "19");
  EXPECT_EQ(t.volume.wave, volume);
}

}  // namespace
