// The alarm's call for attention (see AlarmAttention.h).
#include "AlarmAttention.h"

#include <QApplication>
#include <QWidget>

#include "WaylandActivation.h"

void AlarmAttention::ShowAlarm(const std::string& message) {
  // Nothing happens while the user is looking at the window.
  if (!window_.isActiveWindow()) {
    QApplication::alert(&window_);  // ignored by Qt's Wayland windows
    RequestWaylandActivation(window_.windowHandle());
  }
  notifier_.ShowAlarm(message);
}
