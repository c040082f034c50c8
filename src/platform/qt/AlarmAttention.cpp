// The alarm's call for attention (see AlarmAttention.h).
#include "AlarmAttention.h"

#include <QApplication>
#include <QWidget>

void AlarmAttention::ShowAlarm(const std::string& message) {
  // Nothing happens while the user is looking at the window.
  QApplication::alert(&window_);
  notifier_.ShowAlarm(message);
}
