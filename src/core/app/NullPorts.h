// Ports that do nothing: a missing platform service is never a null pointer.
#pragma once

#include "app/Ports.h"

class NullMainWindowView : public MainWindowView {
 public:
  void SetCaption(const std::string&) override {}
  std::string Caption() override { return {}; }
  void SetItemText(int, const std::string&) override {}
  std::string ItemText(int) override { return {}; }
  bool IsMinimized() override { return false; }
  void Notice(const std::string&) override {}
  void Beep() override {}
  int FocusedItem() override { return 0; }
  void FocusItem(int) override {}
  void Minimize() override {}
  void OpenMusicDialog() override {}
};

class NullMusicDialogView : public MusicDialogView {
 public:
  std::string FolderText() override { return {}; }
  void SetFolderText(const std::string&) override {}
  std::string MessageText() override { return {}; }
  void SetMessageText(const std::string&) override {}
  void SetChecked(int, bool) override {}
};

// No sound device: every open fails and the mode stays empty.
class NullSoundChannel : public SoundChannel {
 public:
  void Close() override {}
  void Open(const std::string&) override {}
  void Play() override {}
  std::string Mode() const override { return {}; }
  void Release() override {}
};

// Nothing can be stored; every read gives the default.
class NullKeyValueStore : public KeyValueStore {
 public:
  bool CreateKey(const std::string&, Key&) override { return false; }
  bool SetValue(Key, const std::string&, std::string_view) override { return false; }
  bool OpenKey(const std::string&, Key&) override { return false; }
  bool QueryValue(Key, const std::string&, char*, std::uint32_t&) override { return false; }
  void CloseKey(Key) override {}
};

class NullUserFolders : public UserFolders {
 public:
  std::string SpecialFolderPath(int) override { return {}; }
  std::string TempFolder() override { return {}; }
};

class NullFolderListing : public FolderListing {
 public:
  Handle FindFirst(const std::string&, FindData&, std::uint32_t& error) override {
    error = ListingFileNotFound;
    return InvalidHandle;
  }
  bool FindNext(Handle, FindData&, std::uint32_t& error) override {
    error = ListingNoMoreFiles;
    return false;
  }
  void FindClose(Handle) override {}
};

class NullClock : public Clock {
 public:
  std::int64_t UtcSeconds() override { return 0; }
  std::int64_t BootSeconds() override { return 0; }
  std::int32_t UtcOffset(std::int64_t) override { return 0; }
  std::optional<std::uint64_t> PerformanceCounter() override { return std::nullopt; }
  std::uint32_t MillisecondsSinceStart() override { return 0; }
};

class NullOutputVolume : public OutputVolume {
 public:
  std::optional<std::uint32_t> GetWaveVolume() override { return std::nullopt; }
  void SetWaveVolume(std::uint32_t) override {}
  void SetMidiVolume(std::uint32_t) override {}
};

class NullTuneStore : public TuneStore {
 public:
  std::optional<std::string_view> FindResource(const std::string&, const std::string&) override { return std::nullopt; }
  bool WriteFile(const std::string&, std::string_view) override { return false; }
};

class NullLauncher : public Launcher {
 public:
  bool Launch(const std::string&) override { return false; }
};

class NullFolderChooser : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
};

// No notification service (and Windows, whose message box comes to the front).
class NullAlarmNotifier : public AlarmNotifier {
 public:
  void ShowAlarm(const std::string&) override {}
  void WithdrawAlarm() override {}
};

// The one shared do-nothing notifier, for ports bundled without one.
inline AlarmNotifier& NoAlarmNotifier() {
  static NullAlarmNotifier none;
  return none;
}
