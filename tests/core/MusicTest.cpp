// Starting, continuing and stopping music over the sound channel, in the
// order the channel sees the calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "Fakes.h"
#include "alarm/Countdown.h"
#include "app/Platform.h"
#include "music/Mp3Library.h"
#include "music/Music.h"
#include "music/TuneTitles.h"

namespace {

std::string P(std::string path) {
  std::replace(path.begin(), path.end(), '/', PathSeparator);
  return path;
}

TEST(SongCaption, FileNameWithoutFolderAndExtension) {
  const std::pair<std::string, std::string> cases[] = {
      {P("C:/Music/Song one.mp3"), "Song one"},
      {P("/a/b/c/Deep.MP3"), "Deep"},
      {"Bare.mp3", "Bare"},
      {P("M/abcd"), "abcd"},  // four characters or fewer are shown whole
      {P("M/.mp3"), ".mp3"},
      {P("M/abcde"), "a"},
      {P("M/x.y.mp3"), "x.y"},
      {P("M/"), ""},
      {"", ""},
  };
  for (const auto& [path, caption] : cases) EXPECT_EQ(SongCaption(path), caption) << path;
}

class MusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.MP3Folder = P("M/");
    s.UseMidi = false;
    t.folders.tempFolder = P("T/");
  }
  void AddSongs(int count) {
    for (int i = 1; i <= count; ++i) t.listing.AddFile(P("M"), "s" + std::to_string(i) + ".mp3");
  }
  TestApp t;
  AppState& s = t.state;
};

// The caption an internal tune shows: the title of the tune just chosen.
std::string TuneCaption(TestApp& t) { return TuneTitles[static_cast<std::size_t>(t.state.TuneHistory.back() - 'a')]; }

