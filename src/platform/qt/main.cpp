// Tovin's Timer for the Linux desktop: start-up and the event loop.
#include <QApplication>

#include "LinuxPorts.h"
#include "MainWindow.h"
#include "QuitOnSignal.h"
#include "TimerStyle.h"
#include "music/Music.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tovin's Timer"));
  QApplication::setDesktopFileName(QStringLiteral("tovins-timer"));
  QApplication::setStyle(new TimerStyle);
  QuitOnSignals(&application);

  // The adapters outlive the window, whose last events may still reach them.
  LinuxPorts adapters;
  MainWindow window;
  App app{AppState{}, adapters.Bind(window)};
  adapters.Notifier().SetStopAction([&app] { StopMusic(app); });
  window.Start(app);
  window.show();
  return QApplication::exec();
}
