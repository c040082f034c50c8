// The Windows adapters on the real system, under Wine: the settings store in
// the registry, the folder listing, the clock, the tune file written out and
// the program's own tone.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "Fakes.h"
#include "MciSoundChannel.h"
#include "RegistryKeyValueStore.h"
#include "Skips.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "app/App.h"
#include "music/Mp3Library.h"

using namespace std::string_literals;

// Each row writes a value under a fresh key of HKEY_CURRENT_USER and reads it
// back into a buffer of a size: the bytes written, NUL included, stored as
// text (UTF-16, its NUL included) where other programs find it.
TEST(RegistryKeyValueStore, ValuesWrittenAndReadBack) {
  // The value, the buffer's size, whether it is read.
  const std::tuple<std::string, std::uint32_t, bool> rows[] = {
      {"20\0"s, 256, true}, {"1234\0"s, 5, true}, {"12345\0"s, 5, false}};
  const std::string root = "Software\\TimerAdapterTest", time = root + "\\Time";
  RegistryKeyValueStore store;
  for (const auto& [data, buffer, read] : rows) {
    RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
    KeyValueStore::Key key = 0;
    ASSERT_TRUE(store.CreateKey(time, key) && store.SetValue(key, "String Value", data)) << data;
    store.CloseKey(key);
    std::string got(buffer, '?');
    std::uint32_t size = buffer;
    EXPECT_EQ(store.OpenKey(time, key) && store.QueryValue(key, "String Value", got.data(), size), read) << data;
    store.CloseKey(key);
    EXPECT_EQ(read ? got.substr(0, size) : data, data);
    DWORD type = 0, bytes = 0;
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\TimerAdapterTest\\Time", L"String Value", RRF_RT_ANY, &type, nullptr,
                 &bytes);
    EXPECT_EQ(std::make_pair(type, bytes), std::make_pair(DWORD{REG_SZ}, static_cast<DWORD>(2 * data.size())));
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
}

