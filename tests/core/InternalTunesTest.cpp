// The internal tunes: the choice against the last ten, the tune file in the
// temporary folder and the order of a tune's start.
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

class InternalTunesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.folders.tempFolder = P("T/");
    t.tunes.onWrite = [this](const std::string& path) { t.sound.log.push_back("write " + path); };
    t.window.onCaption = [this](const std::string& text) { t.sound.log.push_back("caption " + text); };
  }
  TestApp t;
  AppState& s = t.state;
};

TEST_F(InternalTunesTest, StartClosesWritesPlaysThenShowsTheTitle) {
  t.clock.counter = 12345;  // worked out by hand: the first draw is 'k'
  PlayInternalTune(t.app);
  const std::string path = P("T/Temp.mid");
  EXPECT_EQ(t.sound.log, (std::vector<std::string>{"close", "write " + path, "open " + path, "play",
                                                   std::string("caption ") + TuneTitles['k' - 'a']}));
  EXPECT_EQ(s.TuneHistory, "zzzzzzzzzk");
  EXPECT_EQ(t.tunes.files[path], t.tunes.resources["k"]);
}

TEST_F(InternalTunesTest, FirstTenNeverZAndElevenInARowAllDifferent) {
  for (const std::uint64_t step : {1ull, 7ull, 1000003ull, 0x100000000ull /* low bits unchanged */}) {
    for (const std::uint64_t start : {0ull, 12345ull, 0xFFFFFFFFull}) {
      TestApp fresh;
      fresh.clock.counter = start;
      std::string letters;
      for (int i = 0; i < 60; ++i) {
        PlayInternalTune(fresh.app);
        letters += fresh.state.TuneHistory.back();
        *fresh.clock.counter += step;
      }
      EXPECT_EQ(letters.substr(0, 10).find('z'), std::string::npos) << letters;
      for (std::size_t i = 0; i + 11 <= letters.size(); ++i) {
        const std::string window = letters.substr(i, 11);
        EXPECT_EQ(std::set<char>(window.begin(), window.end()).size(), 11u) << letters;
      }
    }
  }
}

TEST_F(InternalTunesTest, TuneFileLandsInTheTempFolderWithOrWithoutSeparator) {
  const std::pair<std::string, std::string> cases[] = {
      {P("T/"), P("T/Temp.mid")},
      {P("T"), P("T/Temp.mid")},
      {P("/var/tmp/x/"), P("/var/tmp/x/Temp.mid")},
      {P("T/") + std::string(1, '\0') + "junk", P("T/Temp.mid")},  // text ends at its NUL
  };
  for (const auto& [folder, path] : cases) {
    t.folders.tempFolder = folder;
    t.sound.Close();
    PlayInternalTune(t.app);
    EXPECT_EQ(t.sound.openPath, path);
    EXPECT_EQ(t.tunes.files[path], t.tunes.resources[std::string(1, s.TuneHistory.back())]);
  }
}

// A failed write, a missing tune or no temporary folder: nothing is
// written, the title still shows and the choice counts as played.
TEST_F(InternalTunesTest, TitleIsShownWhenNothingCouldBeWritten) {
  const auto title = [&] { return std::string(TuneTitles[static_cast<std::size_t>(s.TuneHistory.back() - 'a')]); };
  t.tunes.failWrite = true;
  PlayInternalTune(t.app);
  EXPECT_EQ(t.window.caption, title());
  t.tunes.failWrite = false;
  t.tunes.resources.clear();  // no tune of that name
  PlayInternalTune(t.app);
  EXPECT_EQ(t.window.caption, title());
  // Whatever an earlier start left in the file is what plays.
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
  t.folders.tempFolder = "";
  t.sound.Close();
  PlayInternalTune(t.app);
  EXPECT_EQ(t.sound.Mode(), "");  // the empty path does not open
  EXPECT_EQ(t.window.caption, title());
  EXPECT_EQ(s.TuneHistory.size(), 10u);
  EXPECT_TRUE(t.tunes.files.empty());
}

}  // namespace
