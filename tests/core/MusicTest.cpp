// Music over the sound channel: broken songs skipped at once, the internal
// tunes standing in and chosen against the last ten, Stop and the alarm, whose
// first song opens silently before it.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "music/InternalTunes.h"
#include "music/Music.h"

// MP3 songs s1.mp3 .. sN.mp3 in M/, the tune file in T/.
struct Mp3App : TestApp {
  explicit Mp3App(int songs) {
    state.UseMidi = false, state.MP3Folder = P("M/"), folders.tempFolder = P("T/");
    for (int i = 1; i <= songs; ++i) listing.AddFile(P("M"), "s" + std::to_string(i) + ".mp3");
  }
  std::string next;  // the song a row expects open at its end
};

// Which song a song start opens. Each row sets up a folder of MP3 songs
// (s1.mp3 ..), acts, and names the file open at the end ("M/": the song the
// act named in t.next).
TEST(SongStart, WhichSongTheStartOpens) {
  // songs, act, the file open at the end: a whole path, or "M/" for the song in t.next
  using Row = std::tuple<int, std::function<void(Mp3App&)>, std::string>;
  // The song number the n-th try from now opens (the shuffled order).
  const auto nthNext = [](Mp3App& t, int n) {
    const auto& order = t.state.SongOrder;
    const auto count = static_cast<std::int32_t>(order.size()) - 1;
    return "s" + std::to_string(order[static_cast<std::size_t>((t.state.SongPos + n - 1) % count + 1)]) + ".mp3";
  };
  const auto endSong = [](Mp3App& t) { t.sound.FinishSong(), t.RunSeconds(1); };
  const Row rows[] = {
      // 24 songs heard playing, then 8 ending unheard: a tune.
      {20, [&](Mp3App& t) {
         StartMusic(t.app);
         for (int song = 2; song <= 33; ++song) t.RunSeconds(song <= 25 ? 3 : 0), endSong(t);
       }, "T/Temp.mid"},
      // One good song among 21: heard by the third start.
      {21, [&](Mp3App& t) {
         BeginMusic(t.app);
         const std::string good = P("M/") + nthNext(t, 17);
         for (int i = 1; i <= 21; ++i) t.sound.unplayable.insert(P("M/s" + std::to_string(i) + ".mp3"));
         t.sound.unplayable.erase(good);
         PlayNextSong(t.app), endSong(t), endSong(t);
         t.next = good;
       }, "M/"},
      // No song opens: a tune for one start, then the folder again.
      {2, [&](Mp3App& t) {
         t.sound.unplayable = {P("M/s1.mp3"), P("M/s2.mp3")};
         StartMusic(t.app);
         EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
         t.next = P("M/") + nthNext(t, 1);
         t.sound.unplayable.clear(), endSong(t);
       }, "M/"},
      // Go again before a tick heard the song it found: the folder's tries start afresh.
      {8, [&](Mp3App& t) {
         BeginMusic(t.app);
         for (int n = 1; n <= 7; ++n) t.sound.unplayable.insert(P("M/") + nthNext(t, n));
         t.next = P("M/") + nthNext(t, 8);  // the one good song
         PlayNextSong(t.app), StartMusic(t.app);
       }, "M/"},
      // Every song gone since the shuffle: each a try, then a tune.
      {3, [&](Mp3App& t) { BeginMusic(t.app), t.listing.folders.clear(), PlayNextSong(t.app); }, "T/Temp.mid"},
      // A song that stops at once is closed before the next opens.
      {2, [&](Mp3App& t) {
         BeginMusic(t.app);
         t.sound.endsAtOnce = {P("M/") + nthNext(t, 1)};
         t.next = P("M/") + nthNext(t, 2);
         PlayNextSong(t.app);
       }, "M/"},
      // An empty folder: tunes until the next Go.
      {0, [&](Mp3App& t) {
         StartMusic(t.app), t.listing.AddFile(P("M"), "s1.mp3"), endSong(t);
         EXPECT_EQ(t.sound.openPath, P("T/Temp.mid"));
         StartMusic(t.app);
       }, "M/s1.mp3"},
      // A folder emptied since the last Go: tunes until the next Go, even once songs come back.
      {3, [&](Mp3App& t) {
         StartMusic(t.app), t.listing.folders.clear(), StartMusic(t.app);
         t.listing.AddFile(P("M"), "s1.mp3"), endSong(t);
       }, "T/Temp.mid"},
  };
  for (const auto& [songs, act, open] : rows) {
    Mp3App t(songs);
    act(t);
    EXPECT_EQ(t.sound.openPath, open == "M/" ? t.next : P(open)) << songs;
  }
}

