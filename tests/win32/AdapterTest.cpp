// The Windows adapters on the real system, under Wine: the settings store in
// the registry, the folder listing as the song walk takes its entries, and
// the tune file written out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "RegistryKeyValueStore.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "music/Mp3Library.h"

using namespace std::string_literals;

namespace {
constexpr const char* TestRoot = "Software\\TimerAdapterTest";

// Each row writes a value (unless no key is named) under a fresh tree of
// HKEY_CURRENT_USER and reads one back; a value read must hold the bytes
// written, NUL included, stored as text where other programs find it.
TEST(RegistryKeyValueStore, ValuesWrittenAndReadBack) {
  struct Row {
    const char* What;
    const char* WriteKey;  // or nullptr: nothing written
    std::string Data;
    const char* ReadKey;
    const char* ReadName;
    std::uint32_t Buffer;
    bool Read;
  };
  const std::string time = TestRoot + "\\Time"s, deep = TestRoot + "\\A\\B\\C"s;
  const Row rows[] = {
      {"a text with its NUL", time.c_str(), "20\0"s, time.c_str(), "String Value", 256, true},
      {"every missing key above made", deep.c_str(), "x\0"s, deep.c_str(), "String Value", 256, true},
      {"a buffer of exactly the value's size", time.c_str(), "1234\0"s, time.c_str(), "String Value", 5, true},
      {"a value larger than the buffer", time.c_str(), "12345\0"s, time.c_str(), "String Value", 5, false},
      {"a missing value", time.c_str(), "20\0"s, time.c_str(), "Other", 256, false},
      {"a missing key", nullptr, "", time.c_str(), "String Value", 256, false},
  };
  RegistryKeyValueStore store;
  for (const Row& row : rows) {
    RegDeleteTreeA(HKEY_CURRENT_USER, TestRoot);
    KeyValueStore::Key key = 0;
    if (row.WriteKey != nullptr) {
      ASSERT_TRUE(store.CreateKey(row.WriteKey, key)) << row.What;
      EXPECT_TRUE(store.SetValue(key, "String Value", row.Data)) << row.What;
      store.CloseKey(key);
    }
    std::string buffer(row.Buffer, '?');
    std::uint32_t size = row.Buffer;
    const bool opened = store.OpenKey(row.ReadKey, key);
    const bool read = opened && store.QueryValue(key, row.ReadName, buffer.data(), size);
    if (opened) store.CloseKey(key);
    EXPECT_EQ(read, row.Read) << row.What;
    if (!read || !row.Read) continue;
    EXPECT_EQ(buffer.substr(0, size), row.Data) << row.What;
    // As the registry holds it: text in UTF-16, its NUL included.
    HKEY raw = nullptr;
    DWORD type = 0, bytes = 0;
    RegOpenKeyExA(HKEY_CURRENT_USER, row.ReadKey, 0, KEY_READ, &raw);
    RegQueryValueExW(raw, L"String Value", nullptr, &type, nullptr, &bytes);
    RegCloseKey(raw);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << row.What;
    EXPECT_EQ(bytes, 2 * row.Data.size()) << row.What;
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, TestRoot);
}

// Name, attributes, size and local write time of each entry "*.mp3" finds,
// and the songs the walk takes from them: hidden and system files and a
// folder named like a song left out, names in capitals matched.
TEST(Win32FolderListing, EntriesAndTheSongsTakenFromThem) {
  constexpr DWORD Hid = FILE_ATTRIBUTE_HIDDEN, Sys = FILE_ATTRIBUTE_SYSTEM, Arc = FILE_ATTRIBUTE_ARCHIVE,
                  Dir = FILE_ATTRIBUTE_DIRECTORY;
  struct Row {
    const char* Name;
    DWORD Set;  // Dir: made as a folder
    std::string Bytes;
    DWORD Listed;  // or 0: not listed
    bool Taken;
  };
  const Row rows[] = {
      {"Song.mp3", 0, "12345", Arc, true},
      {"LOUD.MP3", 0, "1", Arc, true},
      {"A song with a long name.mp3", 0, "123", Arc, true},
      {"hidden.mp3", Hid | Arc, "12", Hid | Arc, false},
      {"system.mp3", Sys | Arc, "12", Sys | Arc, false},
      {"x.mp3", Dir, "", Dir, false},
      {"notes.txt", 0, "x", 0, false},
  };
  const std::string folder = ShellUserFolders().TempFolder() + "timer-listing-test\\";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  // 2010-03-14 15:30:20 local time, in the packed DOS form below.
  const SYSTEMTIME local = {2010, 3, 0, 14, 15, 30, 20, 0};
  FILETIME localFile, written;
  SystemTimeToFileTime(&local, &localFile);
  LocalFileTimeToFileTime(&localFile, &written);
  constexpr std::uint32_t DosWritten = 0x3C6E7BCA;

  using Entry = std::tuple<std::string, std::uint32_t, std::uint64_t, std::uint32_t>;
  std::vector<Entry> expected, listed;
  std::vector<std::string> taken, expectedTaken;
  for (const Row& row : rows) {
    const std::string path = folder + row.Name;
    if (row.Set == Dir) {
      CreateDirectoryA(path.c_str(), nullptr);
    } else {
      const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      DWORD done = 0;
      WriteFile(file, row.Bytes.data(), static_cast<DWORD>(row.Bytes.size()), &done, nullptr);
      SetFileTime(file, nullptr, nullptr, &written);
      CloseHandle(file);
      if (row.Set != 0) SetFileAttributesA(path.c_str(), row.Set);
    }
    if (row.Listed != 0) {
      expected.emplace_back(row.Name, row.Listed, row.Bytes.size(), row.Set == Dir ? 0 : DosWritten);
    }
    if (row.Taken) expectedTaken.push_back(row.Name);
  }

  Win32FolderListing listing;
  FindData data;
  std::uint32_t error = 0;
  const auto handle = listing.FindFirst(folder + "*.mp3", data, error);
  ASSERT_NE(handle, FolderListing::InvalidHandle);
  do {
    const bool isFolder = (data.Attributes & Dir) != 0;  // a folder's size and time mean nothing
    listed.emplace_back(data.Name, data.Attributes & (Hid | Sys | Arc | Dir),
                        isFolder ? 0 : (std::uint64_t{data.SizeHigh} << 32) | data.SizeLow,
                        isFolder ? 0 : data.WriteTime);
  } while (listing.FindNext(handle, data, error));
  EXPECT_NE(error, 0u);
  listing.FindClose(handle);
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);

