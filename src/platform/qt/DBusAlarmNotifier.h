// The alarm's desktop notification through the freedesktop notification
// service on the session bus, with a "Stop music" action.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "app/Ports.h"

class QDBusPendingCallWatcher;

// Every call is asynchronous (only the withdrawal at exit waits, for the bus
// itself): without a session bus or a notification service nothing is shown
// and nothing waits. The bus is first used at the first alarm, so starting
// the program costs nothing.
class DBusAlarmNotifier : public QObject, public AlarmNotifier {
  Q_OBJECT
 public:
  explicit DBusAlarmNotifier(QObject* parent = nullptr);
  // A notification still shown is withdrawn: its action would reach nobody.
  ~DBusAlarmNotifier() override;

  // What the notification's "Stop music" action runs.
  void SetStopAction(std::function<void()> stop) { stop_ = std::move(stop); }

  void ShowAlarm(const std::string& message) override;
  void WithdrawAlarm() override;
  // Withdraws the notification shown, and returns once the bus holds the
  // request: the bus daemon answers at once, where a notification service
  // may take its time or never answer. One the service has not numbered yet
  // is waited for briefly, then withdrawn too.
  void WithdrawBeforeExit();

 private slots:
  void OnActionInvoked(uint id, const QString& action);
  void OnClosed(uint id, uint reason);

 private:
  bool Connect();
  void Notify(const QString& message, bool markup, unsigned serial);
  void Close(uint id);

  std::function<void()> stop_;
  bool tried_ = false;
  bool connected_ = false;
  uint id_ = 0;                                       // the notification on screen, 0 for none
  std::vector<QDBusPendingCallWatcher*> unanswered_;  // Notify calls whose number has not been read
  unsigned serial_ = 0;                               // counts alarms and withdrawals: a late answer of an
                                                      // older alarm is closed at once
};
