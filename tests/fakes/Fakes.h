// Test doubles for every port, and a TestApp that wires them to an App.
// They keep what the core asked of them so tests can check the outcome.
#pragma once

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>

#include "alarm/AlarmSetting.h"
#include "alarm/Countdown.h"
#include "app/App.h"
#include "app/Ids.h"
#include "app/Platform.h"

// A path written with "/" in a test, with the platform's separator.
inline std::string P(std::string path) {
  std::replace(path.begin(), path.end(), '/', PathSeparator);
  return path;
}

// A clock the test sets and advances; it never reads the real time. Its zone
// is UTC unless the test gives offsets: `offset` before the first change,
// then each change's offset from its UTC second on.
struct FakeClock : Clock {
  static constexpr std::int64_t Day = 1796601600;  // 2026-12-07 00:00:00 UTC
  // The local time of day on that day (the wall clock set: the boot clock stays).
  void Set(int hour, int minute, int second) { SetSeconds((hour * 60 + minute) * 60 + second); }
  void SetSeconds(std::int32_t secondsOfDay) { utc = Day + secondsOfDay - UtcOffset(Day + secondsOfDay); }
  void Advance(std::int32_t seconds) {  // time passes, awake or asleep: every clock runs on
    utc += seconds, boot += seconds;
    counter = counter ? *counter + static_cast<std::uint64_t>(seconds) * 1000003u : counter;
  }
  std::int64_t UtcSeconds() override { return utc; }
  std::int64_t BootSeconds() override { return boot; }
  std::int32_t UtcOffset(std::int64_t at) override {
    if (zone) return zone->UtcOffset(at);
    return changes.upper_bound(at) == changes.begin() ? offset : std::prev(changes.upper_bound(at))->second;
  }
  std::optional<std::uint64_t> PerformanceCounter() override { return counter; }
  std::uint32_t MillisecondsSinceStart() override { return milliseconds; }
  std::optional<std::uint64_t> counter = 12345;
  std::uint32_t milliseconds = 777;
  std::int64_t utc = Day, boot = 86;  // boot: since the computer started
  std::int32_t offset = 0;
  std::map<std::int64_t, std::int32_t> changes;
  Clock* zone = nullptr;  // when set, its zone rules (a real clock's) instead
};

struct FakeMainWindowView : MainWindowView {
  void SetCaption(const std::string& text) override { captions.push_back(caption = text); }
  std::string Caption() override { return caption; }
  void SetItemText(int id, const std::string& text) override { items[id] = text; }
  std::string ItemText(int id) override { return items[id]; }
  bool IsMinimized() override { return minimized; }
  void Notice(const std::string& text) override { notices.push_back(text), onNotice ? onNotice() : void(); }
  void Beep() override { ++beeps; }
  int FocusedItem() override { return focused; }
  void FocusItem(int id) override { focused = id; }
  void Minimize() override { minimized = true; }
  void OpenMusicDialog() override { ++dialogs; }

  std::string caption = "Timer";
  std::vector<std::string> captions;  // every caption set, in order
  std::map<int, std::string> items;
  std::vector<std::string> notices;
  int beeps = 0, focused = 0, dialogs = 0;
  bool minimized = false;
  std::function<void()> onNotice;  // runs inside Notice, as a nested message loop would
};

struct FakeMusicDialogView : MusicDialogView {
  std::string FolderText() override { return folder; }
  void SetFolderText(const std::string& text) override { folder = text; }
  std::string MessageText() override { return message; }
  void SetMessageText(const std::string& text) override { message = text; }
  void SetChecked(int, bool) override {}
  std::string folder, message;
};

// Records every command as text: "close", "open <path>", "tone", "play", "status"; counts releases.
struct FakeSoundChannel : SoundChannel {
  void Close() override { log.push_back("close"), isOpen = ended = false, openPath.clear(); }
  void Open(const std::string& path) override {  // refused: alias in use, or cannot open
    log.push_back("open " + path), onOpen ? onOpen() : void();
    if (!isOpen && !path.empty() && !unplayable.count(path) && device) isOpen = true, openPath = path;
  }
  bool OpenTone() override {  // open as the path "tone"
    log.push_back("tone");
    return !isOpen && device && (isOpen = true, openPath = "tone", true);
  }
  std::string Lacking() override { return lacking; }
  void Play() override { log.push_back("play"); }
  std::string Mode() const override {
    log.push_back("status");
    return !reply.empty() ? reply : !isOpen ? "" : ended || endsAtOnce.count(openPath) ? "stopped" : "playing";
  }
  void Release() override { ++releases; }
  void FinishSong() { ended = true; }  // the open song has played to its end

  mutable std::vector<std::string> log;
  // Paths whose open fails (besides ""), and paths that open but read as stopped at once.
  std::set<std::string> unplayable, endsAtOnce;
  // device false: every open fails; lacking: what the channel says a tune lacked; reply: the mode reply, when the
  // test chooses one.
  bool device = true, isOpen = false, ended = false;
  std::string lacking, reply, openPath;
  std::function<void()> onOpen;  // runs at each open (the time it takes)
  int releases = 0;
};