// Name (the long one), attributes and size of each entry
// "*.mp3" finds: either case, hidden and system files, a folder named like a
// song; which of them are songs is the walk's rule, over the core's fakes.
TEST(Win32FolderListing, EntriesWithTheirAttributesAndSizes) {
  constexpr DWORD Hid = FILE_ATTRIBUTE_HIDDEN, Sys = FILE_ATTRIBUTE_SYSTEM, Arc = FILE_ATTRIBUTE_ARCHIVE,
                  Dir = FILE_ATTRIBUTE_DIRECTORY;
  // Each entry made with these attributes (Dir: a folder) and bytes.
  const std::tuple<const char*, DWORD, std::string> rows[] = {{"A song with a long name.mp3", Arc, "12345"},
                                                              {"hidden.mp3", Hid | Arc, "12"},
                                                              {"LOUD.MP3", Sys | Arc, "123"},
                                                              {"x.mp3", Dir, ""},
                                                              {"notes.txt", Arc, "x"}};
  const std::string folder = ShellUserFolders().TempFolder() + "timer-listing-test\\";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const auto& [name, attributes, bytes] : rows) {
    if (attributes == Dir && CreateDirectoryA((folder + name).c_str(), nullptr)) continue;
    std::ofstream(folder + name, std::ios::binary) << bytes;
    SetFileAttributesA((folder + name).c_str(), attributes);
  }
  using Entry = std::tuple<std::string, std::uint32_t, std::uint64_t>;  // a folder's size: 0
  std::vector<Entry> listed;
  Win32FolderListing listing;
  FindData data;
  std::uint32_t error = 0;
  const auto handle = listing.FindFirst(folder + "*.mp3", data, error);
  ASSERT_NE(handle, FolderListing::InvalidHandle);
  do {
    listed.emplace_back(data.Name, data.Attributes & (Hid | Sys | Arc | Dir),
                        (data.Attributes & Dir) != 0 ? 0 : (std::uint64_t{data.SizeHigh} << 32) | data.SizeLow);
  } while (listing.FindNext(handle, data, error));
  EXPECT_EQ(error, 18u);  // ERROR_NO_MORE_FILES
  listing.FindClose(handle);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<Entry>{{"A song with a long name.mp3", Arc, 5},
                                        {"LOUD.MP3", Sys | Arc, 3},
                                        {"hidden.mp3", Hid | Arc, 2},
                                        {"x.mp3", Dir, 0}}));
  EXPECT_EQ(listing.FindFirst(folder + "*.wav", data, error), FolderListing::InvalidHandle);
  EXPECT_EQ(error, 2u);  // ERROR_FILE_NOT_FOUND
  // The walk over it finds its one song; a blank folder none, even with this
  // one the working folder (it would be the home folder, or a whole drive).
  SetCurrentDirectoryA(folder.c_str());
  TestApp t;
  App app{AppState{},
          Ports{t.window, t.sound, t.store, t.folders, listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
  for (const std::string& songFolder : {folder, ""s, " "s})
    EXPECT_EQ(CountSongs(app, songFolder), songFolder == folder) << "'" << songFolder << "'";
  SetCurrentDirectoryA(ShellUserFolders().TempFolder().c_str());
  for (const auto& row : rows) SetFileAttributesA((folder + std::get<0>(row)).c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(folder);
}

// The clock counts UTC seconds from 1970, as the C library's does, and
// spans in the seconds of the tick count, which goes on through sleep.
TEST(Win32Clock, CountsUtcSecondsFrom1970AndSpansOnTheTickCount) {
  const std::int64_t before = std::time(nullptr), ticksBefore = GetTickCount64() / 1000;
  const std::int64_t seconds = Win32Clock().UtcSeconds(), boot = Win32Clock().BootSeconds();
  EXPECT_TRUE(before <= seconds && seconds <= std::time(nullptr)) << seconds;
  EXPECT_TRUE(ticksBefore <= boot && boot <= static_cast<std::int64_t>(GetTickCount64() / 1000)) << boot;
  // The test runs in New York's zone (CMake sets TZ, which Wine takes over): behind UTC, by
  // five hours in winter and four in summer.
  EXPECT_EQ(Win32Clock().UtcOffset(1768478400), -5 * 3600);  // 2026-01-15 12:00 UTC
  EXPECT_EQ(Win32Clock().UtcOffset(1784116800), -4 * 3600);  // 2026-07-15 12:00 UTC
}

// The tune file holds exactly the bytes given, over a longer file from
// before; a file that cannot be made is reported.
TEST(ResourceTuneStore, WriteFileReplacesTheWholeFile) {
  const std::pair<const char*, bool> rows[] = {{"timer-test.mid", true}, {"no such folder\\timer-test.mid", false}};
  for (const auto& [name, written] : rows) {
    const std::string path = ShellUserFolders().TempFolder() + name;
    ResourceTuneStore().WriteFile(path, "a longer file from before");
    EXPECT_EQ(ResourceTuneStore().WriteFile(path, "MThd\0\1"s), written) << name;
    const std::string read(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
    EXPECT_EQ(read, written ? "MThd\0\1"s : ""s) << name;  // the file closed again, so that it can go
    std::filesystem::remove(path);
  }
}

// No tune plays without a MIDI device (Wine has none): the tone sounds on the
// wave device until closed, and the caption says what is missing. The device
// writes what it plays to a file (ALSA's, see CMakeLists.txt): any sample that
// is not silence was heard.
TEST(MciSoundChannel, TheOwnToneWhereNoTuneCanPlay) {
  const char* capture = std::getenv("TIMER_WAVE_CAPTURE");
  if (capture == nullptr || midiOutGetNumDevs() != 0) TIMER_GTEST_SKIP("no wave capture, or a MIDI device");
  const std::string heard = "Z:"s + capture;
  const auto beeped = [&] {
    std::ifstream file(heard, std::ios::binary);
    return std::any_of(std::istreambuf_iterator<char>(file), {}, [](char byte) { return byte != 0; });
  };
  MciSoundChannel sound;
  EXPECT_EQ(sound.Lacking(), "No MIDI device: the tunes cannot play");
  // Step -> the mode then, whether the device has played a beep by then.
  const std::tuple<std::function<void()>, std::string, bool> steps[] = {
      {[&] { ASSERT_TRUE(sound.OpenTone()); }, "stopped", false},
      {[&] { sound.Play(); }, "playing", true},
      {[&] { sound.Close(); }, "", true}};
  std::filesystem::remove(heard);
  for (const auto& [step, mode, beep] : steps) {
    step();
    EXPECT_EQ(sound.Mode(), mode);
    for (int wait = 0; beep && !beeped() && wait < 500; ++wait) Sleep(10);  // until the device has written it
    EXPECT_EQ(beeped(), beep) << mode;
  }
  std::filesystem::remove(heard);
}

// A slow open (a broken song takes seconds under Wine) goes on off the
// window's thread: meanwhile the channel reads "opening", then as the open
// ended; a Close meanwhile wins over it. The commands go to a fake.
TEST(MciSoundChannel, ASlowOpenGoesOnWithoutTheWindow) {
  // Held until let go, opens, closed meanwhile -> the mode after Open and Play, once the open has ended.
  const std::tuple<bool, bool, bool, std::string, std::string> rows[] = {{false, true, false, "playing", "playing"},
                                                                         {false, false, false, "", ""},
                                                                         {true, true, false, "opening", "playing"},
                                                                         {true, false, false, "opening", "stopped"},
                                                                         {true, false, true, "", ""}};
  for (const auto& [slow, opens, closed, before, after] : rows) {
    std::atomic<bool> held = slow, ended = false;
    bool open = false, playing = false;  // on the channel's thread only
    MciSoundChannel sound(
        [&](const std::string& command, std::string& reply) -> std::uint32_t {
          if (command.starts_with("open")) {
            while (held) Sleep(1);
            open = opens, ended = true;
            return opens ? 0 : 263;  // MCIERR_INVALID_DEVICE_NAME
          }
          if (command.starts_with("play") || command.starts_with("close")) playing = open = command[0] == 'p' && open;
          reply = command.starts_with("status") && open ? (playing ? "playing" : "stopped") : "";
          return 0;
        },
        200);
    sound.Open("song.mp3"), sound.Play();
    if (closed) sound.Close();
    EXPECT_EQ(sound.Mode(), before) << slow << opens << closed;
    held = false;
    std::string mode = OpeningMode;
    for (int wait = 0; (mode == OpeningMode || !ended) && wait < 5000; ++wait) Sleep(1), mode = sound.Mode();
    EXPECT_EQ(mode, after) << slow << opens << closed;
  }
}
