// Test doubles for every port, and a TestApp that wires them to an App.
// They record what the core asked of them so tests can check order and texts.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/App.h"

// A clock the test sets and advances; it never reads the real time.
class FakeClock : public Clock {
 public:
  void Set(int hour, int minute, int second);
  void SetSeconds(std::int32_t secondsOfDay);
  void Advance(std::int32_t seconds);  // wraps at midnight
  std::int32_t Seconds() const { return seconds_; }
  LocalTime Now() override;
  std::optional<std::uint64_t> PerformanceCounter() override { return counter; }
  std::uint32_t MillisecondsSinceStart() override { return milliseconds; }

  std::optional<std::uint64_t> counter = 12345;
  std::uint32_t milliseconds = 777;

 private:
  std::int32_t seconds_ = 0;
};

class FakeMainWindowView : public MainWindowView {
 public:
  void SetCaption(const std::string& text) override;
  std::string Caption() override { return caption; }
  void SetItemText(int id, const std::string& text) override;
  std::string ItemText(int id) override;
  bool IsMinimized() override { return minimized; }
  void Notice(const std::string& text) override;
  void Beep() override { ++beeps; }
  int FocusedItem() override { return focused; }
  void FocusItem(int id) override { focused = id; }
  void Minimize() override { minimized = true; }
  void OpenMusicDialog() override { ++dialogOpens; }

  std::string caption = "Timer";
  std::vector<std::string> captions;  // every caption set, in order
  std::map<int, std::string> items;
  std::vector<std::string> notices;
  int beeps = 0;
  bool minimized = false;
  int focused = 0;
  int dialogOpens = 0;
  // Runs inside Notice, as a nested message loop would.
  std::function<void()> onNotice;
  // Runs after each caption is set, so tests can see it among other calls.
  std::function<void(const std::string&)> onCaption;
};

class FakeMusicDialogView : public MusicDialogView {
 public:
  std::string FolderText() override { return folder; }
  void SetFolderText(const std::string& text) override { folder = text; }
  std::string MessageText() override { return message; }
  void SetMessageText(const std::string& text) override { message = text; }
  void SetChecked(int id, bool isChecked) override { checked[id] = isChecked; }

  std::string folder;
  std::string message;
  std::map<int, bool> checked;
};

// Records every command as text: "close", "open <path>", "play", "status".
class FakeSoundChannel : public SoundChannel {
 public:
  void Close() override;
  void Open(const std::string& path) override;
  void Play() override;
  std::string Mode() override;

  void FinishSong();  // the open song has played to its end
  std::vector<std::string> log;
  std::set<std::string> unplayable;  // paths whose open fails (besides "")
  std::set<std::string> endsAtOnce;  // paths that open but cannot play
  bool isOpen = false;
  bool ended = false;
  std::string openPath;
};

// An in-memory registry: key path -> value name -> data bytes.
class MemoryKeyValueStore : public KeyValueStore {
 public:
  bool CreateKey(const std::string& path, Key& key) override;
  bool SetValue(Key key, const std::string& valueName, std::string_view data) override;
  bool OpenKey(const std::string& path, Key& key) override;
  bool QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) override;
  void CloseKey(Key key) override;

  // The stored text of a setting (data up to its NUL), if any.
  std::optional<std::string> Text(const std::string& keyPath) const;
  void PutRaw(const std::string& keyPath, const std::string& valueName, const std::string& data);

  std::map<std::string, std::map<std::string, std::string>> keys;
  std::map<Key, std::string> openKeys;
  int writes = 0;

 private:
  Key next_ = 1;
};

class FakeUserFolders : public UserFolders {
 public:
  std::string SpecialFolderPath(int folderId) override { return folderId == 13 ? musicFolder : std::string(); }
  std::string TempFolder() override { return tempFolder; }
  std::string musicFolder;
  std::string tempFolder;
};

// An in-memory folder tree. Folders are keyed by their path with a trailing
// separator; entries keep the order they were added (the listing order).
class FakeFolderListing : public FolderListing {
 public:
  struct Entry {
    std::string name;
    std::uint32_t attributes;
    std::uint64_t size;
  };
  void AddFolder(const std::string& path);  // creates parents too; adds "." and ".."
  void AddFile(const std::string& folder, const std::string& name, std::uint64_t size = 1000,
               std::uint32_t attributes = FileAttrArchive);
  void AddSubfolder(const std::string& folder, const std::string& name, std::uint32_t attributes = FileAttrDirectory);
  void Remove(const std::string& folder, const std::string& name);

  Handle FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) override;
  bool FindNext(Handle handle, FindData& data, std::uint32_t& error) override;
  void FindClose(Handle handle) override;

  std::map<std::string, std::vector<Entry>> folders;
  std::vector<std::string> patterns;  // every FindFirst pattern, in order
  int openListings = 0;
  std::function<void(const std::string&)> onFindFirst;  // runs at each FindFirst

 private:
  struct Listing {
    std::vector<Entry> matches;
    std::size_t pos;
  };
  static void Fill(const Entry& entry, FindData& data);
  std::map<Handle, Listing> listings_;
  Handle next_ = 1;
};

class FakeOutputVolume : public OutputVolume {
 public:
  std::optional<std::uint32_t> GetWaveVolume() override { return readable ? std::optional(wave) : std::nullopt; }
  void SetWaveVolume(std::uint32_t value) override { wave = value; }
  void SetMidiVolume(std::uint32_t value) override { midi = value; }
  std::uint32_t wave = 0xFFFFFFFF;
  std::uint32_t midi = 0;
  bool readable = true;
};

class FakeTuneStore : public TuneStore {
 public:
  FakeTuneStore();  // a small distinct byte string for each letter a..z
  std::optional<std::string_view> FindResource(const std::string& name, const std::string& type) override;
  bool WriteFile(const std::string& path, std::string_view bytes) override;
  std::map<std::string, std::string> resources;  // lower-case name -> bytes
  std::map<std::string, std::string> files;
  bool failWrite = false;
  std::function<void(const std::string&)> onWrite;  // runs at each write attempt
};

class FakeLauncher : public Launcher {
 public:
  bool Launch(const std::string& program) override;
  std::set<std::string> startable;
  std::vector<std::string> launched;  // every attempt, in order
};

class FakeFolderChooser : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(const std::string& current) override;
  std::optional<std::string> answer;
  std::vector<std::string> openedOn;
};

// The desktop notification: what is on screen now, "" message included.
class FakeAlarmNotifier : public AlarmNotifier {
 public:
  void ShowAlarm(const std::string& message) override { shown = message; }
  void WithdrawAlarm() override { shown.reset(); }
  std::optional<std::string> shown;
};

// Every fake, wired into one App.
struct TestApp {
  FakeMainWindowView window;
  FakeSoundChannel sound;
  MemoryKeyValueStore store;
  FakeUserFolders folders;
  FakeFolderListing listing;
  FakeClock clock;
  FakeOutputVolume volume;
  FakeTuneStore tunes;
  FakeLauncher launcher;
  FakeFolderChooser chooser;
  FakeAlarmNotifier notifier;
  App app{AppState{}, Ports{window, sound, store, folders, listing, clock, volume, tunes, launcher, chooser, notifier}};
  AppState& state = app.State;

  // One timer message, as the window delivers it.
  void Tick();
  // Advances the clock one second at a time, ticking after each.
  void RunSeconds(int seconds);
};
