// The MP3 library: directory search records, the walk order, the shuffle
// and the song lookup, over an in-memory folder tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "Fakes.h"
#include "app/Platform.h"
#include "music/Mp3Library.h"
#include "music/Random.h"

namespace {

// A path written with "/" in the test, with the platform's separator.
std::string P(std::string path) {
  std::replace(path.begin(), path.end(), '/', PathSeparator);
  return path;
}

class Mp3LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.MP3Folder = P("M/");
    s.SubfoldersOn = true;
  }
  // Every song in walk order, found one number at a time.
  std::vector<std::string> WalkOrder() {
    s.SongCounter = 0;
    CountSongs(t.app, s.MP3Folder);
    const std::int32_t count = s.SongCounter;
    std::vector<std::string> songs;
    for (std::int32_t target = 1; target <= count; ++target) {
      s.SongPath.clear();
      s.SongCounter = 0;
      s.SongTarget = target;
      FindSong(t.app, s.MP3Folder);
      songs.push_back(s.SongPath);
    }
    return songs;
  }
  std::vector<std::string> NextSongs(int count) {
    std::vector<std::string> songs;
    for (int i = 0; i < count; ++i) {
      NextSongPath(t.app);
      songs.push_back(s.SongPath);
    }
    return songs;
  }
  void AddSongs(const std::string& folder, std::initializer_list<const char*> names) {
    for (const char* name : names) t.listing.AddFile(P(folder), name);
  }
  TestApp t;
  AppState& s = t.state;
};

TEST_F(Mp3LibraryTest, SearchRecordSkipsExcludedEntriesAndFillsFields) {
  t.listing.AddFile(P("M"), "hidden.mp3", 10, FileAttrArchive | FileAttrHidden);
  t.listing.AddFile(P("M"), "system.mp3", 10, FileAttrArchive | FileAttrSystem);
  t.listing.AddSubfolder(P("M"), "folder.mp3");
  t.listing.AddFile(P("M"), "big.mp3", (std::uint64_t{3} << 32) + 7);
  t.listing.AddFile(P("M"), "last.mp3", 1, 0);  // no archive bit: still not excluded

  TSearchRec rec;
  ASSERT_EQ(SearchFirst(t.listing, P("M/*.mp3"), FileAttrArchive, rec), 0u);
  EXPECT_EQ(rec.Name, "big.mp3");
  EXPECT_EQ(rec.Size, (std::int64_t{3} << 32) + 7);
  EXPECT_EQ(rec.Attr, static_cast<std::int32_t>(FileAttrArchive));
  ASSERT_EQ(SearchNext(t.listing, rec), 0u);
  EXPECT_EQ(rec.Name, "last.mp3");
  EXPECT_NE(SearchNext(t.listing, rec), 0u);
  SearchClose(t.listing, rec);
  SearchClose(t.listing, rec);  // twice is harmless
  EXPECT_EQ(rec.FindHandle, FolderListing::InvalidHandle);
  EXPECT_EQ(t.listing.openListings, 0);

  // Asking for folders excludes only hidden and system entries.
  ASSERT_EQ(SearchFirst(t.listing, P("M/*.*"), FileAttrDirectory, rec), 0u);
  EXPECT_EQ(rec.Name, ".");
  ASSERT_EQ(SearchNext(t.listing, rec), 0u);
  ASSERT_EQ(SearchNext(t.listing, rec), 0u);
  EXPECT_EQ(rec.Name, "folder.mp3");
  SearchClose(t.listing, rec);

  // Nothing left after the exclusions, or no folder at all: fails and closes.
  EXPECT_NE(SearchFirst(t.listing, P("M/hidden.mp3"), FileAttrArchive, rec), 0u);
  EXPECT_EQ(rec.FindHandle, FolderListing::InvalidHandle);
  EXPECT_NE(SearchFirst(t.listing, P("nowhere/*.mp3"), FileAttrArchive, rec), 0u);
  EXPECT_EQ(t.listing.openListings, 0);
}

