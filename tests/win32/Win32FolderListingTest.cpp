// The folder listing on a real folder tree, walked by the MP3 library: the
// "*.mp3" pattern ignores case; hidden, system and empty files are no songs,
// hidden and system folders are not entered, a folder named "*.mp3" is.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "Fakes.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "music/Mp3Library.h"

TEST(Win32FolderListing, PatternAndAttributeRules) {
  const std::string root = "ListingTest-" + std::to_string(GetCurrentProcessId()) + "\\";
  // clang-format off
  const struct {
    const char* name;
    int size;  // -1: a folder
    DWORD attributes;
  } rows[] = {{"song.mp3", 10, 0}, {"LOUD.MP3", 3, 0}, {"empty.mp3", 0, 0}, {"hidden.mp3", 10, FILE_ATTRIBUTE_HIDDEN},
              {"system.mp3", 10, FILE_ATTRIBUTE_SYSTEM}, {"notes.txt", 10, 0}, {"song.mp3.txt", 10, 0},
              {"Sub", -1, 0}, {"Sub\\deep.mp3", 10, 0}, {"album.mp3", -1, 0}, {"album.mp3\\inner.mp3", 10, 0},
              {"Secret", -1, FILE_ATTRIBUTE_HIDDEN}, {"Secret\\s.mp3", 10, 0},
              {"Sys", -1, FILE_ATTRIBUTE_SYSTEM}, {"Sys\\s.mp3", 10, 0}};
  // clang-format on
  ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
  for (const auto& row : rows) {
    const std::string path = root + row.name;
    if (row.size < 0)
      CreateDirectoryA(path.c_str(), nullptr);
    else
      std::ofstream(path, std::ios::binary) << std::string(static_cast<std::size_t>(row.size), 'x');
  }
  for (const auto& row : rows) SetFileAttributesA((root + row.name).c_str(), row.attributes | FILE_ATTRIBUTE_ARCHIVE);

  TestApp t;
  Win32FolderListing listing;
  App app{AppState{},
          Ports{t.window, t.sound, t.store, t.folders, listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
  app.State.SubfoldersOn = true;
  CountSongs(app, root);
  std::vector<std::string> songs;
  for (int number = 1, count = app.State.SongCounter; number <= count; ++number) {
    app.State.SongCounter = 0;
    app.State.SongTarget = number;
    FindSong(app, root);
    songs.push_back(app.State.SongPath.substr(root.size()));
  }
  std::sort(songs.begin(), songs.end());
  EXPECT_EQ(songs, (std::vector<std::string>{"LOUD.MP3", "Sub\\deep.mp3", "album.mp3\\inner.mp3", "song.mp3"}));

  std::string from = root + '\0';  // the list of one, ended by a second NUL
  SHFILEOPSTRUCTA remove = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NO_UI, FALSE, nullptr, nullptr};
  SHFileOperationA(&remove);
}
