// Starting, continuing and stopping music over the sound channel: broken
// songs skipped at once, the internal tunes standing in, Stop and the alarm.
#include <gtest/gtest.h>

#include <algorithm>

#include "Fakes.h"
#include "alarm/Countdown.h"
#include "app/Platform.h"
#include "music/Music.h"
#include "music/TuneTitles.h"

namespace {

std::string P(std::string path) {
  std::replace(path.begin(), path.end(), '/', PathSeparator);
  return path;
}

TEST(SongCaption, FileNameWithoutFolderAndExtension) {
  const std::pair<std::string, std::string> rows[] = {
      {P("C:/Music/Song one.mp3"), "Song one"},
      {"Bare.mp3", "Bare"},
      {P("M/abcd"), "abcd"},  // four or fewer: whole
      {P("M/abcde"), "a"},
      {P("M/x.y.mp3"), "x.y"},
      {"", ""},
  };
  for (const auto& [path, caption] : rows) EXPECT_EQ(SongCaption(path), caption) << path;
}

// MP3 songs s1.mp3 .. sN.mp3 in M/, the tune file in T/.
struct Mp3App : TestApp {
  explicit Mp3App(int songs) {
    state.UseMidi = false;
    state.MP3Folder = P("M/");
    folders.tempFolder = P("T/");
    listing.AddFile(P("M"), "notes.txt");
    for (int i = 1; i <= songs; ++i) listing.AddFile(P("M"), "s" + std::to_string(i) + ".mp3");
  }
  // The caption an internal tune shows: the title of the tune just chosen.
  std::string TuneCaption() { return TuneTitles[static_cast<std::size_t>(state.TuneHistory.back() - 'a')]; }
  bool Mp3Playing() { return sound.openPath.substr(0, 2) == P("M/") && sound.Mode() == "playing"; }
};

// A song start tries the songs of the order at once until one plays; with
// none playable within the bound an internal tune stands in, and the ticks
// after it start nothing new, with or without a sound device.
TEST(SongStart, BrokenSongsAreSkippedAtOnceThenAnInternalTuneStandsIn) {
  enum Fault { CannotOpen, EndsAtOnce };
  const struct {
    const char* what;
    int songs;  // all with the fault but the last when `good`
    Fault fault;
    bool good;
    const char* folder;
    int mp3Opens;  // MP3 songs the start tries; -1: any
    bool noDevice = false;
  } rows[] = {
      {"good among songs that cannot open", 6, CannotOpen, true, "M/", -1},
      {"good among songs that cannot play", 6, EndsAtOnce, true, "M/", -1},
      {"all broken, one full pass", 3, CannotOpen, false, "M/", 3},
      {"none can play, one full pass", 3, EndsAtOnce, false, "M/", 3},
      {"all broken, more than the bound", 20, CannotOpen, false, "M/", 8},
      {"missing folder", 3, CannotOpen, false, "Nowhere/", 0},
      {"empty folder", 0, CannotOpen, false, "M/", 0},
      {"no sound device", 20, CannotOpen, false, "M/", 8, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Mp3App t(row.songs);
    t.state.MP3Folder = P(row.folder);
    for (int i = 1; i <= row.songs - (row.good ? 1 : 0); ++i) {
      (row.fault == CannotOpen ? t.sound.unplayable : t.sound.endsAtOnce).insert(P("M/s") + std::to_string(i) + ".mp3");
    }
    if (row.noDevice) t.sound.unplayable.insert(P("T/Temp.mid"));
    StartMusic(t.app);
    const auto mp3Opens = std::count_if(t.sound.log.begin(), t.sound.log.end(),
                                        [](const std::string& e) { return e.rfind("open " + P("M/"), 0) == 0; });
    if (row.mp3Opens >= 0) {
      EXPECT_EQ(mp3Opens, row.mp3Opens);
    }
    const std::string good = P("M/s") + std::to_string(row.songs) + ".mp3";
    EXPECT_EQ(t.window.caption, row.good ? SongCaption(good) : t.TuneCaption());
    EXPECT_EQ(t.sound.openPath, row.noDevice ? "" : row.good ? good : P("T/Temp.mid"));
    t.sound.log.clear();
    t.RunSeconds(3);
    EXPECT_EQ(t.sound.log, std::vector<std::string>(3, "status"));
  }
}

// Songs that end before any tick has heard them count toward the bound; one
// heard playing starts the count again.
TEST(SongStart, SongsEndingBeforeATickHearsThemCountTowardTheBound) {
  Mp3App t(20);
  StartMusic(t.app);
  for (int song = 2; song <= 33; ++song) {  // 24 heard playing, then 8 end unheard
    const std::string playing = t.sound.openPath;
    if (song <= 25) t.RunSeconds(3);
    ASSERT_EQ(t.sound.openPath, playing);  // not cut short
    t.sound.FinishSong();
    t.RunSeconds(1);
    ASSERT_EQ(t.sound.openPath.substr(0, 2), song < 33 ? P("M/") : P("T/")) << song;
  }
}

// The internal tunes go on for as long as the music does; the next Go or
// alarm tries the MP3 folder again.
TEST(SongStart, FallbackLastsUntilTheNextGoOrAlarm) {
  Mp3App t(2);
  for (const bool alarm : {false, true}) {
    t.sound.unplayable = {P("M/s1.mp3"), P("M/s2.mp3")};
    StartMusic(t.app);
    t.sound.unplayable.clear();
    for (int song = 0; song < 3; ++song) {
      if (!alarm) t.RunSeconds(2);  // the tune heard playing (or not: the tries still count)
      t.sound.FinishSong();
      t.RunSeconds(1);
      EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
      EXPECT_EQ(t.window.caption, t.TuneCaption());
    }
    alarm ? FireAlarm(t.app) : StartMusic(t.app);
    EXPECT_TRUE(t.Mp3Playing()) << alarm;
  }
}

// A channel whose mode reply the test chooses.
struct ScriptedChannel : SoundChannel {
  void Close() override { ++calls; }
  void Open(const std::string&) override { ++calls; }
  void Play() override { ++calls; }
  std::string Mode() override { return mode; }
  std::string mode;
  int calls = 0;
};

TEST(KeepPlaying, OnlyARepliedStoppedStartsTheNextSong) {
  const std::pair<std::string, bool> rows[] = {
      {"", false},
      {"playing", false},
      {"Stopped", false},
      {"not ready", false},
      {"stopped", true},
      {"xx stopped yy", true},
      {std::string(300, 'x') + "stopped", false},  // beyond the 256-character reply
  };
  for (const auto& [mode, startsNext] : rows) {
    TestApp t;
    ScriptedChannel channel;
    App app{AppState{},
            Ports{t.window, channel, t.store, t.folders, t.listing, t.clock, t.volume, t.tunes, t.launcher, t.chooser}};
    channel.mode = mode;
    KeepPlaying(app);
    EXPECT_EQ(channel.calls > 0, startsNext) << mode;
  }
}

TEST(StopMusic, ClosesAndRestoresTheCaptionText) {
  Mp3App t(3);
  const std::pair<std::string, std::string> rows[] = {
      {"Timer", "Timer"}, {"5 minutes left", "5 minutes left"}, {"", "Timer"}};
  for (const auto& [before, after] : rows) {
    StartMusic(t.app);
    t.state.CaptionText = before;
    StopMusic(t.app);
    EXPECT_EQ(t.window.caption, after);
    EXPECT_EQ(t.state.CaptionText, after);
    t.RunSeconds(3);  // stays stopped
    EXPECT_EQ(t.sound.Mode(), "");
  }
}

// Go with MP3 songs builds a fresh order, with tunes it does not; a switch of
// source takes effect at the next song, on the order made earlier.
TEST(SongStart, TheSourceIsReadAtEachSongStart) {
  Mp3App t(3);
  t.state.SongOrder = {0, 1};  // stale, from a smaller tree
  StartMusic(t.app);
  EXPECT_EQ(t.state.SongOrder.size(), 4u);
  const auto order = t.state.SongOrder;
  t.state.UseMidi = true;
  StartMusic(t.app);
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
  t.state.UseMidi = false;
  t.RunSeconds(1);
  EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));  // the tune plays on
  t.sound.FinishSong();
  t.RunSeconds(1);
  EXPECT_TRUE(t.Mp3Playing());
  EXPECT_EQ(t.state.SongOrder, order);
}

// The alarm's notification stays while its music plays, a tune standing in
// included, and goes with Stop or when nothing at all can play.
TEST(StopMusic, TheAlarmNotificationLastsAsLongAsItsMusic) {
  enum Act { SongEnds, Stop, SongBreaks, NothingOpens };
  const std::pair<Act, bool> rows[] = {{SongEnds, true}, {Stop, false}, {SongBreaks, true}, {NothingOpens, false}};
  for (const auto& [act, stillShown] : rows) {
    Mp3App t(1);
    t.state.AlarmMessage = "Tea";
    FireAlarm(t.app);
    ASSERT_EQ(t.notifier.shown, std::optional<std::string>("Tea"));
    if (act == SongBreaks || act == NothingOpens) t.sound.unplayable = {P("M/s1.mp3")};
    if (act == NothingOpens) t.sound.unplayable.insert(P("T/Temp.mid"));
    act == Stop ? StopMusic(t.app) : t.sound.FinishSong();
    t.RunSeconds(1);
    EXPECT_EQ(t.notifier.shown.has_value(), stillShown) << act;
  }
}

}  // namespace
