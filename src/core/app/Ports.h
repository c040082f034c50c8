// The platform services the core asks for, one small interface each.
// Shells implement them; tests use the fakes; Null versions do nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The main window: caption, control texts, message boxes, focus.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  virtual void SetCaption(const std::string& text) = 0;
  virtual std::string Caption() = 0;
  // Setting or reading a control that does not exist has no effect / gives "".
  virtual void SetItemText(int id, const std::string& text) = 0;
  virtual std::string ItemText(int id) = 0;
  virtual bool IsMinimized() = 0;
  // Modal box titled "Tovin's Timer", one OK button, no icon, brought to the
  // front. Ticks keep arriving while it is open.
  virtual void Notice(const std::string& text) = 0;
  virtual void Beep() = 0;        // the one short "invalid entry" sound
  virtual int FocusedItem() = 0;  // control id, or 0 for none of ours
  virtual void FocusItem(int id) = 0;
  virtual void Minimize() = 0;
  virtual void OpenMusicDialog() = 0;  // modal; returns when it closes
};

// The music settings dialog's controls, as the dialog logic sees them.
class MusicDialogView {
 public:
  virtual ~MusicDialogView() = default;
  virtual std::string FolderText() = 0;
  virtual void SetFolderText(const std::string& text) = 0;
  virtual std::string MessageText() = 0;
  virtual void SetMessageText(const std::string& text) = 0;
  virtual void SetChecked(int id, bool checked) = 0;
};

// The one sound channel: at most one song open at a time.
// A channel's mode while a slow open goes on off the window's thread: the
// song may yet play or read as stopped.
inline constexpr const char* OpeningMode = "opening";

class SoundChannel {
 public:
  virtual ~SoundChannel() = default;
  virtual void Close() = 0;                        // no effect if nothing is open
  virtual void Open(const std::string& path) = 0;  // failure leaves it closed
  virtual void Play() = 0;                         // from the start, returns at once
  // Contains "stopped" once the open song has ended or cannot play; empty
  // when nothing is open; OpeningMode while an open goes on in the background.
  virtual std::string Mode() const = 0;
  // The music is over: the device goes (with what was loaded for it), so the
  // sound server idles, and the next open takes it again. No effect while a
  // song or the tone is open. The core asks at every tick without music in
  // force, so the tries of one song start share the device.
  virtual void Release() = 0;
  // The program's own tone, opened like a song where no song or tune can
  // play: Play sounds it, again and again until Close. False when no device
  // opens (or the platform has none).
  virtual bool OpenTone() { return false; }
  // What a tune lacked to be heard, in the user's words; "" when not known.
  virtual std::string Lacking() { return {}; }
};

// Per-user hierarchical key-value store: the five registry-like operations.
// Keys are paths with "\" between levels; values are raw bytes.
class KeyValueStore {
 public:
  using Key = std::uintptr_t;
  virtual ~KeyValueStore() = default;
  // Opens the key for writing, creating it and every missing key above it.
  virtual bool CreateKey(const std::string& path, Key& key) = 0;
  // Stores data (the text with its terminating NUL) as a text value.
  virtual bool SetValue(Key key, const std::string& valueName, std::string_view data) = 0;
  // Opens an existing key for reading; fails if it is absent.
  virtual bool OpenKey(const std::string& path, Key& key) = 0;
  // Copies the value's data into buffer; fails when the value is absent or its
  // data is larger than size. On success size becomes the data's length.
  virtual bool QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) = 0;
  virtual void CloseKey(Key key) = 0;
};

// Shell folders: the user's music folder and temporary folder.
class UserFolders {
 public:
  virtual ~UserFolders() = default;
  // Path of a shell special folder (CSIDL number); "" when there is none.
  virtual std::string SpecialFolderPath(int folderId) = 0;
  // The per-user temporary folder, normally ending with the path separator.
  virtual std::string TempFolder() = 0;
};

// One directory entry as a folder listing reports it.
struct FindData {
  std::string Name;              // without folder
  std::uint32_t Attributes = 0;  // FileAttr* bits below
  std::uint32_t SizeHigh = 0;
  std::uint32_t SizeLow = 0;
};

