// Music over the sound channel: broken songs skipped at once, the internal
// tunes standing in and chosen against the last ten, Stop and the alarm, whose
// first song opens silently before it.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "music/InternalTunes.h"
#include "music/Music.h"
#include "music/TuneTitles.h"

// MP3 songs s1.mp3 .. sN.mp3 in M/, the tune file in T/.
struct Mp3App : TestApp {
  explicit Mp3App(int songs) {
    state.UseMidi = false, state.MP3Folder = P("M/"), folders.tempFolder = P("T/");
    for (int i = 1; i <= songs; ++i) listing.AddFile(P("M"), "s" + std::to_string(i) + ".mp3");
  }
  // The path the n-th try from now opens (the shuffled order).
  std::string Song(int n) {
    const std::size_t count = state.SongOrder.size() - 1, at = (state.SongPos + n - 1) % count + 1;
    return P("M/s") + std::to_string(state.SongOrder[at]) + ".mp3";
  }
  void Broken(int from, int to) {  // the tries from..to open nothing
    for (int n = from; n <= to; ++n) sound.unplayable.insert(Song(n));
  }
  void EndSong() { sound.FinishSong(), RunSeconds(1); }
  std::string next;  // the song a row expects open at its end
};

long Opens(const FakeSoundChannel& sound) {
  return std::ranges::count_if(sound.log, [](auto& c) { return c.starts_with("open "); });
}

// Which song a song start opens. Each row sets up a folder of MP3 songs
// (s1.mp3 ..), acts, and names the file open at the end ("next": the song the
// act named in t.next).
TEST(SongStart, WhichSongTheStartOpens) {
  const std::tuple<int, std::string, std::function<void(Mp3App&)>> rows[] = {
      // One good song among 21: heard by the third start.
      {21, "next",
       [](Mp3App& t) {
         BeginMusic(t.app), t.Broken(1, 16), t.Broken(18, 21), t.next = t.Song(17);
         PlayNextSong(t.app), t.EndSong(), t.EndSong();
       }},
      // No song opens: a tune for one start, then the folder again.
      {2, "next",
       [](Mp3App& t) {
         t.sound.unplayable = {P("M/s1.mp3"), P("M/s2.mp3")}, StartMusic(t.app);
         t.next = t.Song(1), t.sound.unplayable.clear(), t.EndSong();
       }},
      // A blank folder holds no songs, not even those of the working folder: tunes.
      {2, "T/Temp.mid",
       [](Mp3App& t) {
         t.listing.folders[""] = t.listing.folders[P("M/")], t.state.MP3Folder = "", StartMusic(t.app);
       }},
      // Neither a song nor the tune plays but the device opens: the program's
      // own tone, the caption saying what is missing (or that nothing plays).
      {2, "tone",
       [](Mp3App& t) {
         t.sound.unplayable = {P("M/s1.mp3"), P("M/s2.mp3"), P("T/Temp.mid")}, t.sound.lacking = "No SoundFont";
         StartMusic(t.app), t.RunSeconds(30);
         EXPECT_EQ(t.window.caption, "No SoundFont");
       }},
      {0, "tone",
       [](Mp3App& t) {
         t.sound.unplayable = {P("T/Temp.mid")}, StartMusic(t.app);
         EXPECT_EQ(t.window.caption, "No song or tune can be played");
       }},
      // Opens of 60 ms: two tries a tick, the rest at the next ticks, until one plays.
      {20, "next",
       [](Mp3App& t) {
         BeginMusic(t.app), t.Broken(1, 7), t.next = t.Song(8);
         t.sound.onOpen = [&t] { t.clock.milliseconds += 60; };
         PlayNextSong(t.app);
         EXPECT_EQ(Opens(t.sound), 2);
         EXPECT_TRUE(ContinueSongStart(t.app));  // as soon as the window has answered
         EXPECT_EQ(Opens(t.sound), 4);
         t.RunSeconds(3);
       }},
      // No device at the alarm; Stop, and Go a second later: the retry tries Go's first song.
      {5, "next",
       [](Mp3App& t) {
         t.sound.device = false, FireAlarm(t.app), StopMusic(t.app), t.RunSeconds(1), StartMusic(t.app);
         t.next = t.Song(1), t.sound.device = true, t.RunSeconds(5);
       }},
      // The alarm's tune prepared for a broken song: once it ends, the folder is tried again.
      {1, "M/s1.mp3",
       [](Mp3App& t) {
         t.sound.unplayable = {P("M/s1.mp3")}, t.Tick(), t.Enter("0"), t.Tick();
         t.sound.unplayable.clear(), t.EndSong();
       }},
      // A folder emptied since the last Go: tunes until the next Go, even once songs come back.
      {3, "T/Temp.mid",
       [](Mp3App& t) {
         StartMusic(t.app), t.listing.folders.clear(), StartMusic(t.app);
         t.listing.AddFile(P("M"), "s1.mp3"), t.EndSong();
       }},
  };
  for (const auto& [songs, open, act] : rows) {
    Mp3App t(songs);
    act(t);
    EXPECT_EQ(t.sound.openPath, open == "next" ? t.next : P(open)) << songs;
  }
}