// In the countdown's last three seconds the alarm's first song is opened
// without sound, so that the alarm plays it on its second. Each row enters
// "1" at 9:00, may enter again at 3 seconds left, and checks the channel at
// 4, 3 and 2 seconds left and after the alarm ("open" and "play": what the
// channel was asked since the last check; the song open at each).
TEST(Countdown, TheAlarmsFirstSongIsOpenedSilentlyInItsLastSeconds) {
  // MP3 songs, Go first, entered at 3 s left (nullptr: nothing), what was seen.
  const std::tuple<bool, bool, const char*, const char*> rows[] = {
      {false, false, nullptr, "closed; open T/Temp.mid; -; play T/Temp.mid; "},  // a tune
      {false, false, "", "closed; open T/Temp.mid; closed; closed; "},           // cancelled at 3 s left
      {true, false, "20", "closed; open M/s1.mp3; closed; closed; "},            // restarted at 3 s left
      {true, true, nullptr, "-; -; -; open play M/s1.mp3; "},                    // while Go's song plays
  };
  for (const auto& [mp3, goFirst, at3Seconds, expected] : rows) {
    Mp3App t(1);
    t.state.UseMidi = !mp3;
    t.clock.Set(9, 0, 0), t.Tick();
    if (goFirst) StartMusic(t.app);
    t.Enter("1"), t.RunSeconds(55);
    std::string seen;
    for (int check = 0; check < 4; ++check) {
      if (check == 2 && at3Seconds) t.Enter(at3Seconds);
      t.sound.log.clear(), t.RunSeconds(check == 3 ? 3 : 1);
      std::string asked;
      for (const std::string& command : t.sound.log)
        asked += command.starts_with("open") ? "open " : command == "play" ? "play " : "";
      seen += (!t.sound.isOpen ? "closed" : asked.empty() ? "-" : asked + t.sound.openPath) + "; ";
    }
    EXPECT_EQ(seen, P(expected));
  }
}

// Music is in force from the alarm until Stop: a start that opened nothing
// (no sound device) is tried again every five seconds. Each row fires the
// alarm with no device, lets one appear and presses Stop at the given
// seconds (0: never), and checks the opens tried and the song playing
// after 30 seconds.
TEST(KeepPlaying, StartsThatOpenNothingAreTriedEveryFiveSeconds) {
  // mp3, device at, Stop at, opens by 4, 5 and 30 s, playing
  const std::tuple<bool, int, int, std::vector<int>, bool> rows[] = {{true, 1, 0, {2, 3, 3}, true},
                                                                     {false, 0, 7, {1, 2, 2}, false}};
  for (const auto& [mp3, deviceAt, stopAt, expected, playing] : rows) {
    Mp3App t(mp3 ? 1 : 0);
    t.state.UseMidi = !mp3, t.sound.device = false, FireAlarm(t.app);
    std::vector<int> opens;
    for (int second = 1; second <= 30; ++second) {
      if (second == deviceAt) t.sound.device = true;
      if (second == stopAt) StopMusic(t.app);
      t.RunSeconds(1);
      if (second == 4 || second == 5 || second == 30)
        opens.push_back(int(std::ranges::count_if(t.sound.log, [](auto& c) { return c.starts_with("open "); })));
    }
    EXPECT_EQ(opens, expected) << mp3;
    EXPECT_EQ(t.sound.Mode() == "playing", playing) << mp3;
  }
}

TEST(KeepPlaying, OnlyARepliedStoppedStartsTheNextSongWhileMusicIsOn) {
  const std::tuple<std::string, bool, bool> rows[] = {
      {"", true, false}, {"playing", true, false}, {"xx stopped yy", true, true}, {"stopped", false, false}};
  for (const auto& [mode, musicOn, startsNext] : rows) {
    TestApp t;
    t.state.MusicOn = musicOn, t.sound.reply = mode, KeepPlaying(t.app);
    EXPECT_EQ(std::count(t.sound.log.begin(), t.sound.log.end(), "close"), startsNext) << mode;
  }
}

// The alarm fires with its song playing before its message shows. Its
// notification stays while its music is in force, a tune standing in and
// a start that opened nothing included, and goes with Stop, which puts back
// "Timer".
TEST(Alarm, MessageAndNotificationLastAsLongAsItsMusic) {
  enum Act { SongEnds, Stop, SongBreaks, NothingOpens };
  const std::pair<Act, bool> rows[] = {{SongEnds, true}, {Stop, false}, {SongBreaks, true}, {NothingOpens, true}};
  for (const auto& [act, stillShown] : rows) {
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
    t.clock.counter = counter, t.folders.tempFolder = std::string("T\0\0", 3);  // padded, as the desktop may
    std::string letters;
    for (int i = 0; i < 60; ++i) {
      PlayInternalTune(t.app);
      const char letter = t.state.TuneHistory.back();
      EXPECT_EQ(letters.substr(std::max<std::size_t>(letters.size(), 10) - 10).find(letter), std::string::npos);
      letters += letter;
      EXPECT_EQ(t.tunes.files[P("T/Temp.mid")], std::string("MThd-tune-") + letter);
      EXPECT_EQ(t.sound.Mode(), "playing");
      t.clock.Advance(1), t.sound.FinishSong();
    }
    EXPECT_EQ(letters[0], first);
    played.insert(letters.begin(), letters.end());
  }
  EXPECT_EQ(played.size(), 26u);
}
