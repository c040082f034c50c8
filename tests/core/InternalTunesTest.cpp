// The internal tunes: the choice against the last ten, the tune file in the
// temporary folder, a title even when no file could be written; the random
// generator behind the choice.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Fakes.h"
#include "app/Platform.h"
#include "music/InternalTunes.h"
#include "music/Random.h"
#include "music/TuneTitles.h"

static std::string P(std::string path) {
  std::replace(path.begin(), path.end(), '/', PathSeparator);
  return path;
}

static std::string Title(TestApp& t) { return TuneTitles[static_cast<std::size_t>(t.state.TuneHistory.back() - 'a')]; }

TEST(InternalTunes, NoTuneRepeatsWithinElevenAndEveryTunePlays) {
  std::set<char> played;
  for (const std::uint64_t step : {1ull, 1000003ull, 0x100000000ull /* low bits unchanged */}) {
    TestApp t;
    t.clock.counter = 12345;  // worked out by hand: the first draw is 'k'
    t.folders.tempFolder = "T";
    std::string letters;
    for (int i = 0; i < 60; ++i) {
      PlayInternalTune(t.app);
      letters += t.state.TuneHistory.back();
      EXPECT_EQ(t.sound.Mode(), "playing");
      EXPECT_EQ(t.window.caption, Title(t));
      *t.clock.counter += step;
      t.sound.FinishSong();
    }
    EXPECT_EQ(letters[0], 'k');
    EXPECT_EQ(letters.substr(0, 10).find('z'), std::string::npos) << letters;
    for (std::size_t i = 0; i + 11 <= letters.size(); ++i) {
      const std::string window = letters.substr(i, 11);
      EXPECT_EQ(std::set<char>(window.begin(), window.end()).size(), 11u) << letters;
    }
    played.insert(letters.begin(), letters.end());
  }
  EXPECT_EQ(played.size(), 26u);
}

// A failed write or a missing tune: the title still shows, the choice counts
// as played and whatever an earlier start left in the file plays.
TEST(InternalTunes, TuneFileLandsInTheTempFolderWithOrWithoutSeparator) {
  for (const std::string& folder : {P("T/"), P("T")}) {
    for (const bool fail : {false, true}) {
      TestApp t;
      t.folders.tempFolder = folder;
      t.tunes.failWrite = fail;
      PlayInternalTune(t.app);
      EXPECT_EQ(t.window.caption, Title(t));
      EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
      EXPECT_EQ(t.tunes.files.count(P("T/Temp.mid")), fail ? 0u : 1u);
    }
  }
}

TEST(Random, FollowsTheLinearCongruentialSequenceAndItsSeed) {
  // seed := seed * 134775813 + 1; result := (range * seed) >> 32, worked out by hand.
  const std::pair<std::int32_t, std::uint32_t> expected[] = {{0, 1u}, {31, 134775814u}, {861, 3698175007u}};
  std::uint32_t seed = 0;
  for (const auto& [value, nextSeed] : expected) {
    EXPECT_EQ(Random(seed, 1000), value);
    EXPECT_EQ(seed, nextSeed);
  }
  FakeClock clock;
  clock.counter = 0x123456789ABCDEF0ull;
  Randomize(seed, clock);
  EXPECT_EQ(seed, 0x9ABCDEF0u);
  clock.counter = std::nullopt;
  Randomize(seed, clock);
  EXPECT_EQ(seed, 777u);
}