// Walked in listing order, not by name; hidden, system and empty files and
// hidden or system folders are left out; a folder named like a song is walked.
TEST_F(Mp3LibraryTest, SubfolderSongsComeFirstDepthFirstInListingOrder) {
  AddSongs("M", {"own1.mp3", "OWN2.MP3"});
  t.listing.AddFile(P("M"), "empty.mp3", 0);
  t.listing.AddFile(P("M"), "hidden.mp3", 5, FileAttrArchive | FileAttrHidden);
  t.listing.AddFile(P("M"), "system.mp3", 5, FileAttrArchive | FileAttrSystem);
  t.listing.AddFile(P("M"), "notes.txt", 5);
  t.listing.AddSubfolder(P("M"), "zeta");  // listed first, so walked first
  t.listing.AddSubfolder(P("M"), "alpha.mp3");
  t.listing.AddSubfolder(P("M"), "secret", FileAttrDirectory | FileAttrHidden);
  t.listing.AddSubfolder(P("M"), "sys", FileAttrDirectory | FileAttrSystem);
  AddSongs("M/secret", {"s.mp3"});
  AddSongs("M/sys", {"s.mp3"});
  AddSongs("M/zeta", {"z1.mp3"});
  t.listing.AddSubfolder(P("M/zeta"), "deep");
  AddSongs("M/zeta/deep", {"d1.mp3", "d2.mp3"});
  AddSongs("M/alpha.mp3", {"a1.mp3"});
  const std::vector<std::string> expected = {P("M/zeta/deep/d1.mp3"), P("M/zeta/deep/d2.mp3"), P("M/zeta/z1.mp3"),
                                             P("M/alpha.mp3/a1.mp3"), P("M/own1.mp3"),         P("M/OWN2.MP3")};
  EXPECT_EQ(WalkOrder(), expected);
  EXPECT_EQ(t.listing.openListings, 0);
}

TEST_F(Mp3LibraryTest, FindingStopsListingOnceTheSongIsFound) {
  t.listing.AddSubfolder(P("M"), "a");
  t.listing.AddSubfolder(P("M"), "b");
  AddSongs("M/a", {"1.mp3", "2.mp3"});
  AddSongs("M/b", {"3.mp3"});
  AddSongs("M", {"4.mp3"});
  s.SongCounter = 0;
  s.SongTarget = 2;
  FindSong(t.app, s.MP3Folder);
  EXPECT_EQ(s.SongPath, P("M/a/2.mp3"));
  EXPECT_EQ(s.SongCounter, 2);
  EXPECT_EQ(t.listing.patterns, (std::vector<std::string>{P("M/*.*"), P("M/a/*.*"), P("M/a/*.mp3")}));
  EXPECT_EQ(t.listing.openListings, 0);
  s.SongPath.clear();
  s.SongCounter = 0;
  s.SongTarget = 5;  // beyond the songs there are
  FindSong(t.app, s.MP3Folder);
  EXPECT_EQ(s.SongPath, "");
  EXPECT_EQ(s.SongCounter, 4);
}

TEST_F(Mp3LibraryTest, ShuffleOfKnownSeedsGivesTheWorkedOutOrder) {
  // Worked out by hand: seeded from the counter's low 32 bits, three rounds
  // of j = Random(N) + 1, swap i and j when they differ, then SongPos = Random(N).
  struct Case {
    std::uint64_t seed;
    int songs;
    std::vector<std::int32_t> order;
    std::int32_t pos;
    std::uint32_t seedAfter;
  };
  const Case cases[] = {
      {0x1234567800003039ull, 3, {0, 3, 1, 2}, 2, 3964786223u},
      {0xDEADBEEFu, 5, {0, 4, 3, 2, 5, 1}, 1, 1493880607u},
      {12345u, 1, {0, 1}, 0, 2377737157u},
  };
  for (const Case& c : cases) {
    TestApp fresh;
    for (int i = 1; i <= c.songs; ++i) fresh.listing.AddFile(P("M"), "s" + std::to_string(i) + ".mp3");
    fresh.state.MP3Folder = P("M/");
    fresh.clock.counter = c.seed;
    ASSERT_TRUE(ShuffleSongs(fresh.app));
    EXPECT_EQ(fresh.state.SongOrder, c.order) << c.seed;
    EXPECT_EQ(fresh.state.SongPos, c.pos) << c.seed;
    EXPECT_EQ(fresh.state.RandSeed, c.seedAfter) << c.seed;
  }
  // Order 3, 1, 2 from position 2: the first song is the one after SongPos.
  AddSongs("M", {"a.mp3", "b.mp3", "c.mp3"});
  t.clock.counter = 12345;
  ASSERT_TRUE(ShuffleSongs(t.app));
  EXPECT_EQ(NextSongs(4), (std::vector<std::string>{P("M/b.mp3"), P("M/c.mp3"), P("M/a.mp3"), P("M/b.mp3")}));
  EXPECT_EQ(s.SongPos, 3);
}

