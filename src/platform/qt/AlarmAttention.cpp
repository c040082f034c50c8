// The alarm's call for attention (see AlarmAttention.h).
#include "AlarmAttention.h"

#include <QApplication>
#include <QWidget>

void AlarmAttention::ShowAlarm(const std::string& message) {
  // Nothing to ask while the user is looking at the window.
  if (!window_.isActiveWindow()) {
    QApplication::alert(&window_);
    // Qt's Wayland windows have no alert state of their own: there the
    // compositor is asked to activate it and, unasked by the user, it marks
    // the window (urgent, "ready", demanding attention) instead.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) window_.activateWindow();
  }
  notifier_.ShowAlarm(message);
}