// A song start tries the songs of the order at once until one plays; with
// none playable within the bound an internal tune stands in, and the ticks
// after it start nothing new, with or without a sound device.
TEST(SongStart, BrokenSongsAreSkippedAtOnceThenAnInternalTuneStandsIn) {
  enum Fault { Opens, CannotOpen, EndsAtOnce };
  struct Case {
    const char* what;
    int songs;  // b1.mp3 .. bN.mp3 in M/, each with the fault
    Fault fault;
    bool good;  // and good.mp3 beside them
    const char* folder;
    int mp3Opens;         // MP3 songs the start tries; -1: any
    const char* caption;  // nullptr: an internal tune's title
    bool noDevice = false;
  };
  const Case cases[] = {
      {"good among songs that cannot open", 5, CannotOpen, true, "M/", -1, "good"},
      {"good among songs that cannot play", 5, EndsAtOnce, true, "M/", -1, "good"},
      {"all broken, one full pass", 3, CannotOpen, false, "M/", 3, nullptr},
      {"none can play, one full pass", 3, EndsAtOnce, false, "M/", 3, nullptr},
      {"all broken, more than the bound", 20, CannotOpen, false, "M/", 8, nullptr},
      {"missing folder", 3, Opens, false, "Nowhere/", 0, nullptr},
      {"empty folder", 0, Opens, false, "M/", 0, nullptr},
      {"no sound device", 20, CannotOpen, false, "M/", 8, nullptr, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestApp t;
    t.state.UseMidi = false;
    t.state.MP3Folder = P(c.folder);
    t.folders.tempFolder = P("T/");
    t.listing.AddFile(P("M"), "notes.txt");
    for (int i = 1; i <= c.songs; ++i) {
      const std::string name = "b" + std::to_string(i) + ".mp3";
      t.listing.AddFile(P("M"), name);
      if (c.fault == CannotOpen) t.sound.unplayable.insert(P("M/") + name);
      if (c.fault == EndsAtOnce) t.sound.endsAtOnce.insert(P("M/") + name);
    }
    if (c.good) t.listing.AddFile(P("M"), "good.mp3");
    if (c.noDevice) t.sound.unplayable.insert(P("T/Temp.mid"));
    StartMusic(t.app);
    const auto mp3Opens = std::count_if(t.sound.log.begin(), t.sound.log.end(),
                                        [](const std::string& e) { return e.rfind("open " + P("M/"), 0) == 0; });
    if (c.mp3Opens >= 0) {
      EXPECT_EQ(mp3Opens, c.mp3Opens);
    }
    EXPECT_EQ(t.window.caption, c.caption ? c.caption : TuneCaption(t));
    EXPECT_EQ(t.sound.openPath, c.noDevice ? "" : c.caption ? P("M/good.mp3") : P("T/Temp.mid"));
    t.sound.log.clear();
    t.RunSeconds(3);
    EXPECT_EQ(t.sound.log, std::vector<std::string>(3, "status"));
  }
}

// Ticks keep the music going; songs that end before any tick has heard them
// count toward the bound, and one heard playing starts the count again.
TEST_F(MusicTest, SongsEndingBeforeATickHearsThemCountTowardTheBound) {
  AddSongs(20);
  StartMusic(t.app);
  for (int song = 2; song <= 30; ++song) {
    const std::string playing = t.sound.openPath;
    t.RunSeconds(3);  // heard playing, and not cut short
    ASSERT_EQ(t.sound.openPath, playing);
    t.sound.FinishSong();
    t.RunSeconds(1);
    ASSERT_EQ(t.sound.openPath.substr(0, 2), P("M/")) << song;
  }
  for (int song = 2; song <= 8; ++song) {
    t.sound.FinishSong();
    t.RunSeconds(1);
    ASSERT_EQ(t.sound.openPath.substr(0, 2), P("M/")) << song;
  }
  t.sound.FinishSong();
  t.RunSeconds(1);
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
}

// The internal tunes go on for as long as the music does; the next Go or
// alarm tries the MP3 folder again.
TEST_F(MusicTest, FallbackLastsUntilTheNextGoOrAlarm) {
  AddSongs(2);
  const std::set<std::string> both = {P("M/s1.mp3"), P("M/s2.mp3")};
  for (const bool alarm : {false, true}) {
    t.sound.unplayable = both;
    StartMusic(t.app);
    t.sound.unplayable.clear();
    for (int song = 0; song < 3; ++song) {
      t.sound.FinishSong();
      t.RunSeconds(1);
      EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
      EXPECT_EQ(t.window.caption, TuneCaption(t));
    }
    if (alarm) {
      FireAlarm(t.app);
    } else {
      StartMusic(t.app);
    }
    EXPECT_EQ(both.count(t.sound.openPath), 1u) << alarm;
  }
}

// A channel whose mode reply the test chooses.
class ScriptedChannel : public SoundChannel {
 public:
  void Close() override { log.push_back("close"); }
  void Open(const std::string& path) override { log.push_back("open " + path); }
  void Play() override { log.push_back("play"); }
  std::string Mode() override { return mode; }
  std::string mode;
  std::vector<std::string> log;
};

TEST(KeepPlaying, OnlyARepliedStoppedCounts) {
  const std::pair<std::string, bool> cases[] = {
      {"", false},
      {"playing", false},
      {"Stopped", false},
      {"stop", false},
      {"not ready", false},
      {"stopped", true},
      {"xx stopped yy", true},
      {std::string(300, 'x') + "stopped", false},  // beyond the 256-character reply
  };
  for (const auto& [mode, startsNext] : cases) {
    TestApp t;
    ScriptedChannel channel;
    App app{AppState{},
            Ports{t.window, channel, t.store, t.folders, t.listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
    channel.mode = mode;
    KeepPlaying(app);
    EXPECT_EQ(!channel.log.empty(), startsNext) << mode;
  }
}

TEST_F(MusicTest, StopMusicClosesAndRestoresTheCaptionText) {
  AddSongs(3);
  const std::pair<std::string, std::string> cases[] = {
      {"Timer", "Timer"}, {"5 minutes left", "5 minutes left"}, {"", "Timer"}};
  for (const auto& [before, after] : cases) {
    StartMusic(t.app);
    s.CaptionText = before;
    StopMusic(t.app);
    EXPECT_EQ(t.window.caption, after);
    EXPECT_EQ(s.CaptionText, after);
    t.RunSeconds(3);  // stays stopped
    EXPECT_EQ(t.sound.Mode(), "");
  }
}

// Go with MP3 songs rebuilds the order, with tunes it does not; a switch of
// source takes effect at the next song, on the order made earlier.
TEST_F(MusicTest, TheSourceIsReadAtEachSongStart) {
  AddSongs(3);
  s.SongOrder = {0, 1};  // stale, from a smaller tree
  StartMusic(t.app);
  EXPECT_EQ(s.SongOrder.size(), 4u);
  const auto order = s.SongOrder;
  s.UseMidi = true;
  StartMusic(t.app);
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
  s.UseMidi = false;
  t.RunSeconds(1);
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));  // the tune plays on
  t.listing.patterns.clear();
  t.sound.FinishSong();
  t.RunSeconds(1);
  EXPECT_EQ(t.sound.openPath.substr(0, 2), P("M/"));
  EXPECT_EQ(s.SongOrder, order);
  EXPECT_EQ(t.listing.patterns.size(), 1u);  // one find walk, no count walk
  s.UseMidi = true;
  t.sound.FinishSong();
  t.RunSeconds(1);
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
}

TEST_F(MusicTest, TheAlarmNotificationLastsAsLongAsItsMusic) {
  struct Case {
    const char* what;
    std::function<void()> act;
    bool stillShown;
  };
  const Case cases[] = {
      {"the next song plays", [&] { t.sound.FinishSong(); }, true},
      {"Stop", [&] { StopMusic(t.app); }, false},
      {"the song breaks: a tune plays on",
       [&] {
         t.sound.unplayable = {P("M/s1.mp3")};
         t.sound.FinishSong();
       },
       true},
      {"not even a tune opens",
       [&] {
         t.sound.unplayable = {P("M/s1.mp3"), P("T/Temp.mid")};
         t.sound.FinishSong();
       },
       false},
  };
  AddSongs(1);
  for (const Case& c : cases) {
    t.sound.unplayable.clear();
    s.AlarmMessage = "Tea";
    FireAlarm(t.app);
    ASSERT_EQ(t.notifier.shown, std::optional<std::string>("Tea"));
    c.act();
    t.RunSeconds(1);
    EXPECT_EQ(t.notifier.shown.has_value(), c.stillShown) << c.what;
  }
}

}  // namespace
