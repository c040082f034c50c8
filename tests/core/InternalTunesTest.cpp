// The internal tunes: the choice against the last ten, the tune file in the
// temporary folder, and a title even when no file could be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Fakes.h"
#include "app/Platform.h"
#include "music/InternalTunes.h"
#include "music/TuneTitles.h"

namespace {

std::string P(std::string path) {
  std::replace(path.begin(), path.end(), '/', PathSeparator);
  return path;
}

std::string Title(TestApp& t) { return TuneTitles[static_cast<std::size_t>(t.state.TuneHistory.back() - 'a')]; }

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

TEST(InternalTunes, TuneFileLandsInTheTempFolderWithOrWithoutSeparator) {
  const std::pair<std::string, std::string> cases[] = {
      {P("T/"), P("T/Temp.mid")},
      {P("T"), P("T/Temp.mid")},
      {P("T/") + std::string(1, '\0') + "junk", P("T/Temp.mid")},  // text ends at its NUL
  };
  for (const auto& [folder, path] : cases) {
    TestApp t;
    t.folders.tempFolder = folder;
    PlayInternalTune(t.app);
    EXPECT_EQ(t.sound.openPath, path);
    EXPECT_EQ(t.tunes.files[path], t.tunes.resources[std::string(1, t.state.TuneHistory.back())]);
  }
}

// A failed write, a missing tune or no temporary folder: the title still
// shows and the choice counts as played; whatever an earlier start left in
// the file is what plays.
TEST(InternalTunes, TitleIsShownWhenNothingCouldBeWritten) {
  TestApp t;
  t.folders.tempFolder = P("T/");
  t.tunes.failWrite = true;
  PlayInternalTune(t.app);
  EXPECT_EQ(t.window.caption, Title(t));
  t.tunes.failWrite = false;
  t.tunes.resources.clear();
  PlayInternalTune(t.app);
  EXPECT_EQ(t.window.caption, Title(t));
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
  t.folders.tempFolder = "";
  PlayInternalTune(t.app);
  EXPECT_EQ(t.sound.Mode(), "");  // the empty path does not open
  EXPECT_EQ(t.window.caption, Title(t));
  EXPECT_EQ(t.state.TuneHistory.size(), 10u);
  EXPECT_TRUE(t.tunes.files.empty());
}

}  // namespace
