// Fuzzes the alarm entry: any text typed at any time of day gives no alarm or
// one within the hour behind and the day ahead, with at most one beep; the
// wheel never crashes on it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Fakes.h"
#include "alarm/Wheel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::int32_t now = size == 0 ? 0 : (data[0] * 339 + data[size - 1]) % 86400;  // the time of day
  TestApp t;
  t.clock.SetSeconds(now), t.Tick(), t.Enter(std::string(reinterpret_cast<const char*>(data), size));
  // A minutes entry runs on the boot clock, a clock time on the wall clock.
  const std::int64_t late = (t.state.AlarmTimeOfDay == -1 ? t.state.NowBoot : t.state.NowUtc) - t.state.AlarmTime;
  if ((t.state.AlarmTime != -1 && (late >= 3600 || late <= -86400)) || t.window.beeps > 1) __builtin_trap();
  WheelAdjustMinutes(t.app, size % 2 == 0);
  return 0;
}