// An in-memory registry: key path -> value name -> data bytes.
struct FakeKeyValueStore : KeyValueStore {
  bool CreateKey(const std::string& p, Key& key) override { return keys[p], openKeys[key = next_++] = p, true; }
  bool SetValue(Key key, const std::string& valueName, std::string_view data) override {
    return openKeys.count(key) && (keys[openKeys[key]][valueName] = data, true);
  }
  bool OpenKey(const std::string& path, Key& key) override { return keys.count(path) && CreateKey(path, key); }
  bool QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) override {
    if (!openKeys.count(key) || !keys[openKeys[key]].count(valueName)) return false;
    const std::string& value = keys[openKeys[key]][valueName];
    return value.size() <= size && (size = static_cast<std::uint32_t>(value.copy(buffer, size)), true);
  }
  void CloseKey(Key key) override { openKeys.erase(key); }

  // The stored text of a setting (data up to its NUL), if any.
  std::optional<std::string> Text(const std::string& path) const {
    if (!keys.count(path) || !keys.at(path).count("String Value")) return std::nullopt;
    return keys.at(path).at("String Value").c_str();
  }
  void PutRaw(const std::string& key, const std::string& name, const std::string& data) { keys[key][name] = data; }
  std::map<std::string, std::map<std::string, std::string>> keys;
  std::map<Key, std::string> openKeys;
  Key next_ = 1;
};

struct FakeUserFolders : UserFolders {
  std::string SpecialFolderPath(int folderId) override { return folderId == 13 ? musicFolder : std::string(); }
  std::string TempFolder() override { return tempFolder; }
  std::string musicFolder, tempFolder;
};

// An in-memory folder tree: folder path with its trailing separator -> its
// entries in listing order, "." and ".." first. A subfolder is an entry with
// FileAttrDirectory; its own entries make it a folder.
struct FakeFolderListing : FolderListing {
  void AddFile(const std::string& folder, const std::string& name, std::uint64_t size = 1000,
               std::uint32_t attributes = FileAttrArchive) {
    auto& entries = folders[folder.ends_with(PathSeparator) ? folder : folder + PathSeparator];
    if (entries.empty()) entries = {{".", FileAttrDirectory}, {"..", FileAttrDirectory}};
    entries.push_back({name, attributes, static_cast<std::uint32_t>(size >> 32), static_cast<std::uint32_t>(size)});
  }
  // Patterns are "<folder>*.*" (everything) or "<folder>*<suffix>" (any case).
  Handle FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) override {
    const auto lower = [](std::string text) {
      for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return text;
    };
    const std::size_t cut = pattern.rfind(PathSeparator) + 1;
    const std::string suffix = lower(pattern.substr(cut + 1));
    std::vector<FindData>& matches = listings_[next_];
    for (const FindData& entry : folders[pattern.substr(0, cut)])
      if (suffix == ".*" || lower(entry.Name).ends_with(suffix)) matches.push_back(entry);
    if (matches.empty()) return listings_.erase(next_), error = ListingFileNotFound, InvalidHandle;
    ++openListings;
    FindNext(next_, data, error);
    return next_++;
  }
  bool FindNext(Handle handle, FindData& data, std::uint32_t& error) override {
    const auto left = listings_.find(handle);
    if (left == listings_.end() || left->second.empty()) return error = ListingNoMoreFiles, false;
    data = left->second.front(), left->second.erase(left->second.begin());
    return true;
  }
  void FindClose(Handle handle) override { openListings -= static_cast<int>(listings_.erase(handle)); }

  std::map<std::string, std::vector<FindData>> folders;
  int openListings = 0;
  std::map<Handle, std::vector<FindData>> listings_;  // the matches not yet returned
  Handle next_ = 1;
};

struct FakeOutputVolume : OutputVolume {
  std::optional<std::uint32_t> GetWaveVolume() override { return wave; }
  void SetWaveVolume(std::uint32_t value) override { wave = value; }
  void SetMidiVolume(std::uint32_t value) override { midi = value; }
  void UnmuteStream() override { ++unmutes; }
  std::uint32_t wave = 0xFFFFFFFF, midi = 0xFFFFFFFF;
  int unmutes = 0;
};

// Tunes "a".."z", each a small distinct byte string.
struct FakeTuneStore : TuneStore {
  std::optional<std::string_view> FindResource(const std::string& name, const std::string& type) override {
    if (type != "MIDI" || name.size() != 1 || name[0] < 'a' || name[0] > 'z') return std::nullopt;
    return std::string_view(found_ = "MThd-tune-" + name);
  }
  bool WriteFile(const std::string& path, std::string_view bytes) override { return files[path] = bytes, true; }
  std::map<std::string, std::string> files;
  std::string found_;
};

struct FakeLauncher : Launcher {
  bool Launch(const std::string& program) override { return launched.push_back(program), startable.count(program); }
  std::set<std::string> startable;
  std::vector<std::string> launched;  // every attempt, in order
};

struct FakeFolderChooser : FolderChooser {
  std::optional<std::string> ChooseFolder(const std::string&) override { return answer; }
  std::optional<std::string> answer;
};

// The desktop notification: what is on screen now, "" message included.
struct FakeAlarmNotifier : AlarmNotifier {
  void ShowAlarm(const std::string& message) override { shown = message; }
  void WithdrawAlarm() override { shown.reset(); }
  std::optional<std::string> shown;
};

// Every fake, wired into one App.
struct TestApp {
  FakeMainWindowView window;
  FakeSoundChannel sound;
  FakeKeyValueStore store;
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

  void Tick() { ClockTick(app), CountdownTick(app); }  // one timer message, as the window delivers it
  void Enter(const std::string& entry) { window.items[IdTimeEdit] = entry, StartTimer(app); }  // typed, then START
  void RunSeconds(int seconds) {  // the clock advanced a second at a time, a tick after each
    for (int i = 0; i < seconds; ++i) clock.Advance(1), Tick();
  }
};