// In the countdown's last three seconds what the alarm will play is opened
// without sound, so that the alarm plays it on its second: the first song
// that opens, else the tune standing in, else the tone. Each row enters "1"
// at 9:00 after its setup, may act at 3 seconds left, and checks the channel
// at 4, 3 and 2 seconds left and after the alarm ("open" and "play": what
// the channel was asked since the last check; the song open at each), then
// the caption ("tune" for a tune's title).
TEST(Countdown, TheAlarmsFirstSongIsOpenedSilentlyInItsLastSeconds) {
  using Act = std::function<void(Mp3App&)>;
  const Act none = [](Mp3App&) {};
  const auto enter = [](const char* entry) { return [=](Mp3App& t) { t.Enter(entry); }; };
  // MP3 songs, setup, act at 3 s left, what was seen.
  const std::tuple<bool, Act, Act, const char*> rows[] = {
      {false, none, none, "closed; open T/Temp.mid; -; play T/Temp.mid; tune"},    // a tune
      {false, none, enter(""), "closed; open T/Temp.mid; closed; closed; Timer"},  // cancelled at 3 s left
      // Restarted, then Stop: nothing made ready for an alarm 20 minutes (of the boot clock) away.
      {true, none,
       [](Mp3App& t) {
         t.Enter("20");
         EXPECT_FALSE(t.sound.isOpen) << "entered";
         StopMusic(t.app);
         EXPECT_FALSE(t.sound.isOpen) << "stopped";
       },
       "closed; open M/s1.mp3; closed; closed; 19 minutes left"},
      {false, none, enter("0"), "closed; open T/Temp.mid; play T/Temp.mid; -; tune"},  // due at once: ready at once
      // The tune broken: the tone.
      {false, [](Mp3App& t) { t.sound.unplayable = {P("T/Temp.mid")}, t.sound.lacking = "No SoundFont"; }, none,
       "closed; open open tone; -; play tone; No SoundFont"},
      // Go in the last seconds: its song, then the alarm's.
      {true, none, [](Mp3App& t) { StartMusic(t.app); }, "closed; open M/s1.mp3; -; open play M/s1.mp3; s1"},
      // Stop in the last seconds: the alarm's song is ready again at once.
      {true, [](Mp3App& t) { StartMusic(t.app); }, [](Mp3App& t) { StopMusic(t.app); }, "-; -; -; play M/s1.mp3; s1"},
      // The prepared song reads as stopped at the alarm: once more, the tone,
      // then the next song start (here the tune standing in).
      {true, [](Mp3App& t) { t.sound.endsAtOnce = {P("M/s1.mp3")}; }, none,
       "closed; open M/s1.mp3; -; play open play open play open play T/Temp.mid; tune"},
  };
  for (const auto& [mp3, setup, at3Seconds, expected] : rows) {
    Mp3App t(1);
    t.state.UseMidi = !mp3;
    t.clock.Set(9, 0, 0), t.Tick();
    setup(t);
    t.Enter("1"), t.RunSeconds(55);
    std::string seen;
    for (int check = 0; check < 4; ++check) {
      if (check == 2) at3Seconds(t);
      t.sound.log.clear(), t.RunSeconds(check == 3 ? 3 : 1);
      std::string asked;
      for (const std::string& command : t.sound.log)
        asked += command.starts_with("open") || command == "tone" ? "open " : command == "play" ? "play " : "";
      seen += (!t.sound.isOpen ? "closed" : asked.empty() ? "-" : asked + t.sound.openPath) + "; ";
    }
    const bool tune = std::ranges::find(TuneTitles, t.window.caption) != TuneTitles.end();
    EXPECT_EQ(seen + (tune ? "tune" : t.window.caption), P(expected));
    EXPECT_EQ(t.state.TuneHistory != "zzzzzzzzzz", tune) << "a tune heard enters the history";
  }
}

