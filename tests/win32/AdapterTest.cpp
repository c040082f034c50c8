// The Windows adapters on the real system, under Wine: the settings store in
// the registry, the folder listing and the tune file written out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "RegistryKeyValueStore.h"
#include "Win32.h"
#include "Win32Adapters.h"

using namespace std::string_literals;

namespace {
constexpr const char* TestRoot = "Software\\TimerAdapterTest";

// Each row writes a value under a fresh tree of HKEY_CURRENT_USER and reads
// it back into a buffer of a size; a value read must hold the bytes written,
// NUL included, stored as text where other programs find it.
TEST(RegistryKeyValueStore, ValuesWrittenAndReadBack) {
  struct Row {
    const char* What;
    std::string Data;
    std::uint32_t Buffer;
    bool Read;
  };
  const Row rows[] = {
      {"a text with its NUL", "20\0"s, 256, true},
      {"a buffer of exactly the value's size", "1234\0"s, 5, true},
      {"a value larger than the buffer", "12345\0"s, 5, false},
  };
  const std::string time = TestRoot + "\\Time"s;
  RegistryKeyValueStore store;
  for (const Row& row : rows) {
    RegDeleteTreeA(HKEY_CURRENT_USER, TestRoot);
    KeyValueStore::Key key = 0;
    ASSERT_TRUE(store.CreateKey(time, key)) << row.What;
    EXPECT_TRUE(store.SetValue(key, "String Value", row.Data)) << row.What;
    store.CloseKey(key);
    std::string buffer(row.Buffer, '?');
    std::uint32_t size = row.Buffer;
    const bool read = store.OpenKey(time, key) && store.QueryValue(key, "String Value", buffer.data(), size);
    store.CloseKey(key);
    EXPECT_EQ(read, row.Read) << row.What;
    if (!read || !row.Read) continue;
    EXPECT_EQ(buffer.substr(0, size), row.Data) << row.What;
    // As the registry holds it: text in UTF-16, its NUL included.
    HKEY raw = nullptr;
    DWORD type = 0, bytes = 0;
    RegOpenKeyExA(HKEY_CURRENT_USER, time.c_str(), 0, KEY_READ, &raw);
    RegQueryValueExW(raw, L"String Value", nullptr, &type, nullptr, &bytes);
    RegCloseKey(raw);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << row.What;
    EXPECT_EQ(bytes, 2 * row.Data.size()) << row.What;
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, TestRoot);
}

// Name (the long one), attributes, size and local write time of each entry
// "*.mp3" finds, a folder named like a song too; which of them are songs is
// the walk's rule, over the core's fakes.
TEST(Win32FolderListing, EntriesWithTheirAttributesSizesAndTimes) {
  constexpr DWORD Hid = FILE_ATTRIBUTE_HIDDEN, Arc = FILE_ATTRIBUTE_ARCHIVE, Dir = FILE_ATTRIBUTE_DIRECTORY;
  struct Row {
    const char* Name;
    DWORD Set;  // Dir: made as a folder
    std::string Bytes;
    DWORD Listed;  // or 0: not listed
  };
  const Row rows[] = {
      {"Song.mp3", 0, "12345", Arc},
      {"A song with a long name.mp3", 0, "123", Arc},
      {"hidden.mp3", Hid | Arc, "12", Hid | Arc},
      {"x.mp3", Dir, "", Dir},
      {"notes.txt", 0, "x", 0},
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
  }

  Win32FolderListing listing;
  FindData data;
  std::uint32_t error = 0;
  const auto handle = listing.FindFirst(folder + "*.mp3", data, error);
  ASSERT_NE(handle, FolderListing::InvalidHandle);
  do {
    const bool isFolder = (data.Attributes & Dir) != 0;  // a folder's size and time mean nothing
    listed.emplace_back(data.Name, data.Attributes & (Hid | Arc | Dir),
                        isFolder ? 0 : (std::uint64_t{data.SizeHigh} << 32) | data.SizeLow,
                        isFolder ? 0 : data.WriteTime);
  } while (listing.FindNext(handle, data, error));
  EXPECT_NE(error, 0u);
  listing.FindClose(handle);
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);

  EXPECT_EQ(listing.FindFirst(folder + "*.wav", data, error), FolderListing::InvalidHandle);
  EXPECT_NE(error, 0u);
  for (const Row& row : rows) SetFileAttributesA((folder + row.Name).c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(folder);
}

// The tune file holds exactly the bytes given, whatever was there before; a
// file that cannot be made is reported.
TEST(ResourceTuneStore, WriteFileReplacesTheWholeFile) {
  const std::pair<const char*, bool> rows[] = {
      // name -> written, over a longer file from before
      {"timer-test.mid", true},
      {"no such folder\\timer-test.mid", false},
  };
  const std::string folder = ShellUserFolders().TempFolder();
  ResourceTuneStore store;
  for (const auto& [name, written] : rows) {
    const std::string path = folder + name;
    store.WriteFile(path, "a longer file from before");
    EXPECT_EQ(store.WriteFile(path, "MThd\0\1"s), written) << name;
    std::ifstream file(path, std::ios::binary);
    const std::string read(std::istreambuf_iterator<char>(file), {});
    EXPECT_EQ(read, written ? "MThd\0\1"s : ""s) << name;
    file.close();
    std::filesystem::remove(path);
  }
}
}  // namespace
