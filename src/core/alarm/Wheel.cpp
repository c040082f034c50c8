// One wheel step is one minute up or down in the time box; clock times stay.
#include "alarm/Wheel.h"

#include <string>

#include "alarm/AlarmSetting.h"
#include "app/App.h"
#include "app/Ids.h"
#include "app/Text.h"

void WheelAdjustMinutes(App& app, bool up) {
  std::string text = app.Port.Window.ItemText(IdTimeEdit);
  if (text.size() > static_cast<std::size_t>(TimeEditReadLimit)) text.resize(TimeEditReadLimit);
  if (text.find(':') != std::string::npos) return;
  text = TrimBlanks(text);

  std::int64_t value = -1;
  if (!text.empty()) {
    const auto number = ReadNumber(text);
    if (!number) return;
    value = *number;
  }
  value += up ? 1 : -1;
  app.Port.Window.SetItemText(IdTimeEdit, value < 0 ? std::string() : std::to_string(value));
}
