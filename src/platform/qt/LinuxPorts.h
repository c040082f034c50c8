// The one place where the Linux program picks its platform adapters.
#pragma once

#include <memory>

#include "AlarmAttention.h"
#include "DBusAlarmNotifier.h"
#include "QtFolderChooser.h"
#include "QtKeyValueStore.h"
#include "QtLauncher.h"
#include "app/App.h"

class MainWindow;

class LinuxPorts {
 public:
  LinuxPorts();
  ~LinuxPorts();
  // The ports of the program, with the given main window as its view; the
  // window also asks for attention at the alarm.
  Ports Bind(MainWindow& window);
  DBusAlarmNotifier& Notifier() { return notifier_; }

 private:
  std::unique_ptr<SoundChannel> sound_;
  QtKeyValueStore store_;
  std::unique_ptr<UserFolders> folders_;
  std::unique_ptr<FolderListing> listing_;
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<OutputVolume> volume_;
  std::unique_ptr<TuneStore> tunes_;
  QtLauncher launcher_;
  QtFolderChooser chooser_;
  DBusAlarmNotifier notifier_;
  std::unique_ptr<AlarmAttention> attention_;
};