  // The walk's own filter over the same listing.
  TSearchRec rec;
  if (SearchFirst(listing, folder + "*.mp3", FileAttrArchive, rec) == 0) {
    do taken.push_back(rec.Name);
    while (SearchNext(listing, rec) == 0);
    SearchClose(listing, rec);
  }
  std::sort(taken.begin(), taken.end());
  std::sort(expectedTaken.begin(), expectedTaken.end());
  EXPECT_EQ(taken, expectedTaken);

  EXPECT_EQ(listing.FindFirst(folder + "*.wav", data, error), FolderListing::InvalidHandle);
  EXPECT_NE(error, 0u);
  for (const Row& row : rows) SetFileAttributesA((folder + row.Name).c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(folder);
}

// The tune file holds exactly the bytes given, whatever was there before; a
// file that cannot be made is reported.
TEST(ResourceTuneStore, WriteFileReplacesTheWholeFile) {
  struct Row {
    const char* Name;
    const char* Before;  // or nullptr: no file yet
    bool Written;
  };
  const Row rows[] = {
      {"timer-test.mid", nullptr, true},
      {"timer-test.mid", "a longer file from before", true},
      {"no such folder\\timer-test.mid", nullptr, false},
  };
  const std::string folder = ShellUserFolders().TempFolder();
  ResourceTuneStore store;
  for (const Row& row : rows) {
    const std::string path = folder + row.Name;
    std::filesystem::remove(path);
    if (row.Before != nullptr) store.WriteFile(path, row.Before);
    EXPECT_EQ(store.WriteFile(path, "MThd\0\1"s), row.Written) << row.Name;
    std::string read;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
      for (int c; (c = std::fgetc(file)) != EOF;) read.push_back(static_cast<char>(c));
      std::fclose(file);
    }
    EXPECT_EQ(read, row.Written ? "MThd\0\1"s : ""s) << row.Name << (row.Before ? ", over a file" : "");
    std::filesystem::remove(path);
  }
}
}  // namespace
