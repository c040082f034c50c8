// The alarm's desktop notification against a fake notification service on a
// private session bus: the call, the "Stop music" action and the withdrawal.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QtTest>

#include "DBusAlarmNotifier.h"
#include "Fakes.h"
#include "alarm/Countdown.h"
#include "music/Music.h"

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");

class FakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  QStringList capabilities;
  QStringList call;  // app name, icon, summary, body, actions, urgency
  uint lastId = 0;
  QList<uint> closed;

 public slots:
  QStringList GetCapabilities() { return capabilities; }
  uint Notify(const QString& app, uint, const QString& icon, const QString& summary, const QString& body,
              const QStringList& actions, const QVariantMap& hints, int) {
    const QVariant urgency = hints.value("urgency");
    call = QStringList{app, icon, summary, body} + actions << urgency.typeName() + QString::number(urgency.toInt());
    return ++lastId;
  }
  void CloseNotification(uint id) { closed.append(id); }
};

class NotificationTest : public QObject {
  Q_OBJECT
  QProcess bus_;
  QString address_;

 private slots:
  void initTestCase() {
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!bus_.waitForStarted(5000)) QSKIP("dbus-daemon is not installed");
    QTRY_VERIFY_WITH_TIMEOUT(bus_.canReadLine(), 10000);
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    // Before anything opens the session bus: the program's notifier uses it.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
  }
  void cleanupTestCase() {
    bus_.kill();
    bus_.waitForFinished();
  }

  void stopActionStopsTheMusicAndTheNotificationGoes_data() {
    QTest::addColumn<QStringList>("capabilities");
    QTest::addColumn<QString>("body");
    QTest::newRow("markup server") << QStringList{"actions", "body", "body-markup"}
                                   << "Tea &lt;b&gt;now&lt;/b&gt; &amp; cake";
    QTest::newRow("plain server") << QStringList{"actions", "body"} << "Tea <b>now</b> & cake";
  }
  void stopActionStopsTheMusicAndTheNotificationGoes() {
    QFETCH(QStringList, capabilities);
    QFETCH(QString, body);
    QDBusConnection service = QDBusConnection::connectToBus(address_, QStringLiteral("service"));
    FakeNotifications fake;
    fake.capabilities = capabilities;
    QVERIFY(service.registerObject(Path, &fake, QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService(Service));
    const auto unregister = qScopeGuard([&] {  // also when a check fails
      service.unregisterObject(Path);
      service.unregisterService(Service);
      QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    });

    TestApp t;
    DBusAlarmNotifier notifier;
    App app{AppState{}, Ports{t.window, t.sound, t.store, t.folders, t.listing, t.clock, t.volume, t.tunes, t.launcher,
                              t.chooser, notifier}};
    notifier.SetStopAction([&] { StopMusic(app); });
    app.State.AlarmMessage = "Tea <b>now</b> & cake";
    t.folders.tempFolder = "tmp/";
    FireAlarm(app);
    QVERIFY(t.sound.isOpen);
    QTRY_COMPARE(fake.call, (QStringList{"Tovin's Timer", "tovins-timer", "Time is up!", body, "stop", "Stop music",
                                         "uchar2"}));

    const auto invoke = [&](const char* name) {
      QDBusMessage action = QDBusMessage::createSignal(Path, Service, QStringLiteral("ActionInvoked"));
      service.send(action << fake.lastId << QString::fromLatin1(name));
    };
    invoke("default");  // a click on the notification itself: the music goes on
    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(Service, Path, Service, "GetCapabilities"),
                                       QDBus::BlockWithGui);  // behind the signal
    QVERIFY(t.sound.isOpen);
    invoke("stop");
    QTRY_VERIFY(!t.sound.isOpen);
    QTRY_COMPARE(fake.closed, QList<uint>{fake.lastId});
  }
};

QTEST_GUILESS_MAIN(NotificationTest)
#include "NotificationTest.moc"
