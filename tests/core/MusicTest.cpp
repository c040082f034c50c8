// Starting, continuing and stopping music over the sound channel, in the
// order the channel sees the calls.
#include <gtest/gtest.h>

#include <algorithm>
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

// One journal for the channel, the listing, the tune file and the caption.
class MusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.listing.onFindFirst = [this](const std::string&) { Note("list"); };
    t.window.onCaption = [this](const std::string& text) { Note("caption " + text); };
    t.tunes.onWrite = [this](const std::string& path) { Note("write " + path); };
    s.MP3Folder = P("M/");
    s.SubfoldersOn = false;
    s.UseMidi = false;
    t.folders.tempFolder = P("T/");
  }
  void Note(const std::string& what) { t.sound.log.push_back(what); }
  // The journal without repeated "list" entries of one walk.
  std::vector<std::string> Journal() {
    std::vector<std::string> journal;
    for (const auto& entry : t.sound.log) {
      if (entry == "list" && !journal.empty() && journal.back() == "list") continue;
      journal.push_back(entry);
    }
    t.sound.log.clear();
    return journal;
  }
  void AddSongs(std::initializer_list<const char*> names) {
    for (const char* name : names) t.listing.AddFile(P("M"), name);
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

// Songs that end before any tick has heard them count toward the bound too;
// one heard playing starts the count again.
TEST_F(MusicTest, SongsEndingBeforeATickHearsThemCountTowardTheBound) {
  for (int i = 1; i <= 20; ++i) t.listing.AddFile(P("M"), "s" + std::to_string(i) + ".mp3");
  StartMusic(t.app);
  for (int song = 2; song <= 30; ++song) {
    t.RunSeconds(1);  // heard playing
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
  AddSongs({"a.mp3", "b.mp3"});
  const std::set<std::string> both = {P("M/a.mp3"), P("M/b.mp3")};
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
  const std::pair<std::string, std::string> cases[] = {
      {"Timer", "Timer"}, {"5 minutes left", "5 minutes left"}, {"", "Timer"}};
  for (const auto& [before, after] : cases) {
    s.CaptionText = before;
    t.window.caption = "Some song";
    StopMusic(t.app);
    EXPECT_EQ(Journal(), (std::vector<std::string>{"close", "caption " + after}));
    EXPECT_EQ(s.CaptionText, after);
  }
  KeepPlaying(t.app);  // stays stopped
  EXPECT_EQ(Journal(), std::vector<std::string>{"status"});
}

TEST_F(MusicTest, StartWithMp3SongsReshufflesWithMidiItDoesNot) {
  AddSongs({"a.mp3", "b.mp3", "c.mp3"});
  s.SongOrder = {0, 1};  // stale, from a smaller tree
  StartMusic(t.app);
  EXPECT_EQ(s.SongOrder.size(), 4u);
  EXPECT_EQ(t.sound.log.front(), "list");  // counted before anything closes

  s.UseMidi = true;
  s.SongOrder = {0, 1};
  t.sound.log.clear();
  StartMusic(t.app);
  EXPECT_EQ(s.SongOrder, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(std::count(t.sound.log.begin(), t.sound.log.end(), "list"), 0);
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
}

TEST_F(MusicTest, SwitchingTheSourceTakesEffectAtTheNextSongWithoutReshuffle) {
  AddSongs({"a.mp3", "b.mp3", "c.mp3"});
  s.UseMidi = true;
  StartMusic(t.app);
  ASSERT_EQ(t.sound.openPath, P("T/Temp.mid"));
  s.UseMidi = false;
  KeepPlaying(t.app);
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));  // the tune plays on
  EXPECT_EQ(std::count(t.sound.log.begin(), t.sound.log.end(), "list"), 0);

  // An order made earlier is used as it is: no count walk, no new seed.
  ASSERT_TRUE(ShuffleSongs(t.app));
  const auto order = s.SongOrder;
  const auto seed = s.RandSeed;
  t.listing.patterns.clear();
  t.sound.FinishSong();
  KeepPlaying(t.app);
  EXPECT_EQ(t.sound.openPath.substr(0, 2), P("M/"));
  EXPECT_EQ(s.SongOrder, order);
  EXPECT_EQ(s.RandSeed, seed);
  EXPECT_EQ(t.listing.patterns.size(), 1u);  // one find walk, subfolders off

  s.UseMidi = true;
  t.sound.FinishSong();
  KeepPlaying(t.app);
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
}

TEST_F(MusicTest, TicksKeepTheMusicGoingUntilStop) {
  AddSongs({"a.mp3", "b.mp3", "c.mp3"});
  StartMusic(t.app);
  std::vector<std::string> played = {t.sound.openPath};
  for (int song = 0; song < 5; ++song) {
    t.RunSeconds(3);
    EXPECT_EQ(t.sound.openPath, played.back());  // no song is cut short
    t.sound.FinishSong();
    t.RunSeconds(1);
    played.push_back(t.sound.openPath);
  }
  EXPECT_EQ(played[3], played[0]);
  StopMusic(t.app);
  t.RunSeconds(5);
  EXPECT_EQ(t.sound.Mode(), "");
  EXPECT_EQ(t.window.caption, "Timer");
}

}  // namespace
