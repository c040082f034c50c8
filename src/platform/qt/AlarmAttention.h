// At the alarm the main window asks for the user's attention beside the
// desktop notification, so the alarm box is not lost behind other windows.
#pragma once

#include "app/Ports.h"

class QWidget;

// Wraps the notifier: each alarm first marks the window unless it is the
// active one (on X11 the window manager's "demands attention"; on Wayland an
// activation request, which compositors show as urgency or answer by raising
// the window), then goes on to the notification.
class AlarmAttention : public AlarmNotifier {
 public:
  AlarmAttention(AlarmNotifier& notifier, QWidget& window) : notifier_(notifier), window_(window) {}
  void ShowAlarm(const std::string& message) override;
  void WithdrawAlarm() override { notifier_.WithdrawAlarm(); }

 private:
  AlarmNotifier& notifier_;
  QWidget& window_;
};