constexpr std::uint32_t FileAttrHidden = 0x02;
constexpr std::uint32_t FileAttrSystem = 0x04;
constexpr std::uint32_t FileAttrDirectory = 0x10;
constexpr std::uint32_t FileAttrArchive = 0x20;

// A listing's error codes, as Windows gives them; every listing uses these numbers.
constexpr std::uint32_t ListingFileNotFound = 2;
constexpr std::uint32_t ListingPathNotFound = 3;
constexpr std::uint32_t ListingAccessDenied = 5;
constexpr std::uint32_t ListingNoMoreFiles = 18;

// Lists a folder by pattern ("<folder><sep>*.mp3", "<folder><sep>*.*"),
// like FindFirstFile / FindNextFile / FindClose.
class FolderListing {
 public:
  using Handle = std::uintptr_t;
  static constexpr Handle InvalidHandle = ~Handle{0};
  virtual ~FolderListing() = default;
  // Returns InvalidHandle and sets error (nonzero) when nothing matches.
  virtual Handle FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) = 0;
  // Returns false and sets error when there is no further entry.
  virtual bool FindNext(Handle handle, FindData& data, std::uint32_t& error) = 0;
  virtual void FindClose(Handle handle) = 0;
};

struct LocalTime {
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

// Real time, the local zone's rules, and the seed sources of the random
// generator. A clock-time alarm is a point in UTC time that the local clock
// shows; a minutes alarm is a span on the boot clock.
class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1970-01-01 00:00 UTC: the wall clock, which the user or a
  // time service may set forward or back.
  virtual std::int64_t UtcSeconds() = 0;
  // Seconds on a clock that counts time asleep too but never moves when the
  // wall clock is set; only differences of its readings mean anything.
  virtual std::int64_t BootSeconds() = 0;
  // Local time minus UTC, in seconds, at that moment: the zone's rules of
  // that day (daylight saving included).
  virtual std::int32_t UtcOffset(std::int64_t utcSeconds) = 0;
  // A high-resolution counter; nothing when the platform has none.
  virtual std::optional<std::uint64_t> PerformanceCounter() = 0;
  virtual std::uint32_t MillisecondsSinceStart() = 0;
};

// Output volume as packed 32-bit values: left level in the low 16 bits,
// right level in the high 16 bits.
class OutputVolume {
 public:
  virtual ~OutputVolume() = default;
  virtual std::optional<std::uint32_t> GetWaveVolume() = 0;
  virtual void SetWaveVolume(std::uint32_t value) = 0;
  virtual void SetMidiVolume(std::uint32_t value) = 0;
  // Clears a mute that the system's mixer put on this program's own stream
  // (and on what the sound server remembers for it); the master stays the
  // user's. No effect where the system has no such mute.
  virtual void UnmuteStream() {}
};

// The program's built-in resources (the tunes) and writing them to a file.
class TuneStore {
 public:
  virtual ~TuneStore() = default;
  // The resource's bytes, looked up without regard to the case of its name.
  virtual std::optional<std::string_view> FindResource(const std::string& name, const std::string& type) = 0;
  // Creates or replaces the file with exactly these bytes.
  virtual bool WriteFile(const std::string& path, std::string_view bytes) = 0;
};

// Starting another program (the volume mixer).
class Launcher {
 public:
  virtual ~Launcher() = default;
  virtual bool Launch(const std::string& program) = 0;  // true when it started
};

// The folder chooser: opens on the folder in force; nothing on Cancel.
class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  virtual std::optional<std::string> ChooseFolder(const std::string& current) = 0;
};

// A desktop notification of the alarm beside its message box, seen even when
// the window is hidden; its "Stop music" action comes back as Stop music.
class AlarmNotifier {
 public:
  virtual ~AlarmNotifier() = default;
  // Posts it, or replaces the one shown; message "" means none was typed.
  virtual void ShowAlarm(const std::string& message) = 0;
  virtual void WithdrawAlarm() = 0;  // no effect when none is shown
};
