// Tovin's Timer for the Linux desktop: start-up and the event loop.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "Accessibility.h"
#include "AlarmAttention.h"
#include "LinuxPorts.h"
#include "MainWindow.h"
#include "QuitOnSignal.h"
#include "StreamIdentity.h"
#include "TimerStyle.h"
#include "music/Music.h"

int main(int argc, char** argv) {
  NameSoundStreams();
  // Shared-memory images gain a window this small nothing, and every such
  // paint waits for the X server's reply: with plain requests a clock tick is
  // one write. Not passed on to programs started from here.
  const bool shmChosen = qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
  if (!shmChosen) qputenv("QT_XCB_NO_MITSHM", "1");
  QApplication application(argc, argv);
  if (!shmChosen) qunsetenv("QT_XCB_NO_MITSHM");
  QApplication::setApplicationName(QStringLiteral("Tovin's Timer"));
  QApplication::setDesktopFileName(QStringLiteral("tovins-timer"));
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
  window.show();
  const int status = QApplication::exec();
  // A desktop's logout waits on us. What must outlive the program is done by
  // now (the settings are written as they change) or here (the notification's
  // withdrawal); the libraries' own teardown, a tenth of a second of draining
  // for the sound device alone, is left to the system.
  adapters.Notifier().WithdrawBeforeExit();
  std::fflush(nullptr);
  std::_Exit(status);
}
