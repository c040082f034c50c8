// Fuzzes the alarm entry: the integer rule, the entry parser, the Timer
// command and the wheel on a fresh state, checking what must always hold.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "Fakes.h"
#include "alarm/AlarmSetting.h"
#include "alarm/Countdown.h"
#include "alarm/Wheel.h"
#include "app/Ids.h"

namespace {
void Check(bool condition) {
  if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first bytes choose the time of day; the rest is the typed text.
  std::int32_t now = 0;
  if (size >= 4) {
    std::uint32_t raw = 0;
    std::memcpy(&raw, data, 4);
    now = static_cast<std::int32_t>(raw % 86400);
    data += 4;
    size -= 4;
  }
  const std::string text(reinterpret_cast<const char*>(data), size);
  const bool isPm = now >= 43200;

  if (const auto number = ReadNumber(text)) {
    // A number read back from its decimal text is the same number.
    Check(ReadNumber(std::to_string(*number)) == number);
  }
  if (const auto alarm = ParseAlarmSetting(text, now, isPm)) {
    Check(*alarm >= 0 && *alarm < 86400);
    Check(text.find(':') != std::string::npos || ParseAlarmSetting(text, now, !isPm) == alarm);
  }

  TestApp t;
  t.clock.SetSeconds(now);
  t.Tick();
  t.window.items[IdTimeEdit] = text;
  StartTimer(t.app);
  Check(t.state.AlarmTime == -1 || (t.state.AlarmTime >= 0 && t.state.AlarmTime < 86400));
  Check(t.window.beeps <= 1);
  // The alarm fires at the second the rules give, not a second before, once.
  if (t.state.AlarmTime != -1) {
    const std::int32_t next = (now + 1) % 86400;
    const std::int32_t late = next - t.state.AlarmTime;
    if (late >= 0 && late < 3600) {
      t.RunSeconds(1);
    } else {
      const std::int32_t wait = 1 + (late < 0 ? -late : 86400 - late);
      t.clock.Advance(wait - 1);
      t.Tick();
      Check(t.state.AlarmTime != -1);
      t.RunSeconds(1);
    }
    Check(t.state.AlarmTime == -1);
    Check(t.window.caption != "Time is up!");  // a title replaced it
  }
  WheelAdjustMinutes(t.app, size % 2 == 0);
  Check(t.window.ItemText(IdTimeEdit).size() <= text.size() + 12);
  return 0;
}
