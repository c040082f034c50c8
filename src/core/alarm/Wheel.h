// The plain mouse wheel adds or subtracts one minute in the time box.
#pragma once

struct App;

void WheelAdjustMinutes(App& app, bool up);
