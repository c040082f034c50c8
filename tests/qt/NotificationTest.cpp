// The alarm's desktop notification against a fake notification service on a
// private session bus: the call, the "Stop music" action and the withdrawals.
#include <QtDBus>
#include <QtTest>

#include "DBusAlarmNotifier.h"
#include "Fakes.h"
#include "alarm/Countdown.h"
#include "music/Music.h"

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");

// The test is the notification service too: its public slots answer on the
// bus (only private slots are test functions).
class NotificationTest : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  QProcess bus_;
  QStringList capabilities_;
  QStringList call_;  // app name, icon, summary, body, actions, urgency
  uint lastId_ = 0;
  QList<uint> closed_;

 public slots:
  QStringList GetCapabilities() { return capabilities_; }
  uint Notify(const QString& app, uint, const QString& icon, const QString& summary, const QString& body,
              const QStringList& actions, const QVariantMap& hints, int) {
    const QVariant urgency = hints.value("urgency");
    call_ = QStringList{app, icon, summary, body} + actions << urgency.typeName() + QString::number(urgency.toInt());
    return ++lastId_;
  }
  void CloseNotification(uint id) { closed_.append(id); }

 private slots:
  void stopActionStopsTheMusicAndTheNotificationGoes() {
    bus_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (!bus_.waitForStarted(5000)) QSKIP("dbus-daemon is not installed");
    QTRY_VERIFY_WITH_TIMEOUT(bus_.canReadLine(), 10000);
    const QByteArray address = bus_.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);  // before anything opens the session bus
    QDBusConnection service = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("service"));
    QVERIFY(service.registerObject(Path, this, QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService(Service));
    // The server's signal, then a call to it and back: the signal has
    // arrived, so nothing waits on the wall clock and a fault fails at once.
    const auto invoke = [&](const char* action) {
      service.send(QDBusMessage::createSignal(Path, Service, QStringLiteral("ActionInvoked"))
                   << lastId_ << QString::fromLatin1(action));
      QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(Service, Path, Service, "GetCapabilities"),
                                         QDBus::BlockWithGui);
    };
    const std::pair<QStringList, QString> servers[] = {
        // capabilities -> the body it gets
        {{"actions", "body", "body-markup"}, "Tea &lt;b&gt;now&lt;/b&gt; &amp; cake"},
        {{"actions", "body"}, "Tea <b>now</b> & cake"}};
    for (const auto& [capabilities, body] : servers) {
      capabilities_ = capabilities;
      TestApp t;
      DBusAlarmNotifier notifier;
      App app{AppState{}, Ports{t.window, t.sound, t.store, t.folders, t.listing, t.clock, t.volume, t.tunes,
                                t.launcher, t.chooser, notifier}};
      notifier.SetStopAction([&] { StopMusic(app); });
      app.State.AlarmMessage = "Tea <b>now</b> & cake";
      t.folders.tempFolder = "tmp/";  // where the tune is written for the player
      const uint before = lastId_;
      FireAlarm(app);
      QTRY_VERIFY(lastId_ != before);
      QCOMPARE(call_,
               (QStringList{"Tovin's Timer", "tovins-timer", "Time is up!", body, "stop", "Stop music", "uchar2"}));
      invoke("default");  // a click on the notification itself: the music goes on
      QVERIFY(t.sound.isOpen);
      invoke("stop");
      QVERIFY(!t.sound.isOpen);
      QTRY_VERIFY_WITH_TIMEOUT(closed_.contains(lastId_), 2000);
      // At exit the one still shown goes too.
      FireAlarm(app);
      QTRY_VERIFY(!closed_.contains(lastId_));
      invoke("default");
      notifier.WithdrawBeforeExit();
      QTRY_VERIFY_WITH_TIMEOUT(closed_.contains(lastId_), 2000);
    }
    bus_.kill();
    bus_.waitForFinished();
  }
};

QTEST_GUILESS_MAIN(NotificationTest)
#include "NotificationTest.moc"
