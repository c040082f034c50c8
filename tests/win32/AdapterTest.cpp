// The Windows adapters on the real system, under Wine: the settings store in
// the registry, the folder listing, the clock and the tune file written out.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "Fakes.h"
#include "RegistryKeyValueStore.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "app/App.h"
#include "music/Mp3Library.h"

using namespace std::string_literals;

namespace {
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

// Name (the long one), attributes, size and local write time of each entry
// "*.mp3" finds: either case, hidden and system files, a folder named like a
// song; which of them are songs is the walk's rule, over the core's fakes.
TEST(Win32FolderListing, EntriesWithTheirAttributesSizesAndTimes) {
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
  const SYSTEMTIME local = {2010, 3, 0, 14, 15, 30, 20, 0};  // 0x3C6E7BCA as a DOS date and time
  FILETIME localFile, written;
  SystemTimeToFileTime(&local, &localFile);
  LocalFileTimeToFileTime(&localFile, &written);
  for (const auto& [name, attributes, bytes] : rows) {
    if (attributes == Dir && CreateDirectoryA((folder + name).c_str(), nullptr)) continue;
    const HANDLE file =
        CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    DWORD done = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
  }
  using Entry = std::tuple<std::string, std::uint32_t, std::uint64_t, std::uint32_t>;  // a folder's size, time: 0
  std::vector<Entry> listed;
  Win32FolderListing listing;
  FindData data;
  std::uint32_t error = 0;
  const auto handle = listing.FindFirst(folder + "*.mp3", data, error);
  ASSERT_NE(handle, FolderListing::InvalidHandle);
  do {
    const bool isFolder = (data.Attributes & Dir) != 0;
    listed.emplace_back(data.Name, data.Attributes & (Hid | Sys | Arc | Dir),
                        isFolder ? 0 : (std::uint64_t{data.SizeHigh} << 32) | data.SizeLow,
                        isFolder ? 0 : data.WriteTime);
  } while (listing.FindNext(handle, data, error));
  EXPECT_EQ(error, 18u);  // ERROR_NO_MORE_FILES
  listing.FindClose(handle);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<Entry>{{"A song with a long name.mp3", Arc, 5, 0x3C6E7BCA},
                                        {"LOUD.MP3", Sys | Arc, 3, 0x3C6E7BCA},
                                        {"hidden.mp3", Hid | Arc, 2, 0x3C6E7BCA},
                                        {"x.mp3", Dir, 0, 0}}));
  EXPECT_EQ(listing.FindFirst(folder + "*.wav", data, error), FolderListing::InvalidHandle);
  EXPECT_EQ(error, 2u);  // ERROR_FILE_NOT_FOUND
  // The walk over it finds its one song; a blank folder none, even with this
  // one the working folder (it would be the home folder, or a whole drive).
  SetCurrentDirectoryA(folder.c_str());
  for (const auto& [songFolder, songs] : {std::pair{folder, 1}, {"", 0}, {" ", 0}}) {
    TestApp t;
    App app{AppState{},
            Ports{t.window, t.sound, t.store, t.folders, listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
    app.State.MP3Folder = songFolder;
    ShuffleSongs(app);
    EXPECT_EQ(app.State.SongCounter, songs) << "'" << songFolder << "'";
  }
  SetCurrentDirectoryA(ShellUserFolders().TempFolder().c_str());
  for (const auto& row : rows) SetFileAttributesA((folder + std::get<0>(row)).c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(folder);
}

// The clock counts UTC seconds from 1970, as the C library's does, and
// spans in the seconds of the tick count, which goes on through sleep.
TEST(Win32Clock, CountsUtcSecondsFrom1970AndSpansOnTheTickCount) {
  const std::time_t before = std::time(nullptr);
  const std::int64_t seconds = Win32Clock().UtcSeconds();
  EXPECT_GE(seconds, before);
  EXPECT_LE(seconds, std::time(nullptr));
  const ULONGLONG ticksBefore = GetTickCount64() / 1000;
  const std::int64_t boot = Win32Clock().BootSeconds();
  EXPECT_GE(boot, static_cast<std::int64_t>(ticksBefore));
  EXPECT_LE(boot, static_cast<std::int64_t>(GetTickCount64() / 1000));
}

// The tune file holds exactly the bytes given, over a longer file from
// before; a file that cannot be made is reported.
TEST(ResourceTuneStore, WriteFileReplacesTheWholeFile) {
  const std::pair<const char*, bool> rows[] = {{"timer-test.mid", true}, {"no such folder\\timer-test.mid", false}};
  for (const auto& [name, written] : rows) {
    const std::string path = ShellUserFolders().TempFolder() + name;
    ResourceTuneStore().WriteFile(path, "a longer file from before");
    EXPECT_EQ(ResourceTuneStore().WriteFile(path, "MThd\0\1"s), written) << name;
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), written ? "MThd\0\1"s : ""s) << name;
    file.close();
    std::filesystem::remove(path);
  }
}
}  // namespace
