// The state and the ports bundled together: what every core operation takes.
#pragma once

#include "app/AppState.h"
#include "app/NullPorts.h"
#include "app/Ports.h"

struct Ports {
  MainWindowView& Window;
  SoundChannel& Sound;
  KeyValueStore& Store;
  UserFolders& Folders;
  FolderListing& Listing;
  Clock& Time;
  OutputVolume& Volume;
  TuneStore& Tunes;
  Launcher& Programs;
  FolderChooser& Chooser;
  AlarmNotifier& Notifier = NoAlarmNotifier();  // only where the desktop has one
};

struct App {
  AppState State;
  Ports Port;
};
