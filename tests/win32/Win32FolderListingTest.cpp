// The folder listing on a real folder tree, walked by the MP3 library: hidden,
// system and empty files are no songs, hidden folders are not entered, and
// the songs of subfolders come first.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "Fakes.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "music/Mp3Library.h"

namespace {
class FolderTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "ListingTest-" + std::to_string(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    app.State.MP3Folder = root;
  }
  void TearDown() override { RemoveTree(root); }

  void Folder(const std::string& name, DWORD attributes = 0) {
    ASSERT_TRUE(CreateDirectoryA((root + name).c_str(), nullptr)) << name;
    if (attributes != 0) SetFileAttributesA((root + name).c_str(), attributes);
  }
  void File(const std::string& name, std::size_t size, DWORD attributes = 0) {
    {
      std::ofstream file(root + name, std::ios::binary);
      file << std::string(size, 'x');
    }
    if (attributes != 0) SetFileAttributesA((root + name).c_str(), attributes);
  }

  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    const HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path + "\\");
        } else {
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(find, &entry));
      FindClose(find);
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
  }

  // Every song in walk order, relative to the root, found number by number
  // as the player finds them.
  std::vector<std::string> WalkOrder() {
    AppState& s = app.State;
    s.SongCounter = 0;
    CountSongs(app, root);
    const int count = s.SongCounter;
    std::vector<std::string> songs;
    for (int number = 1; number <= count; ++number) {
      s.SongCounter = 0;
      s.SongTarget = number;
      s.SongPath.clear();
      FindSong(app, root);
      songs.push_back(s.SongPath.substr(0, root.size()) == root ? s.SongPath.substr(root.size()) : s.SongPath);
    }
    return songs;
  }

  TestApp fakes;
  Win32FolderListing listing;
  App app{AppState{}, Ports{fakes.window, fakes.sound, fakes.store, fakes.folders, listing, fakes.clock, fakes.volume,
                            fakes.tunes, fakes.launcher, fakes.chooser}};
  std::string root;
};

std::size_t IndexOf(const std::vector<std::string>& songs, const std::string& song) {
  return static_cast<std::size_t>(std::find(songs.begin(), songs.end(), song) - songs.begin());
}
}  // namespace

TEST_F(FolderTreeTest, SubfoldersFirstAndOnlyVisibleNonEmptyMp3FilesAreSongs) {
  File("song.mp3", 10);
  File("LOUD.MP3", 3);  // the pattern ignores case
  File("empty.mp3", 0);
  File("hidden.mp3", 10, FILE_ATTRIBUTE_HIDDEN);
  File("system.mp3", 10, FILE_ATTRIBUTE_SYSTEM);
  File("notes.txt", 10);
  Folder("Sub");
  File("Sub\\middle.mp3", 10);
  Folder("Sub\\Deeper");
  File("Sub\\Deeper\\deep.mp3", 10);
  Folder("album.mp3");  // a folder is never a song, but is walked
  File("album.mp3\\inner.mp3", 10);
  Folder("Secret", FILE_ATTRIBUTE_HIDDEN);
  File("Secret\\secret.mp3", 10);
  Folder("Sys", FILE_ATTRIBUTE_SYSTEM);
  File("Sys\\sys.mp3", 10);
  app.State.SubfoldersOn = true;

  std::vector<std::string> songs = WalkOrder();
  ASSERT_EQ(songs.size(), 5u);
  // A subfolder is walked completely, its own subfolders first; the
  // folder's own songs come last.
  const std::size_t deep = IndexOf(songs, "Sub\\Deeper\\deep.mp3");
  ASSERT_LT(deep, 3u);
  EXPECT_EQ(songs[deep + 1], "Sub\\middle.mp3");
  EXPECT_LT(IndexOf(songs, "album.mp3\\inner.mp3"), 3u);
  std::sort(songs.begin() + 3, songs.end());
  EXPECT_EQ(std::vector<std::string>(songs.begin() + 3, songs.end()),
            (std::vector<std::string>{"LOUD.MP3", "song.mp3"}));

  app.State.SubfoldersOn = false;
  songs = WalkOrder();
  std::sort(songs.begin(), songs.end());
  EXPECT_EQ(songs, (std::vector<std::string>{"LOUD.MP3", "song.mp3"}));
}

TEST_F(FolderTreeTest, MissingFolderListsNothing) {
  FindData data;
  std::uint32_t error = 0;
  EXPECT_EQ(listing.FindFirst(root + "absent\\*.mp3", data, error), FolderListing::InvalidHandle);
  EXPECT_NE(error, 0u);
  app.State.MP3Folder = root + "absent\\";
  EXPECT_FALSE(ShuffleSongs(app));
}