// Music is in force from the alarm until Stop: a start that opened nothing
// (no sound device) is tried again every five seconds, the same song or tune
// without a new walk or choice. Each row fires the alarm with no device over
// a number of songs (0: tunes), lets one appear and presses Stop at the given
// seconds (0: never), and checks the opens tried and the song playing after
// 30 seconds; only a tune heard enters the history.
TEST(KeepPlaying, StartsThatOpenNothingAreTriedEveryFiveSeconds) {
  // songs, device at, Stop at, opens by 4, 5 and 30 s, playing
  const std::tuple<int, int, int, std::vector<int>, bool> rows[] = {{1, 1, 0, {2, 3, 3}, true},
                                                                    {0, 0, 7, {1, 2, 2}, false},
                                                                    {3, 0, 0, {4, 5, 10}, false},
                                                                    {0, 12, 0, {1, 2, 4}, true}};
  for (const auto& [songs, deviceAt, stopAt, expected, playing] : rows) {
    Mp3App t(songs);
    t.state.UseMidi = songs == 0, t.sound.device = false, FireAlarm(t.app);
    const std::string firstTune = t.tunes.files[P("T/Temp.mid")];
    std::vector<int> opens;
    for (int second = 1; second <= 30; ++second) {
      if (second == deviceAt) t.sound.device = true;
      if (second == stopAt) StopMusic(t.app);
      t.RunSeconds(1);
      if (second == 4 || second == 5 || second == 30) opens.push_back(int(Opens(t.sound)));
    }
    EXPECT_EQ(opens, expected) << songs;
    EXPECT_EQ(t.sound.Mode() == "playing", playing) << songs;
    EXPECT_EQ(t.tunes.files[P("T/Temp.mid")], firstTune);
    EXPECT_EQ(t.state.TuneHistory != "zzzzzzzzzz", songs == 0 && playing) << t.state.TuneHistory;
  }
}

// At a tick a replied "stopped" starts the next song while music is in force;
// without music the device goes. Playing clears the count of broken songs
// tried; an open still going on (Windows) neither clears it nor moves on.
TEST(KeepPlaying, ARepliedStoppedStartsTheNextSongAndNoMusicLetsTheDeviceGo) {
  const std::tuple<std::string, bool, bool, int> rows[] = {{"playing", true, false, 0},
                                                           {"xx stopped yy", true, true, 2},
                                                           {"stopped", false, false, 2},
                                                           {"opening", true, false, 2}};
  for (const auto& [mode, musicOn, startsNext, tries] : rows) {
    TestApp t;
    t.state.MusicOn = musicOn, t.state.SongTries = 2, t.sound.reply = mode, KeepPlaying(t.app);
    EXPECT_EQ(Opens(t.sound), startsNext) << mode;
    EXPECT_EQ(t.state.SongTries, tries) << mode;
    EXPECT_EQ(t.sound.releases, !musicOn) << mode;
  }
}

// The alarm fires with its song playing before its message shows. Its
// notification stays while its music is in force, a tune standing in and
// a start that opened nothing included, and goes with Stop, which puts back
// "Timer".
TEST(Alarm, MessageAndNotificationLastAsLongAsItsMusic) {
  enum Act { SongEnds, Stop, SongBreaks, NothingOpens };
  for (const Act act : {SongEnds, Stop, SongBreaks, NothingOpens}) {
    Mp3App t(1);
    t.state.AlarmMessage = "Tea", t.Tick(), t.Enter("1");
    t.window.onNotice = [&] { EXPECT_EQ(t.window.caption + " " + std::to_string(t.state.AlarmTime), "s1 -1"); };
    t.RunSeconds(60);
    EXPECT_EQ(t.window.notices, std::vector<std::string>{"Tea"});
    EXPECT_EQ(t.notifier.shown, std::optional<std::string>("Tea"));
    EXPECT_EQ(t.volume.unmutes, 1);  // a mute of our stream would silence the alarm
    if (act == SongBreaks || act == NothingOpens) t.sound.unplayable = {P("M/s1.mp3")};
    if (act == NothingOpens) t.sound.unplayable.insert(P("T/Temp.mid"));
    act == Stop ? StopMusic(t.app) : t.sound.FinishSong();
    t.RunSeconds(1);
    EXPECT_EQ(t.notifier.shown ? "shown" : t.window.caption, act == Stop ? "Timer" : "shown") << act;
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
    t.clock.counter = counter, t.folders.tempFolder = std::string("T\0\0", 3);  // padded, as the desktop may
    std::string letters;
    for (int i = 0; i < 60; ++i) {
      PlayInternalTune(t.app);
      const char letter = t.state.TuneHistory.back();
      EXPECT_EQ(letters.substr(std::max<std::size_t>(letters.size(), 10) - 10).find(letter), std::string::npos);
      letters += letter;
      EXPECT_EQ(t.tunes.files[P("T/Temp.mid")], std::string("MThd-tune-") + letter);
      t.clock.Advance(1), t.sound.FinishSong();
    }
    EXPECT_EQ(letters[0], first);
    played.insert(letters.begin(), letters.end());
  }
  EXPECT_EQ(played.size(), 26u);
}
