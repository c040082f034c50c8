// The session-bus side of the program (see RemoteControl.h).
#include "RemoteControl.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

namespace {
// Each copy owns the prefix followed by its process id.
const QString NamePrefix = QStringLiteral("org.example.tovins_timer.Copy");
const QString Path = QStringLiteral("/org/example/tovins_timer");
const QString Interface = QStringLiteral("org.example.tovins_timer.Timer");
// A copy busy for longer than this is not answering.
constexpr int AnswerMs = 5000;
}  // namespace

void StopMusicService::Register() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  bus.registerObject(Path, this, QDBusConnection::ExportScriptableSlots);
  bus.registerService(NamePrefix + QString::number(QCoreApplication::applicationPid()));
}

int StopMusicInEveryCopy() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return 0;
  int stopped = 0;
  for (const QString& name : bus.interface()->registeredServiceNames().value()) {
    if (!name.startsWith(NamePrefix)) continue;
    const QDBusMessage call = QDBusMessage::createMethodCall(name, Path, Interface, QStringLiteral("StopMusic"));
    if (bus.call(call, QDBus::Block, AnswerMs).type() == QDBusMessage::ReplyMessage) ++stopped;
  }
  return stopped;
}

void ShowOnLauncher(const TaskProgress& progress) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage update =
      QDBusMessage::createSignal(Path, QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
  update << QStringLiteral("application://tovins-timer.desktop")
         << QVariantMap{{QStringLiteral("progress"), progress.PerMille / 1000.0},
                        {QStringLiteral("progress-visible"), progress.Visible},
                        {QStringLiteral("urgent"), progress.Urgent}};
  bus.send(update);
}
