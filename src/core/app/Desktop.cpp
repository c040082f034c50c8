// Dialog-unit arithmetic and the order of a tick and of start-up (see Desktop.h).
#include "app/Desktop.h"

#include <algorithm>

#include "alarm/Countdown.h"
#include "settings/Settings.h"

DialogUnits DialogUnits::FromFont(int widthOfAlphabet, int charHeight) {
  return {std::max(1, (widthOfAlphabet / 26 + 1) / 2), std::max(1, charHeight)};
}

int DialogUnits::X(int units) const { return (units * BaseX + 2) / 4; }
int DialogUnits::Y(int units) const { return (units * BaseY + 4) / 8; }

Rect DialogUnits::ToPixels(const Rect& units) const {
  const int left = X(units.X);
  const int top = Y(units.Y);
  return {left, top, X(units.X + units.Width) - left, Y(units.Y + units.Height) - top};
}

void Tick(App& app) {
  ClockTick(app);
  CountdownTick(app);
}

void StartApp(App& app) {
  ClockTick(app);
  LoadSettings(app);
}
