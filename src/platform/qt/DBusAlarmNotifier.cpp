// org.freedesktop.Notifications over Qt D-Bus (see DBusAlarmNotifier.h).
#include "DBusAlarmNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

#include "app/Text.h"

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString& Interface = Service;
const QString StopAction = QStringLiteral("stop");
constexpr uchar CriticalUrgency = 2;  // stays on screen until dismissed
// The bus daemon's own answer; only a broken bus takes longer.
constexpr int BusAnswerMs = 200;
// A notification service answers Notify within milliseconds.
constexpr int ServiceAnswerMs = 250;

QDBusMessage Call(const QString& method) { return QDBusMessage::createMethodCall(Service, Path, Interface, method); }
}  // namespace

DBusAlarmNotifier::DBusAlarmNotifier(QObject* parent) : QObject(parent) {}

DBusAlarmNotifier::~DBusAlarmNotifier() { WithdrawBeforeExit(); }

bool DBusAlarmNotifier::Connect() {
  if (tried_) return connected_;
  tried_ = true;
  QDBusConnection bus = QDBusConnection::sessionBus();
  connected_ = bus.isConnected();
  if (connected_) {
    // Any sender: naming the service would ask the bus for its owner and wait.
    bus.connect(QString(), Path, Interface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(QString(), Path, Interface, QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
  }
  return connected_;
}

void DBusAlarmNotifier::ShowAlarm(const std::string& message) {
  const unsigned serial = ++serial_;
  if (!Connect()) return;
  const QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
  if (text.isEmpty()) {
    Notify(text, false, serial);
    return;
  }
  // A server that reads markup in the body gets the message escaped; one
  // that does not must get it as it is.
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(Call("GetCapabilities")), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, text, serial](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    if (serial != serial_) return;  // withdrawn or replaced meanwhile
    const QDBusPendingReply<QStringList> reply = *call;
    Notify(text, !reply.isError() && reply.value().contains(QStringLiteral("body-markup")), serial);
  });
}

void DBusAlarmNotifier::Notify(const QString& message, bool markup, unsigned serial) {
  QVariantMap hints;
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue(CriticalUrgency));
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("tovins-timer"));
  QDBusMessage call = Call(QStringLiteral("Notify"));
  call << QString::fromUtf8(ProgramName) << id_ << QStringLiteral("tovins-timer") << QString::fromUtf8(TimeIsUpCaption)
       << (markup ? message.toHtmlEscaped() : message) << QStringList{StopAction, QStringLiteral("Stop music")} << hints
       << 0;  // 0: never expires
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
  unanswered_.push_back(watcher);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, serial](QDBusPendingCallWatcher* answer) {
    answer->deleteLater();
    std::erase(unanswered_, answer);
    const QDBusPendingReply<uint> reply = *answer;
    if (reply.isError()) return;
    const uint id = reply.value();
    if (serial == serial_) {
      id_ = id;
    } else if (id != id_) {
      Close(id);  // the music stopped before the server answered
    }
  });
}

void DBusAlarmNotifier::WithdrawAlarm() {
  ++serial_;
  if (id_ == 0) return;
  Close(id_);
  id_ = 0;
}

void DBusAlarmNotifier::WithdrawBeforeExit() {
  // The event loop is over: a Notify still unanswered (the alarm came just
  // before the quit) is waited for here, on the bus's own thread, and its
  // notification closed; else it would stay on screen with nobody behind it.
  const QDeadlineTimer deadline(ServiceAnswerMs);
  bool closing = id_ != 0;
  for (auto it = unanswered_.begin(); it != unanswered_.end();) {
    QDBusPendingCallWatcher* call = *it;
    while (!call->isFinished() && !deadline.hasExpired()) QThread::msleep(1);
    if (!call->isFinished()) {
      ++it;  // its answer, should it still come, is closed as a late one
      continue;
    }
    const QDBusPendingReply<uint> reply = *call;
    if (!reply.isError() && reply.value() != id_) Close(reply.value()), closing = true;
    delete call;
    it = unanswered_.erase(it);
  }
  WithdrawAlarm();
  if (!closing) return;
  // Messages leave a connection in order: once the bus has answered a later
  // call, it holds the withdrawal and delivers it after we are gone.
  QDBusConnection::sessionBus().call(
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                     QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
      QDBus::Block, BusAnswerMs);
}

void DBusAlarmNotifier::Close(uint id) {
  QDBusMessage call = Call(QStringLiteral("CloseNotification"));
  call << id;
  QDBusConnection::sessionBus().send(call);
}

void DBusAlarmNotifier::OnActionInvoked(uint id, const QString& action) {
  if (id != 0 && id == id_ && action == StopAction && stop_) stop_();
}

void DBusAlarmNotifier::OnClosed(uint id, uint) {
  if (id == id_) id_ = 0;  // dismissed: nothing left to withdraw
}
