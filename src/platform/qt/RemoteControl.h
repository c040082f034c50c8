// The program reached from outside its window over the session bus: every
// running copy answers "stop the music", and the desktop's launcher shows the
// countdown (com.canonical.Unity.LauncherEntry, read by KDE Plasma and docks).
#pragma once

#include <QObject>
#include <functional>

#include "app/Progress.h"

// This copy's own name on the bus, with one method for other copies' --stop.
class StopMusicService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.example.tovins_timer.Timer")
 public:
  explicit StopMusicService(std::function<void()> stop, QObject* parent = nullptr)
      : QObject(parent), stop_(std::move(stop)) {}
  // Takes the name; without a session bus the copy simply can't be reached.
  void Register();

 public slots:
  Q_SCRIPTABLE void StopMusic() { stop_(); }

 private:
  std::function<void()> stop_;
};

// Stops the music of every copy on the session bus; how many answered.
int StopMusicInEveryCopy();

// The launcher's progress bar and call for attention, sent only as they change.
void ShowOnLauncher(const TaskProgress& progress);
