// The MP3 library over an in-memory folder tree: which files are songs and in
// what order the walk numbers them, the shuffle and the song lookup.
#include <gtest/gtest.h>

#include <numeric>

#include "Fakes.h"
#include "music/Mp3Library.h"

// Subfolder songs first, depth first, numbered on from one folder to the
// next; hidden and empty files and hidden folders left out; the folder found
// with or without its final separator. Without a song the order stays as it was.
TEST(Mp3Library, SongsInWalkOrder) {
  TestApp t;
  FakeFolderListing& l = t.listing;
  for (const char* name : {"own1.mp3", "OWN2.MP3"}) l.AddFile(P("M"), name);
  l.AddFile(P("M"), "4 GB.mp3", std::uint64_t{1} << 32), l.AddFile(P("M"), "empty.mp3", 0);
  l.AddFile(P("M"), "hidden.mp3", 5, FileAttrArchive | FileAttrHidden), l.AddFile(P("M"), "notes.txt", 5);
  l.AddFile(P("M"), "zeta", 0, FileAttrDirectory), l.AddFile(P("M"), "secret", 0, FileAttrDirectory | FileAttrHidden);
  l.AddFile(P("M/secret"), "s.mp3"), l.AddFile(P("M/zeta"), "z1.mp3");
  l.AddFile(P("M/zeta"), "deep", 0, FileAttrDirectory), l.AddFile(P("M/zeta/deep"), "d1.mp3");
  l.AddFile(P("M"), "alpha", 0, FileAttrDirectory), l.AddFile(P("M/alpha"), "a1.mp3");
  const std::vector<std::string> own = {P("M/own1.mp3"), P("M/OWN2.MP3"), P("M/4 GB.mp3")};
  const std::tuple<const char*, bool, std::vector<std::string>> rows[] = {
      {"M", true, {P("M/zeta/deep/d1.mp3"), P("M/zeta/z1.mp3"), P("M/alpha/a1.mp3"), own[0], own[1], own[2]}},
      {"M/", false, own}};
  for (const auto& [folder, subfolders, expected] : rows) {
    AppState& s = t.state;
    s.MP3Folder = P(folder), s.SubfoldersOn = subfolders;
    ASSERT_TRUE(ShuffleSongs(t.app));
    std::iota(s.SongOrder.begin(), s.SongOrder.end(), 0), s.SongPos = 0;  // walk order, unshuffled
    std::vector<std::string> songs;
    for (std::size_t song = 1; song < s.SongOrder.size(); ++song) NextSongPath(t.app), songs.push_back(s.SongPath);
    EXPECT_EQ(songs, expected) << folder;
    EXPECT_EQ(s.MP3Folder, P(folder));  // what is stored stays as it was
    EXPECT_EQ(l.openListings, 0);
  }
  const auto order = t.state.SongOrder;  // a shuffle that finds nothing keeps the earlier order
  t.state.MP3Folder = P("Nowhere/");
  EXPECT_FALSE(ShuffleSongs(t.app));
  EXPECT_EQ(t.state.SongOrder, order);
}

// Worked out by hand: seeded from the counter's low 32 bits, three rounds of
// j = Random(N) + 1, swap i and j when they differ, then SongPos = Random(N);
// the first song is the one after SongPos, and the order wraps around.
TEST(Mp3Library, ShuffleOfAKnownSeedGivesTheWorkedOutOrder) {
  TestApp t;
  for (const char* name : {"s1.mp3", "s2.mp3", "s3.mp3"}) t.listing.AddFile(P("M"), name);
  t.state.MP3Folder = P("M/");
  t.clock.counter = 0x1234567800003039ull;
  ASSERT_TRUE(ShuffleSongs(t.app));
  std::string songs;
  for (int k = 0; k < 4; ++k) NextSongPath(t.app), songs += t.state.SongPath + " ";
  EXPECT_EQ(songs, P("M/s2.mp3 M/s3.mp3 M/s1.mp3 M/s2.mp3 "));
}
