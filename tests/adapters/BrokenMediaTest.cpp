// The core's music over the real folder listing, tune store, user folders and
// SDL channel: broken songs and hostile folder trees, then a week of songs.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "EmbeddedTuneStore.h"
#include "EmbeddedTunes.h"
#include "Fakes.h"
#include "PosixFolderListing.h"
#include "PosixTestGuards.h"
#include "SdlSoundChannel.h"
#include "TestFiles.h"
#include "XdgUserFolders.h"
#include "alarm/Countdown.h"
#include "music/Music.h"
#include "music/TuneTitles.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();  // ASan's heap, unseen by mallinfo2
std::size_t BytesInUse() { return __sanitizer_get_current_allocated_bytes(); }
#else
std::size_t BytesInUse() { return mallinfo2().uordblks; }
#endif

namespace {

// The core over the real listing, tunes and user folders (the tune file goes
// under $XDG_CACHE_HOME) and the given sound channel; the rest are fakes.
struct MusicRig {
  TestApp fakes;
  PosixFolderListing listing;
  XdgUserFolders folders;
  EmbeddedTuneStore tunes;
  App app;
  MusicRig(SoundChannel& sound, const std::string& music)
      : app{AppState{}, Ports{fakes.window, sound, fakes.store, folders, listing, fakes.clock, fakes.volume, tunes,
                              fakes.launcher, fakes.chooser}} {
    app.State.UseMidi = false;
    app.State.SubfoldersOn = true;
    app.State.MP3Folder = music;
  }
};

void Link(const std::string& target, const std::string& path) { ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0); }

// song.mp3 holding these bytes, and then 8 GB of holes when `huge`.
std::function<void(const TempDir&)> Holding(const std::string& bytes, bool huge = false) {
  return [=](const TempDir& r) {
    WriteBytes(r / "song.mp3", bytes);
    ASSERT_TRUE(!huge || truncate((r / "song.mp3").c_str(), std::int64_t{8} << 30) == 0);
  };
}

enum Heard { Song, Tune, Either };  // the song the walk found, an internal tune instead, or either

TEST(BrokenMedia, WhateverTheFolderHoldsSomethingIsHeardAndNothingHangs) {
  TempDir cache;
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy"), tuneFolder("XDG_CACHE_HOME", cache.Path());
  const std::string midi(EmbeddedTune('a')), id3("ID3\x04\0\0\x7F\x7F\x7F\x7F", 10);  // the tag claims 256 MB
  const struct {
    const char* what;
    std::function<void(const TempDir& root)> make;
    int songs;  // the walk counts
    Heard heard;
  } rows[] = {
      {"empty file", Holding(""), 0, Tune},
      {"ID3 tag claiming 256 MB", Holding(id3 + std::string(100, '\0')), 1, Either},
      {"MIDI file named .mp3", Holding(midi), 1, Song},
      {"MIDI header of the wrong length", Holding("MThd" + std::string(100, '\0')), 1, Tune},
      {"8 GB sparse file", Holding("", true), 1, Either},
      {"8 GB behind a MIDI header", Holding(midi, true), 1, Tune},
      {"link to /dev/zero", [](auto& r) { Link("/dev/zero", r / "song.mp3"); }, 0, Tune},
      {"link to itself", [](auto& r) { Link("song.mp3", r / "song.mp3"); }, 0, Tune},
      {"links up the tree and between two folders",  // each folder counts once
       [&](auto& r) {
         for (const char* name : {"a/b/ab.mp3", "p/p.mp3", "q/q.mp3"}) WriteBytes(r / name, midi);
         for (const auto& [target, link] : {std::pair{"../..", "a/b/up"}, {"../q", "p/toq"}, {"../p", "q/top"}})
           Link(target, r / link);
       },
       3, Song},
  };
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TempDir root;
    row.make(root);
    SdlSoundChannel sound;
    MusicRig rig(sound, root.Path());
    HangGuard guard(row.what);
    StartMusic(rig.app);
    const auto& order = rig.app.State.SongOrder;
    EXPECT_EQ(order.empty() ? 0 : static_cast<int>(order.size()) - 1, row.songs);
    const std::string& caption = rig.fakes.window.caption;
    const bool tune = std::find(TuneTitles.begin(), TuneTitles.end(), caption) != TuneTitles.end();
    EXPECT_TRUE(row.heard == Either || tune == (row.heard == Tune)) << caption;
    EXPECT_NE(sound.Mode(), "");
    EXPECT_EQ(rig.listing.OpenListings(), 0u);
  }
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 512 * 1024) << "no file is read whole, however big it says it is";
}

// MP3 songs really opened by SDL, each over three minutes later of the fake
// clock. The tune file is only looked at: FluidSynth keeps about 2.6 KB of
// GLib allocations for every MIDI song (not ours, and it would hide ours).
struct ThreeMinuteSongs : SoundChannel {
  SdlSoundChannel real;
  FakeClock* clock = nullptr;  // the rig's
  std::int64_t startedAt = 0;
  int songs = 0;
  bool open = false;
  void Close() override { real.Close(), open = false; }
  void Open(const std::string& path) override {
    startedAt = clock->utc;
    open = path.ends_with("Temp.mid") ? std::filesystem::file_size(path) > 0 : (real.Open(path), real.Mode() != "");
    songs += open;
  }
  void Play() override { real.Play(); }
  std::string Mode() override {
    return !open ? "" : clock->utc - startedAt >= 180 ? "stopped" : "playing";
  }
};

// A week of ticks with a song ending every three minutes: neither memory in
// use nor open file descriptors may grow.
TEST(LongRunWithRealAdapters, SevenDaysOfSongsEveryThreeMinutesLeakNothing) {
  TempDir root;
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy"), cache("XDG_CACHE_HOME", root / "cache");
  ASSERT_TRUE(MakeSineMp3(root / "music/a/deep/1.mp3", 0.5, 8000));
  WriteBytes(root / "music/2.MP3", ReadBytes(root / "music/a/deep/1.mp3"));
  ThreeMinuteSongs sound;
  MusicRig rig(sound, root / "music/");
  sound.clock = &rig.fakes.clock;
  StartMusic(rig.app);
  std::size_t bytesAfterFirstDay = 0;
  int descriptorsAfterFirstDay = 0;
  for (int second = 1; second <= 7 * 86400; ++second) {
    rig.fakes.clock.Advance(1);
    ClockTick(rig.app);
    CountdownTick(rig.app);
    rig.app.State.UseMidi = second / 180 % 2 == 1;  // MP3 songs and tunes take turns
    rig.fakes.window.captions.clear();
    if (second % 86400 == 0) {
      malloc_trim(0);
      const int descriptors = static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
      if (second == 86400) bytesAfterFirstDay = BytesInUse(), descriptorsAfterFirstDay = descriptors;
      EXPECT_EQ(descriptors, descriptorsAfterFirstDay) << "day " << second / 86400;
    }
  }
  EXPECT_EQ(sound.songs, 1 + 7 * 86400 / 180);
  EXPECT_LT(BytesInUse(), bytesAfterFirstDay + 256 * 1024);  // a hundred bytes a song would break it
  EXPECT_EQ(rig.listing.OpenListings(), 0u);
  EXPECT_TRUE(rig.fakes.store.openKeys.empty());
}

}  // namespace
