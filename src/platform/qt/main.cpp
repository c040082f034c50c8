// Tovin's Timer for the Linux desktop: start-up and the event loop.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "Accessibility.h"
#include "AlarmAttention.h"
#include "LinuxPorts.h"
#include "MainWindow.h"
#include "QuitOnSignal.h"
#include "RemoteControl.h"
#include "StreamIdentity.h"
#include "TimerStyle.h"
#include "app/CommandLine.h"
#include "app/Text.h"
#include "music/Music.h"

namespace {
// The toolkit's parser reads the options; the core's rules say what they ask for.
ParsedArguments ParseWithQt(const QStringList& arguments) {
  QCommandLineParser parser;
  for (const LaunchOption& option : LaunchOptions) {
    QStringList names;
    if (*option.Short) names << QString::fromLatin1(option.Short);
    names << QString::fromLatin1(option.Long);
    QCommandLineOption qtOption(names, QString::fromLatin1(option.Description));
    if (option.ValueName) qtOption.setValueName(QString::fromLatin1(option.ValueName));
    parser.addOption(qtOption);
  }
  ParsedArguments parsed;
  if (!parser.parse(arguments)) {
    parsed.Error = parser.errorText().toStdString();
    return parsed;
  }
  parsed.Help = parser.isSet(QStringLiteral("help"));
  parsed.Version = parser.isSet(QStringLiteral("version"));
  parsed.Stop = parser.isSet(QStringLiteral("stop"));
  parsed.Minimized = parser.isSet(QStringLiteral("minimized"));
  if (parser.isSet(QStringLiteral("message"))) parsed.Message = parser.value(QStringLiteral("message")).toStdString();
  for (const QString& word : parser.positionalArguments()) parsed.Positionals.push_back(word.toStdString());
  return parsed;
}

// Whether the arguments hold one of the options QApplication takes for itself.
bool HasToolkitOption(const QStringList& arguments) {
  static const QStringList toolkitOptions =
      QStringLiteral(
          "platform platformpluginpath platformtheme plugin qwindowgeometry qwindowicon qwindowtitle reverse "
          "session display geometry style stylesheet widgetcount nograb dograb sync name title visual")
          .split(QLatin1Char(' '));
  for (const QString& argument : arguments.mid(1)) {
    if (argument == QStringLiteral("--")) break;
    QString name = argument.section(QLatin1Char('='), 0, 0);
    if (!name.startsWith(QLatin1Char('-'))) continue;
    name.remove(0, name.startsWith(QStringLiteral("--")) ? 2 : 1);
    if (toolkitOptions.contains(name)) return true;
  }
  return false;
}

LaunchRequest Decide(const ParsedArguments& parsed, const QStringList& arguments) {
  const QString program = arguments.isEmpty() ? QStringLiteral("tovins-timer") : QFileInfo(arguments[0]).fileName();
  return DecideLaunch(parsed, {program.toStdString(), false, TIMER_VERSION});
}

// What ends without a window: the help, the version, an error, --stop.
int Finish(const LaunchRequest& request, int argc, char** argv) {
  if (request.Action == LaunchAction::Stop) {
    std::optional<QCoreApplication> forTheBus;  // the bus needs one; after a late reading QApplication is it
    if (!QCoreApplication::instance()) forTheBus.emplace(argc, argv);
    if (StopMusicInEveryCopy() > 0) return 0;
    std::fputs("tovins-timer: no copy of Tovin's Timer is running.\n", stderr);
    return 1;
  }
  std::fputs(request.Text.c_str(), request.Action == LaunchAction::Fail ? stderr : stdout);
  return request.ExitStatus;
}
}  // namespace

int main(int argc, char** argv) {
  // Read before the window system is reached, so that --help and a bad entry
  // need no display. Qt's own options ("-platform") are only known once
  // QApplication has taken them out: an unknown option is read again then.
  QStringList rawArguments;
  for (int i = 0; i < argc; ++i) rawArguments << QString::fromLocal8Bit(argv[i]);
  const ParsedArguments firstReading = ParseWithQt(rawArguments);
  LaunchRequest request = Decide(firstReading, rawArguments);
  const bool readAgain = !firstReading.Error.empty() && HasToolkitOption(rawArguments);
  if (request.Action != LaunchAction::Open && !readAgain) return Finish(request, argc, argv);

  SetSoundEnvironment();
  // Shared-memory images gain a window this small nothing, and every such
  // paint waits for the X server's reply: with plain requests a clock tick is
  // one write. Not passed on to programs started from here.
  const bool shmChosen = qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
  if (!shmChosen) qputenv("QT_XCB_NO_MITSHM", "1");
  QApplication application(argc, argv);
  if (!shmChosen) qunsetenv("QT_XCB_NO_MITSHM");
  QApplication::setApplicationName(QString::fromUtf8(ProgramName));
  QApplication::setDesktopFileName(QStringLiteral("tovins-timer"));
  if (readAgain) {
    request = Decide(ParseWithQt(QApplication::arguments()), QApplication::arguments());
    if (request.Action != LaunchAction::Open) return Finish(request, argc, argv);
  }
  QApplication::setStyle(new TimerStyle);
  QuitOnSignals(&application);

  // The adapters outlive the window, whose last events may still reach them.
  LinuxPorts adapters;
  MainWindow window;
  // At the alarm: the window asks for attention, a screen reader is told,
  // and the desktop shows its notification.
  SpokenAlarmNotifier spoken(*window.Announcer(), adapters.Notifier());
  AlarmAttention alarms(spoken, window);
  App app{AppState{}, adapters.Bind(window, alarms)};
  adapters.Notifier().SetStopAction([&app] { StopMusic(app); });
  window.Start(app);
  ApplyLaunch(app, request);
  ProgressWatch progress;
  window.SetAfterTick([&app, &progress] {
    if (const auto shown = WatchProgress(progress, app.State)) ShowOnLauncher(*shown);
  });
  if (request.Minimized) {
    window.showMinimized();
  } else {
    window.show();
  }
  // Reachable by other copies' --stop once the window is up.
  StopMusicService stopService([&app] { StopMusic(app); });
  QTimer::singleShot(0, &stopService, &StopMusicService::Register);
  const int status = QApplication::exec();
  // A desktop's logout waits on us. What must outlive the program is done by
  // now (the settings are written as they change) or here (the notification's
  // withdrawal); the libraries' own teardown, a tenth of a second of draining
  // for the sound device alone, is left to the system.
  adapters.Notifier().WithdrawBeforeExit();
  std::fflush(nullptr);
  std::_Exit(status);
}
