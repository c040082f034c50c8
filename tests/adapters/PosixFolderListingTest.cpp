// The POSIX folder listing, alone and under the core's walk, on real trees.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tuple>
#include <vector>

#include "Fakes.h"
#include "PosixFolderListing.h"
#include "TestFiles.h"
#include "music/Mp3Library.h"

namespace {

// The core over the real listing; every other port is a fake.
struct RealTree {
  TestApp fakes;
  PosixFolderListing listing;
  App app{AppState{}, Ports{fakes.window, fakes.sound, fakes.store, fakes.folders, listing, fakes.clock, fakes.volume,
                            fakes.tunes, fakes.launcher, fakes.chooser}};

  // Every song path in walk order, found one number at a time.
  std::vector<std::string> WalkOrder(const std::string& folder) {
    app.State.SongCounter = 0;
    CountSongs(app, folder);
    const std::int32_t count = app.State.SongCounter;
    std::vector<std::string> songs;
    for (std::int32_t target = 1; target <= count; ++target) {
      app.State.SongPath.clear();
      app.State.SongCounter = 0;
      app.State.SongTarget = target;
      FindSong(app, folder);
      songs.push_back(app.State.SongPath);
    }
    return songs;
  }
};

std::vector<std::tuple<std::string, std::uint32_t, std::uint64_t>> List(PosixFolderListing& listing,
                                                                        const std::string& pattern) {
  std::vector<std::tuple<std::string, std::uint32_t, std::uint64_t>> found;
  FindData data;
  std::uint32_t error = 0;
  const auto handle = listing.FindFirst(pattern, data, error);
  if (handle == FolderListing::InvalidHandle) return found;
  do {
    found.emplace_back(data.Name, data.Attributes, (std::uint64_t{data.SizeHigh} << 32) | data.SizeLow);
  } while (listing.FindNext(handle, data, error));
  listing.FindClose(handle);
  return found;
}

void MakeFifo(const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }

constexpr std::uint32_t Dir = FileAttrDirectory;
constexpr std::uint32_t Arc = FileAttrArchive;
constexpr std::uint32_t Hid = FileAttrHidden;
constexpr std::uint32_t Sys = FileAttrSystem;

TEST(PosixFolderListing, AttributesSizesAndSortedNames) {
  TempDir root;
  WriteBytes(root / "b.mp3", "12345");
  WriteBytes(root / "A.MP3", "1");
  WriteBytes(root / "empty.mp3", "");
  WriteBytes(root / ".hidden.mp3", "12");
  WriteBytes(root / "notes.txt", "x");
  MakeFolder(root / "dir.mp3");
  MakeFifo(root / "pipe.mp3");  // listing it must not block
  MakeSocket(root / "sock.mp3");
  ASSERT_EQ(symlink("b.mp3", (root / "link.mp3").c_str()), 0);
  ASSERT_EQ(symlink("nowhere.mp3", (root / "dangling.mp3").c_str()), 0);
  ASSERT_EQ(symlink("dir.mp3", (root / "linkdir.mp3").c_str()), 0);

  PosixFolderListing listing;
  using Row = std::tuple<std::string, std::uint32_t, std::uint64_t>;
  const std::vector<Row> songs = {
      {".hidden.mp3", Hid | Arc, 2}, {"A.MP3", Arc, 1},     {"b.mp3", Arc, 5},    {"dangling.mp3", Sys, 0},
      {"dir.mp3", Dir, 0},           {"empty.mp3", Arc, 0}, {"link.mp3", Arc, 5}, {"linkdir.mp3", Dir, 0},
      {"pipe.mp3", Sys, 0},          {"sock.mp3", Sys, 0},
  };
  auto listed = List(listing, root / "*.mp3");
  for (auto& row : listed) {
    if (std::get<1>(row) & Dir) std::get<2>(row) = 0;  // a folder's size means nothing
  }
  EXPECT_EQ(listed, songs);
}

TEST(PosixFolderListing, PatternsIgnoreCaseAndKnowTheWildcards) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"*.mp3", "song.mp3", true},    {"*.mp3", "SONG.MP3", true},  {"*.mp3", "song.Mp3", true},
      {"*.mp3", "song.mp3x", false},  {"*.mp3", "song.mp", false},  {"*.mp3", ".mp3", true},
      {"*.*", "noextension", true},   {"*.*", ".", true},           {"Music*.mp3", "music1.mp3", true},
      {"Music*.mp3", "a.mp3", false}, {"?.mp3", "a.mp3", true},     {"?.mp3", "ab.mp3", false},
      {"*a*b*", "xxaxxbxx", true},    {"*a*b*", "xxbxxaxx", false},
  };
  for (const auto& [glob, name, matches] : cases) {
    EXPECT_EQ(PosixFolderListing::Matches(glob, name), matches) << glob << " " << name;
  }
}

TEST(PosixFolderListing, MissingFolderFileAsFolderAndNoMatchFail) {
  TempDir root;
  WriteBytes(root / "a.txt", "x");
  PosixFolderListing listing;
  FindData data;
  for (const std::string& pattern : {root / "missing/*.mp3", root / "a.txt/*.*", root / "*.mp3"}) {
    std::uint32_t error = 0;
    EXPECT_EQ(listing.FindFirst(pattern, data, error), FolderListing::InvalidHandle) << pattern;
    EXPECT_NE(error, 0u) << pattern;
  }
}

class RealWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    // Songs are one byte; the names say where each one should come.
    WriteBytes(root / "b.mp3", "x");
    WriteBytes(root / "a.mp3", "x");
    WriteBytes(root / "SONG.MP3", "x");
    WriteBytes(root / "zero.mp3", "");
    WriteBytes(root / ".h.mp3", "x");
    WriteBytes(root / "readme.txt", "x");
    MakeFolder(root / "sub2");
    WriteBytes(root / "sub2/x.mp3", "x");
    MakeFolder(root / "sub1/deep");
    WriteBytes(root / "sub1/deep/d.mp3", "x");
    WriteBytes(root / "sub1/s.mp3", "x");
    MakeFolder(root / ".hid");
    WriteBytes(root / ".hid/h.mp3", "x");
    MakeFolder(root / "dir.mp3");
    WriteBytes(root / "dir.mp3/inner.mp3", "x");
    MakeFifo(root / "pipe.mp3");
    t.app.State.SubfoldersOn = true;
  }
  TempDir root;
  RealTree t;
};

TEST_F(RealWalk, SubfolderSongsFirstDepthFirstThenOwnSongsByName) {
  const std::vector<std::string> expected = {
      root / "dir.mp3/inner.mp3", root / "sub1/deep/d.mp3", root / "sub1/s.mp3", root / "sub2/x.mp3",
      root / "SONG.MP3",          root / "a.mp3",           root / "b.mp3",
  };
  EXPECT_EQ(t.WalkOrder(root.Path()), expected);
  EXPECT_EQ(t.listing.OpenListings(), 0u);
}

TEST_F(RealWalk, SubfoldersOffCountsTheFolderAlone) {
  t.app.State.SubfoldersOn = false;
  const std::vector<std::string> expected = {root / "SONG.MP3", root / "a.mp3", root / "b.mp3"};
  EXPECT_EQ(t.WalkOrder(root.Path()), expected);
}

TEST_F(RealWalk, MissingFolderNoSeparatorAndEmptyPath) {
  EXPECT_TRUE(t.WalkOrder(root / "missing/").empty());
  // Without the final separator the folder's own songs are found all the same.
  const std::vector<std::string> sub1 = {root / "sub1/deep/d.mp3", root / "sub1/s.mp3"};
  EXPECT_EQ(t.WalkOrder(root / "sub1"), sub1);
  EXPECT_EQ(t.WalkOrder(root / "sub1/"), sub1);
  // An empty path walks the current folder.
  char* previous = getcwd(nullptr, 0);
  ASSERT_EQ(chdir((root / "sub1").c_str()), 0);
  const auto songs = t.WalkOrder("");
  ASSERT_EQ(chdir(previous), 0);
  free(previous);
  EXPECT_EQ(songs, (std::vector<std::string>{"deep/d.mp3", "s.mp3"}));
}

TEST_F(RealWalk, LinksBackToAncestorsAreNotEntered) {
  ASSERT_EQ(symlink(root.Path().c_str(), (root / "sub1/deep/up").c_str()), 0);
  ASSERT_EQ(symlink("..", (root / "sub1/parent").c_str()), 0);
  ASSERT_EQ(symlink(".", (root / "sub2/self").c_str()), 0);
  // A link to a folder elsewhere is an ordinary folder.
  MakeFolder(root / "sub1/deep/other");
  TempDir elsewhere;
  WriteBytes(elsewhere / "e.mp3", "x");
  ASSERT_EQ(symlink(elsewhere.Path().c_str(), (root / "sub2/away").c_str()), 0);
  const auto songs = t.WalkOrder(root.Path());
  const std::vector<std::string> expected = {
      root / "dir.mp3/inner.mp3", root / "sub1/deep/d.mp3", root / "sub1/s.mp3", root / "sub2/away/e.mp3",
      root / "sub2/x.mp3",        root / "SONG.MP3",        root / "a.mp3",      root / "b.mp3",
  };
  EXPECT_EQ(songs, expected);
}

TEST_F(RealWalk, UnreadableSubfoldersAreSkipped) {
  ASSERT_EQ(chmod((root / "sub1").c_str(), 0), 0);        // neither listable nor enterable
  ASSERT_EQ(chmod((root / "dir.mp3").c_str(), 0300), 0);  // enterable, not listable
  ASSERT_EQ(chmod((root / "sub2").c_str(), 0600), 0);     // listable, not enterable
  const std::vector<std::string> expected = {root / "SONG.MP3", root / "a.mp3", root / "b.mp3"};
  if (geteuid() != 0) {
    EXPECT_EQ(t.WalkOrder(root.Path()), expected);
    return;
  }
  // Permissions do not bind the superuser: walk as nobody in a child process.
  ASSERT_EQ(chmod(root.Path().c_str(), 0755), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    if (access((root / "a.mp3").c_str(), R_OK) != 0) _exit(3);  // the temporary folder is out of reach
    _exit(t.WalkOrder(root.Path()) == expected ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "nobody cannot reach " << root.Path();
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: wrong songs, 2: could not become nobody";
}

TEST_F(RealWalk, SongRemovedAfterTheShuffleGivesAnEmptyPath) {
  t.app.State.SubfoldersOn = false;
  t.app.State.MP3Folder = root.Path();
  ASSERT_TRUE(ShuffleSongs(t.app));
  ASSERT_EQ(t.app.State.SongOrder.size(), 4u);
  // Take away every song, so whichever number comes next finds nothing.
  for (const char* name : {"SONG.MP3", "a.mp3", "b.mp3"}) unlink((root / name).c_str());
  NextSongPath(t.app);
  EXPECT_EQ(t.app.State.SongPath, "");
}

}  // namespace