// One song plays again after itself; three play once each, then the cycle repeats.
TEST_F(Mp3LibraryTest, EverySongOnceThenTheSameCycle) {
  AddSongs("M", {"only.mp3"});
  ASSERT_TRUE(ShuffleSongs(t.app));
  EXPECT_EQ(s.SongOrder, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(s.SongPos, 0);
  EXPECT_EQ(NextSongs(3), std::vector<std::string>(3, P("M/only.mp3")));
  AddSongs("M", {"b.mp3", "c.mp3"});
  for (std::uint64_t counter : {1ull, 77ull, 123456789ull, 0xFFFFFFFFull}) {
    t.clock.counter = counter;
    ASSERT_TRUE(ShuffleSongs(t.app));
    const auto songs = NextSongs(7);
    EXPECT_EQ(std::set<std::string>(songs.begin(), songs.begin() + 3).size(), 3u);
    EXPECT_EQ(songs[3], songs[0]);
    EXPECT_EQ(songs[4], songs[1]);
    EXPECT_EQ(songs[6], songs[0]);
  }
}

// The stored folder may lack its final separator (the music dialog keeps it
// so while open): the walks find the same songs either way, the root too.
TEST_F(Mp3LibraryTest, FolderWithOrWithoutItsSeparatorGivesTheSameSongs) {
  AddSongs("M", {"a.mp3"});
  t.listing.AddSubfolder(P("M"), "sub");
  AddSongs("M/sub", {"s.mp3"});
  AddSongs("/", {"r.mp3"});
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"M", {P("M/sub/s.mp3"), P("M/a.mp3")}},
      {"M/", {P("M/sub/s.mp3"), P("M/a.mp3")}},
      {"M/sub", {P("M/sub/s.mp3")}},
      {"/", {P("/r.mp3")}},
  };
  for (const auto& [folder, songs] : cases) {
    s.MP3Folder = P(folder);
    EXPECT_EQ(WalkOrder(), songs) << folder;
    EXPECT_EQ(s.MP3Folder, P(folder));  // what is stored stays as it was
  }
}

TEST_F(Mp3LibraryTest, NoSongLeavesTheEarlierOrder) {
  EXPECT_FALSE(ShuffleSongs(t.app));
  EXPECT_TRUE(s.SongOrder.empty());
  s.SongPath = "left alone";
  NextSongPath(t.app);  // no order yet: returns at once
  EXPECT_EQ(s.SongPath, "left alone");
  EXPECT_TRUE(t.listing.patterns.size() == 2);  // only the count walk listed

  AddSongs("M", {"a.mp3", "b.mp3"});
  ASSERT_TRUE(ShuffleSongs(t.app));
  const auto order = s.SongOrder;
  const auto pos = s.SongPos;
  s.MP3Folder = P("Empty/");
  EXPECT_FALSE(ShuffleSongs(t.app));
  EXPECT_EQ(s.SongOrder, order);
  EXPECT_EQ(s.SongPos, pos);
  NextSongPath(t.app);
  EXPECT_EQ(s.SongPath, "");
  // Songs come back under the folder: the old numbers find them.
  s.MP3Folder = P("M/");
  NextSongPath(t.app);
  EXPECT_NE(s.SongPath, "");
}

TEST(SongOrder, HoldsOneNumberPerSongEvenAfterALargerTree) {
  TestApp t;
  t.state.MP3Folder = P("M/");
  for (int i = 1; i <= 1000; ++i) t.listing.AddFile(P("M"), "s" + std::to_string(i) + ".mp3");
  ASSERT_TRUE(ShuffleSongs(t.app));
  for (int i = 3; i <= 1000; ++i) t.listing.Remove(P("M"), "s" + std::to_string(i) + ".mp3");
  ASSERT_TRUE(ShuffleSongs(t.app));
  EXPECT_EQ(t.state.SongOrder.size(), 3u);
  EXPECT_EQ(t.state.SongOrder.capacity(), 3u);
}

}  // namespace
