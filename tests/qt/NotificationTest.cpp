// The alarm's desktop notification against a fake notification service on a
// private session bus: the call and its hints, the "Stop music" action, the
// withdrawals, a late answer.
#include <QtDBus>
#include <QtTest>

#include "DBusAlarmNotifier.h"
#include "Fakes.h"
#include "Skips.h"
#include "alarm/Countdown.h"
#include "music/Music.h"

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");

// The test is the notification service too: its public slots answer on the
// bus (only private slots are test functions).
class NotificationTest : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  QStringList capabilities_;
  QStringList call_;  // app name, replaced id, icon, summary, body, actions, urgency, desktop entry, timeout
  uint lastId_ = 0;
  QStringList closed_;
  bool late_ = false;  // the next Notify is answered when the test says
  QDBusMessage pending_;

 public slots:
  QStringList GetCapabilities() { return capabilities_; }
  uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
              const QStringList& actions, const QVariantMap& hints, int timeout) {
    const QVariant urgency = hints.value("urgency");
    call_ = QStringList{app, QString::number(replaces), icon, summary, body} + actions
            << urgency.typeName() + QString::number(urgency.toInt()) << hints.value("desktop-entry").toString()
            << QString::number(timeout);
    if (late_) setDelayedReply(true), pending_ = message();
    return ++lastId_;
  }
  void CloseNotification(uint id) { closed_.append(QString::number(id)); }

 private slots:
  void notificationCallsActionsAndWithdrawals() {
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (!bus.waitForStarted(5000)) TIMER_QSKIP("dbus-daemon is not installed");
    QTRY_VERIFY_WITH_TIMEOUT(bus.canReadLine(), 10000);
    const QByteArray address = bus.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);  // before anything opens the session bus
    QDBusConnection service = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("service"));
    QVERIFY(service.registerObject(Path, this, QDBusConnection::ExportAllSlots) && service.registerService(Service));
    // A signal of the server, then a call to it and back: the signal has
    // arrived, so nothing waits on the wall clock and a fault fails at once.
    const auto roundTrip = [] {
      QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(Service, Path, Service, "GetCapabilities"),
                                         QDBus::BlockWithGui);
    };
    const auto signal = [&](const char* name, uint id, const QVariant& detail) {
      service.send(QDBusMessage::createSignal(Path, Service, QString::fromLatin1(name)) << id << detail);
      roundTrip();
    };
    const std::pair<QStringList, QString> servers[] = {
        // capabilities -> the body it gets
        {{"actions", "body", "body-markup"}, "Tea &lt;b&gt;now&lt;/b&gt; &amp; cake"},
        {{"actions", "body"}, "Tea <b>now</b> & cake"}};
    for (const auto& [capabilities, body] : servers) {
      capabilities_ = capabilities, lastId_ = 0, closed_.clear();
      TestApp t;
      std::optional<DBusAlarmNotifier> notifier(std::in_place);
      App app{AppState{}, Ports{t.window, t.sound, t.store, t.folders, t.listing, t.clock, t.volume, t.tunes,
                                t.launcher, t.chooser, *notifier}};
      notifier->SetStopAction([&] { StopMusic(app); });
      app.State.AlarmMessage = "Tea <b>now</b> & cake";
      t.folders.tempFolder = "tmp/";  // where the tune is written for the player
      const auto alarm = [&] {
        const uint before = lastId_;
        FireAlarm(app);
        QTRY_VERIFY(lastId_ != before);
        roundTrip();  // and the server's answer has reached the notifier
      };
      // Step -> the music and the notifications closed so far, once it is done.
      const std::pair<std::function<void()>, QString> steps[] = {
          {alarm, "music, closed "},
          {[&] { signal("ActionInvoked", 1, "default"); }, "music, closed "},  // a click on the notification
          {[&] { signal("ActionInvoked", 7, "stop"); }, "music, closed "},     // another program's
          {[&] { signal("ActionInvoked", 1, "stop"); }, "quiet, closed 1"},
          {[&] { late_ = true, alarm(), StopMusic(app), late_ = false; }, "quiet, closed 1"},
          {[&] { service.send(pending_.createReply(QVariant::fromValue(lastId_))); }, "quiet, closed 1 2"},
          {[&] { alarm(), notifier->WithdrawBeforeExit(); }, "music, closed 1 2 3"},
          {[&] { alarm(), signal("NotificationClosed", 4, 2u), notifier->WithdrawBeforeExit(); },
           "music, closed 1 2 3"},
          {[&] {  // the program quits before the server's answer has been read
             late_ = true, alarm(), late_ = false;
             service.send(pending_.createReply(QVariant::fromValue(lastId_))), notifier.reset();
           },
           "music, closed 1 2 3 5"}};
      for (const auto& [step, seen] : steps) {
        step();
        QTRY_COMPARE((t.sound.isOpen ? "music" : "quiet") + QStringLiteral(", closed ") + closed_.join(' '), seen);
      }
      QCOMPARE(call_, (QStringList{"Tovin's Timer", "0", "tovins-timer", "Time is up!", body, "stop", "Stop music",
                                   "uchar2", "tovins-timer", "0"}));
    }
    bus.kill(), bus.waitForFinished();
  }
};

TIMER_QTEST_MAIN(NotificationTest, QTEST_QAPP_SETUP(QCoreApplication))
#include "NotificationTest.moc"
