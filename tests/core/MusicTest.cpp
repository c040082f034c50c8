// Starting, continuing and stopping music over the sound channel, in the
// order the channel sees the calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

// Close, look up, open, play, then the caption: also when the song cannot
// open, and then nothing is open, so no further song starts.
TEST_F(MusicTest, Mp3SongStartClosesThenLooksUpThenPlaysThenShowsItsName) {
  for (const bool broken : {false, true}) {
    t.listing.folders.clear();
    AddSongs({"Only song.mp3"});
    ASSERT_TRUE(ShuffleSongs(t.app));
    if (broken) t.sound.unplayable.insert(P("M/Only song.mp3"));
    t.sound.log.clear();
    PlayMp3Song(t.app);
    EXPECT_EQ(Journal(),
              (std::vector<std::string>{"close", "list", "open " + P("M/Only song.mp3"), "play", "caption Only song"}));
    EXPECT_EQ(t.sound.Mode(), broken ? "" : "playing");
  }
  for (int tick = 0; tick < 3; ++tick) KeepPlaying(t.app);
  EXPECT_EQ(Journal(), std::vector<std::string>(4, "status"));
  EXPECT_EQ(t.window.caption, "Only song");
}

TEST_F(MusicTest, NoSongOpensAnEmptyPathAndEmptiesTheCaption) {
  StartMusic(t.app);
  EXPECT_EQ(Journal(), (std::vector<std::string>{"list", "close", "open ", "play", "caption "}));
  EXPECT_EQ(t.window.caption, "");
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

TEST_F(MusicTest, TheAlarmNotificationLastsAsLongAsItsMusic) {
  struct Case {
    const char* what;
    std::function<void()> act;
    bool stillShown;
  };
  const Case cases[] = {
      {"the next song plays", [&] { t.sound.FinishSong(); }, true},
      {"Stop", [&] { StopMusic(t.app); }, false},
      {"no further song opens",
       [&] {
         t.sound.unplayable = {P("M/a.mp3")};
         t.sound.FinishSong();
       },
       false},
  };
  AddSongs({"a.mp3"});
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
