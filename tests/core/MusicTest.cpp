// Music over the sound channel: broken songs skipped at once, the internal
// tunes standing in and chosen against the last ten, Stop and the alarm.
#include <gtest/gtest.h>

#include <set>

#include "Fakes.h"
#include "alarm/AlarmSetting.h"
#include "alarm/Countdown.h"
#include "app/Ids.h"
#include "music/InternalTunes.h"
#include "music/Music.h"

// MP3 songs s1.mp3 .. sN.mp3 in M/, the tune file in T/.
struct Mp3App : TestApp {
  explicit Mp3App(int songs) {
    state.UseMidi = false;
    state.MP3Folder = P("M/");
    folders.tempFolder = P("T/");
    for (int i = 1; i <= songs; ++i) listing.AddFile(P("M"), "s" + std::to_string(i) + ".mp3");
  }
};

// Songs that end before any tick has heard them count toward the bound of
// eight tries; one heard playing starts the count again.
TEST(SongStart, SongsEndingBeforeATickHearsThemCountTowardTheBound) {
  Mp3App t(20);
  StartMusic(t.app);
  for (int song = 2; song <= 33; ++song) {  // 24 heard playing, then 8 end unheard
    if (song <= 25) t.RunSeconds(3);
    t.sound.FinishSong();
    t.RunSeconds(1);
    ASSERT_EQ(t.sound.openPath.substr(0, 2), song < 33 ? P("M/") : P("T/")) << song;
  }
}

// With no song that opens the internal tunes stand in for as long as the
// music goes on; the next Go or alarm tries the MP3 folder again.
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
    }
    alarm ? FireAlarm(t.app) : StartMusic(t.app);
    EXPECT_EQ(t.sound.openPath.substr(0, 2), P("M/")) << alarm;
  }
}

TEST(KeepPlaying, OnlyARepliedStoppedStartsTheNextSong) {
  const std::pair<std::string, bool> rows[] = {{"", false}, {"playing", false}, {"xx stopped yy", true}};
  for (const auto& [mode, startsNext] : rows) {
    TestApp t;
    t.sound.reply = mode;
    KeepPlaying(t.app);
    EXPECT_EQ(std::count(t.sound.log.begin(), t.sound.log.end(), "close"), startsNext) << mode;
  }
}

// The alarm fires with its song playing before its message shows. Its
// notification stays while its music plays, a tune standing in included, and
// goes with Stop, which puts back "Timer", or when nothing at all can play.
TEST(Alarm, MessageAndNotificationLastAsLongAsItsMusic) {
  enum Act { SongEnds, Stop, SongBreaks, NothingOpens };
  const std::pair<Act, bool> rows[] = {{SongEnds, true}, {Stop, false}, {SongBreaks, true}, {NothingOpens, false}};
  for (const auto& [act, stillShown] : rows) {
    Mp3App t(1);
    t.state.AlarmMessage = "Tea";
    t.window.items[IdTimeEdit] = "1";
    StartTimer(t.app);
    t.window.onNotice = [&] {
      EXPECT_EQ(t.state.AlarmTime, -1);
      EXPECT_EQ(t.window.caption, "s1");
    };
    t.RunSeconds(60);
    EXPECT_EQ(t.window.notices, std::vector<std::string>{"Tea"});
    EXPECT_EQ(t.notifier.shown, std::optional<std::string>("Tea"));
    if (act == SongBreaks || act == NothingOpens) t.sound.unplayable = {P("M/s1.mp3")};
    if (act == NothingOpens) t.sound.unplayable.insert(P("T/Temp.mid"));
    act == Stop ? StopMusic(t.app) : t.sound.FinishSong();
    t.RunSeconds(1);
    EXPECT_EQ(t.notifier.shown.has_value(), stillShown) << act;
    EXPECT_EQ(t.window.caption == "Timer", act == Stop) << t.window.caption;
  }
}

// Over many tunes each differs from the ten before it, all 26 play, and each
// is written to the tune file in the temporary folder before it opens. The
// counter moves between tunes; without one the seed is the milliseconds since
// start, the same for every tune.
TEST(InternalTunes, NoTuneRepeatsWithinElevenAndEveryTunePlays) {
  std::set<char> played;
  const std::pair<std::optional<std::uint64_t>, char> runs[] = {{12345, 'k'}, {std::nullopt, 'j'}};  // first draws
  for (const auto& [counter, first] : runs) {
    TestApp t;
    t.clock.counter = counter;
    t.folders.tempFolder = "T";
    std::string letters;
    for (int i = 0; i < 60; ++i) {
      PlayInternalTune(t.app);
      const char letter = t.state.TuneHistory.back();
      EXPECT_EQ(letters.substr(letters.size() < 10 ? 0 : letters.size() - 10).find(letter), std::string::npos) << letters;
      letters += letter;
      EXPECT_EQ(t.tunes.files[P("T/Temp.mid")], std::string("MThd-tune-") + letter);
      EXPECT_EQ(t.sound.Mode(), "playing");
      t.clock.Advance(1);
      t.sound.FinishSong();
    }
    EXPECT_EQ(letters[0], first);
    played.insert(letters.begin(), letters.end());
  }
  EXPECT_EQ(played.size(), 26u);
}
