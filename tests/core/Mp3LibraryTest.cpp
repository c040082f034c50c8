// The MP3 library over an in-memory folder tree: which files are songs and in
// what order the walk numbers them, the shuffle and the song lookup.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Fakes.h"
#include "app/Platform.h"
#include "music/Mp3Library.h"

namespace {

// A path written with "/" in the test, with the platform's separator.
std::string P(std::string path) {
  std::replace(path.begin(), path.end(), '/', PathSeparator);
  return path;
}

std::vector<std::string> NextSongs(TestApp& t, int count) {
  std::vector<std::string> songs;
  for (int i = 0; i < count; ++i) {
    NextSongPath(t.app);
    songs.push_back(t.state.SongPath);
  }
  return songs;
}

// Subfolder songs first, depth first, in listing order (not by name); hidden,
// system and empty files and hidden or system folders left out; a folder named
// like a song walked; the folder found with or without its final separator.
TEST(Mp3Library, SongsInWalkOrder) {
  TestApp t;
  FakeFolderListing& l = t.listing;
  for (const char* name : {"own1.mp3", "OWN2.MP3"}) l.AddFile(P("M"), name);
  l.AddFile(P("M"), "4 GB.mp3", std::uint64_t{1} << 32);
  l.AddFile(P("M"), "empty.mp3", 0);
  l.AddFile(P("M"), "hidden.mp3", 5, FileAttrArchive | FileAttrHidden);
  l.AddFile(P("M"), "system.mp3", 5, FileAttrArchive | FileAttrSystem);
  l.AddFile(P("M"), "notes.txt", 5);
  l.AddSubfolder(P("M"), "zeta");
  l.AddSubfolder(P("M"), "alpha.mp3");
  l.AddSubfolder(P("M"), "secret", FileAttrDirectory | FileAttrHidden);
  l.AddSubfolder(P("M"), "sys", FileAttrDirectory | FileAttrSystem);
  l.AddFile(P("M/secret"), "s.mp3");
  l.AddFile(P("M/sys"), "s.mp3");
  l.AddFile(P("M/zeta"), "z1.mp3");
  l.AddSubfolder(P("M/zeta"), "deep");
  l.AddFile(P("M/zeta/deep"), "d1.mp3");
  l.AddFile(P("M/zeta/deep"), "d2.mp3");
  l.AddFile(P("M/alpha.mp3"), "a1.mp3");
  l.AddFile(P("/"), "r.mp3");
  const std::vector<std::string> all = {P("M/zeta/deep/d1.mp3"), P("M/zeta/deep/d2.mp3"), P("M/zeta/z1.mp3"),
                                        P("M/alpha.mp3/a1.mp3"), P("M/own1.mp3"),         P("M/OWN2.MP3"),
                                        P("M/4 GB.mp3")};
  const struct {
    const char* folder;
    bool subfolders;
    std::vector<std::string> songs;
  } rows[] = {
      {"M/", true, all},
      {"M", true, all},
      {"M/", false, {P("M/own1.mp3"), P("M/OWN2.MP3"), P("M/4 GB.mp3")}},
      {"M/zeta", true, {P("M/zeta/deep/d1.mp3"), P("M/zeta/deep/d2.mp3"), P("M/zeta/z1.mp3")}},
      {"/", false, {P("/r.mp3")}},
      {"Nowhere/", true, {}},
  };
  for (const auto& row : rows) {
    AppState& s = t.state;
    s.MP3Folder = P(row.folder);
    s.SubfoldersOn = row.subfolders;
    s.SongOrder.clear();
    EXPECT_EQ(ShuffleSongs(t.app), !row.songs.empty());
    std::vector<std::string> songs;
    for (std::size_t target = 1; target < s.SongOrder.size(); ++target) {
      s.SongOrder[target] = static_cast<std::int32_t>(target);  // walk order, unshuffled
      s.SongPos = static_cast<std::int32_t>(target) - 1;
      NextSongPath(t.app);
      songs.push_back(s.SongPath);
    }
    EXPECT_EQ(songs, row.songs) << row.folder;
    EXPECT_EQ(s.MP3Folder, P(row.folder));  // what is stored stays as it was
    EXPECT_EQ(l.openListings, 0);
  }
  // Finding the first song lists no further than that song.
  t.state.MP3Folder = P("M/");
  t.state.SongPos = 0;
  t.state.SubfoldersOn = true;
  t.state.SongOrder = {0, 1};
  l.patterns.clear();
  NextSongPath(t.app);
  EXPECT_EQ(l.patterns,
            (std::vector<std::string>{P("M/*.*"), P("M/zeta/*.*"), P("M/zeta/deep/*.*"), P("M/zeta/deep/*.mp3")}));
}

TEST(Mp3Library, ShuffleOfKnownSeedsGivesTheWorkedOutOrder) {
  // Worked out by hand: seeded from the counter's low 32 bits, three rounds
  // of j = Random(N) + 1, swap i and j when they differ, then SongPos = Random(N).
  const struct {
    std::uint64_t seed;
    int songs;
    std::vector<std::int32_t> order;
    std::int32_t pos;
    std::uint32_t seedAfter;
  } rows[] = {
      {0x1234567800003039ull, 3, {0, 3, 1, 2}, 2, 3964786223u},
      {0xDEADBEEFu, 5, {0, 4, 3, 2, 5, 1}, 1, 1493880607u},
      {12345u, 1, {0, 1}, 0, 2377737157u},
  };
  for (const auto& row : rows) {
    TestApp t;
    for (int i = 1; i <= row.songs; ++i) t.listing.AddFile(P("M"), "s" + std::to_string(i) + ".mp3");
    t.state.MP3Folder = P("M/");
    t.clock.counter = row.seed;
    ASSERT_TRUE(ShuffleSongs(t.app));
    EXPECT_EQ(t.state.SongOrder, row.order) << row.seed;
    EXPECT_EQ(t.state.SongPos, row.pos) << row.seed;
    EXPECT_EQ(t.state.RandSeed, row.seedAfter) << row.seed;
    // The first song is the one after SongPos; the order wraps around.
    const auto song = [](std::int32_t n) { return P("M/s") + std::to_string(n) + ".mp3"; };
    const std::size_t n = row.order.size() - 1;
    const auto at = [&](std::size_t k) { return song(row.order[(static_cast<std::size_t>(row.pos) + k) % n + 1]); };
    EXPECT_EQ(NextSongs(t, 4), (std::vector<std::string>{at(0), at(1), at(2), at(3)}));
  }
}

// A shuffle that finds nothing keeps the earlier order, whose numbers find
// nothing until songs come back; a smaller tree gets a smaller order.
TEST(Mp3Library, NoSongLeavesTheEarlierOrder) {
  TestApp t;
  AppState& s = t.state;
  s.MP3Folder = P("M/");
  EXPECT_FALSE(ShuffleSongs(t.app));
  s.SongPath = "left alone";
  NextSongPath(t.app);  // no order yet: returns at once
  EXPECT_EQ(s.SongPath, "left alone");
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) t.listing.AddFile(P("M"), name);
  ASSERT_TRUE(ShuffleSongs(t.app));
  t.listing.Remove(P("M"), "c.mp3");
  ASSERT_TRUE(ShuffleSongs(t.app));
  const auto order = s.SongOrder;
  EXPECT_EQ(order.size(), 3u);
  s.MP3Folder = P("Empty/");
  EXPECT_FALSE(ShuffleSongs(t.app));
  EXPECT_EQ(s.SongOrder, order);
  NextSongPath(t.app);
  EXPECT_EQ(s.SongPath, "");
  s.MP3Folder = P("M/");
  NextSongPath(t.app);
  EXPECT_NE(s.SongPath, "");
}

}  // namespace
