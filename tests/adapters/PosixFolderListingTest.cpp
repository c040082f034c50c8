// The POSIX folder listing, alone and under the core's walk, on real trees.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tuple>
#include <vector>

#include "Fakes.h"
#include "PosixFolderListing.h"
#include "TestFiles.h"
#include "music/Mp3Library.h"

namespace {

constexpr std::uint32_t Dir = FileAttrDirectory, Arc = FileAttrArchive, Hid = FileAttrHidden, Sys = FileAttrSystem;

// Names sorted; a dot file hidden; what cannot be played (a FIFO, a socket,
// a dangling link) a system entry; links count as what they lead to.
TEST(PosixFolderListing, AttributesSizesAndSortedNames) {
  TempDir root;
  WriteBytes(root / "b.mp3", "12345");
  WriteBytes(root / "A.MP3", "1");
  WriteBytes(root / "empty.mp3", "");
  WriteBytes(root / ".hidden.mp3", "12");
  WriteBytes(root / "notes.txt", "x");
  MakeFolder(root / "dir.mp3");
  ASSERT_EQ(mkfifo((root / "pipe.mp3").c_str(), 0600), 0);  // listing it must not block
  MakeSocket(root / "sock.mp3");
  ASSERT_EQ(symlink("b.mp3", (root / "link.mp3").c_str()), 0);
  ASSERT_EQ(symlink("nowhere.mp3", (root / "dangling.mp3").c_str()), 0);
  ASSERT_EQ(symlink("dir.mp3", (root / "linkdir.mp3").c_str()), 0);
  using Row = std::tuple<std::string, std::uint32_t, std::uint64_t>;
  const std::vector<Row> expected = {
      {".hidden.mp3", Hid | Arc, 2}, {"A.MP3", Arc, 1},     {"b.mp3", Arc, 5},    {"dangling.mp3", Sys, 0},
      {"dir.mp3", Dir, 0},           {"empty.mp3", Arc, 0}, {"link.mp3", Arc, 5}, {"linkdir.mp3", Dir, 0},
      {"pipe.mp3", Sys, 0},          {"sock.mp3", Sys, 0},
  };
  PosixFolderListing listing;
  std::vector<Row> listed;
  FindData data;
  std::uint32_t error = 0;
  const auto handle = listing.FindFirst(root / "*.mp3", data, error);
  ASSERT_NE(handle, FolderListing::InvalidHandle);
  do {
    const std::uint64_t size = (data.Attributes & Dir) ? 0 : (std::uint64_t{data.SizeHigh} << 32) | data.SizeLow;
    listed.emplace_back(data.Name, data.Attributes, size);  // a folder's size means nothing
  } while (listing.FindNext(handle, data, error));
  listing.FindClose(handle);
  EXPECT_EQ(listed, expected);
  for (const std::string& pattern : {root / "missing/*.mp3", root / "notes.txt/*.*", root / "*.wav"}) {
    EXPECT_EQ(listing.FindFirst(pattern, data, error), FolderListing::InvalidHandle) << pattern;
    EXPECT_NE(error, 0u) << pattern;
  }
}

TEST(PosixFolderListing, PatternsIgnoreCaseAndKnowTheWildcards) {
  const std::tuple<const char*, const char*, bool> rows[] = {
      {"*.mp3", "song.mp3", true},    {"*.mp3", "SONG.MP3", true},  {"*.mp3", "song.Mp3", true},
      {"*.mp3", "song.mp3x", false},  {"*.mp3", "song.mp", false},  {"*.mp3", ".mp3", true},
      {"*.*", "noextension", true},   {"*.*", ".", true},           {"Music*.mp3", "music1.mp3", true},
      {"Music*.mp3", "a.mp3", false}, {"?.mp3", "a.mp3", true},     {"?.mp3", "ab.mp3", false},
      {"*a*b*", "xxaxxbxx", true},    {"*a*b*", "xxbxxaxx", false},
  };
  for (const auto& [glob, name, matches] : rows) {
    EXPECT_EQ(PosixFolderListing::Matches(glob, name), matches) << glob << " " << name;
  }
}

// Subfolder songs first, depth first, then the folder's own, by name; hidden
// and empty files and hidden folders left out; the folder with or without its
// final separator; an empty folder path is the current folder.
TEST(RealWalk, SongsInWalkOrder) {
  TempDir root;
  for (const char* name : {"b.mp3", "a.mp3", "SONG.MP3", ".h.mp3", "readme.txt", "sub2/x.mp3", "sub1/deep/d.mp3",
                           "sub1/s.mp3", ".hid/h.mp3", "dir.mp3/inner.mp3"}) {
    const std::string path = root / name;
    MakeFolder(path.substr(0, path.rfind('/')));
    WriteBytes(path, "x");
  }
  WriteBytes(root / "zero.mp3", "");
  const auto r = [&](const char* name) { return root / name; };
  const struct {
    std::string folder;
    bool subfolders;
    std::vector<std::string> songs;
  } rows[] = {
      {root.Path(),
       true,
       {r("dir.mp3/inner.mp3"), r("sub1/deep/d.mp3"), r("sub1/s.mp3"), r("sub2/x.mp3"), r("SONG.MP3"), r("a.mp3"),
        r("b.mp3")}},
      {root.Path(), false, {r("SONG.MP3"), r("a.mp3"), r("b.mp3")}},
      {root / "sub1", true, {r("sub1/deep/d.mp3"), r("sub1/s.mp3")}},
      {root / "missing/", true, {}},
      {"", true, {"deep/d.mp3", "s.mp3"}},
  };
  char* previous = getcwd(nullptr, 0);
  ASSERT_EQ(chdir((root / "sub1").c_str()), 0);
  for (const auto& row : rows) {
    TestApp fakes;
    PosixFolderListing listing;
    App app{AppState{}, Ports{fakes.window, fakes.sound, fakes.store, fakes.folders, listing, fakes.clock, fakes.volume,
                              fakes.tunes, fakes.launcher, fakes.chooser}};
    AppState& s = app.State;
    s.SubfoldersOn = row.subfolders;
    CountSongs(app, row.folder);
    std::vector<std::string> songs;
    for (std::int32_t target = 1, count = s.SongCounter; target <= count; ++target) {
      s.SongPath.clear();
      s.SongCounter = 0;
      s.SongTarget = target;
      FindSong(app, row.folder);
      songs.push_back(s.SongPath);
    }
    EXPECT_EQ(songs, row.songs) << row.folder;
    EXPECT_EQ(listing.OpenListings(), 0u);
  }
  ASSERT_EQ(chdir(previous), 0);
  free(previous);
}

}  // namespace
