// The core's music over the real folder listing, tune store, user folders and
// SDL channel: broken songs and hostile folder trees.
#include <gtest/gtest.h>
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
#include "XdgUserFolders.h"
#include "music/Music.h"
#include "music/TuneTitles.h"

namespace {

void Link(const std::string& target, const std::string& path) { ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0); }

// song.mp3 holding these bytes, and then 8 GB of holes when `huge`.
std::function<void(const TempDir&)> Holding(const std::string& bytes, bool huge = false) {
  return [=](const TempDir& r) {
    WriteBytes(r / "song.mp3", bytes);
    ASSERT_TRUE(!huge || truncate((r / "song.mp3").c_str(), std::int64_t{8} << 30) == 0);
  };
}

enum Heard { Song, Tune };  // the song the walk found, or an internal tune in its place

TEST(BrokenMedia, WhateverTheFolderHoldsSomethingIsHeardAndNothingHangs) {
  TempDir cache;
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy"), tuneFolder("XDG_CACHE_HOME", cache.Path());
  const std::string midi(EmbeddedTune('a')), id3("ID3\x04\0\0\x7F\x7F\x7F\x7F", 10);  // the tag claims 256 MB
  // what the folder holds, how it is made, the songs the walk counts, what is heard
  const std::tuple<const char*, std::function<void(const TempDir& root)>, int, Heard> rows[] = {
      {"empty file", Holding(""), 0, Tune},
      {"ID3 tag claiming 256 MB, no audio", Holding(id3 + std::string(100, '\0')), 1, Tune},
      {"MIDI file named .mp3", Holding(midi), 1, Song},
      {"MIDI header of the wrong length", Holding("MThd" + std::string(100, '\0')), 1, Tune},
      {"8 GB sparse file, no audio", Holding("", true), 1, Tune},
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
  const auto descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
  const auto descriptorsBefore = descriptors();
  for (const auto& [what, make, songs, heard] : rows) {
    SCOPED_TRACE(what);
    TempDir root;
    make(root);
    // The real listing, tunes, user folders (the tune file goes under
    // $XDG_CACHE_HOME) and channel; the rest are fakes.
    TestApp t;
    SdlSoundChannel sound;
    PosixFolderListing listing;
    XdgUserFolders folders;
    EmbeddedTuneStore tunes;
    App app{AppState{},
            Ports{t.window, sound, t.store, folders, listing, t.clock, t.volume, tunes, t.launcher, t.chooser}};
    app.State.UseMidi = false, app.State.SubfoldersOn = true, app.State.MP3Folder = root.Path();
    HangGuard guard(what);
    StartMusic(app);
    const auto& order = app.State.SongOrder;
    EXPECT_EQ(order.empty() ? 0 : static_cast<int>(order.size()) - 1, songs);
    const bool tune = std::find(TuneTitles.begin(), TuneTitles.end(), t.window.caption) != TuneTitles.end();
    EXPECT_EQ(tune, heard == Tune) << t.window.caption;
    EXPECT_EQ(sound.Mode(), "playing");
    EXPECT_EQ(listing.OpenListings(), 0u);
  }
  getrusage(RUSAGE_SELF, &after);
  EXPECT_EQ(descriptors(), descriptorsBefore) << "every file, folder and song opened is closed again";
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 512 * 1024) << "no file is read whole, however big it says it is";
}

}  // namespace
