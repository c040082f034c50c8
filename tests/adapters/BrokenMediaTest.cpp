// The core's music over the real folder listing, tune store, user folders and
// SDL channel: broken songs and hostile folder trees.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>

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

enum Heard { Song, Tune };  // the song the walk found, or an internal tune in its place

TEST(BrokenMedia, WhateverTheFolderHoldsSomethingIsHeardAndNothingHangs) {
  TempDir cache;
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy"), tuneFolder("XDG_CACHE_HOME", cache.Path());
  WriteBytes(cache / "a.mid", EmbeddedTune('a'));
  // what the folder holds, the shell commands that make it ($M: a MIDI file), the songs the walk counts, heard
  const std::tuple<const char*, const char*, int, Heard> rows[] = {
      {"empty file", ": > song.mp3", 0, Tune},
      {"ID3 tag claiming 256 MB, no audio",
       "printf 'ID3\\4\\0\\0\\177\\177\\177\\177' > song.mp3 && head -c 100 /dev/zero >> song.mp3", 1, Tune},
      {"MIDI file named .mp3", "cp \"$M\" song.mp3", 1, Song},
      {"MIDI header of the wrong length", "printf MThd > song.mp3 && head -c 100 /dev/zero >> song.mp3", 1, Tune},
      {"8 GB sparse file, no audio", "truncate -s 8G song.mp3", 1, Tune},
      {"8 GB behind a MIDI header", "cp \"$M\" song.mp3 && truncate -s 8G song.mp3", 1, Tune},
      {"link to /dev/zero", "ln -s /dev/zero song.mp3", 0, Tune},
      {"link to itself", "ln -s song.mp3 song.mp3", 0, Tune},
      {"links up the tree and between two folders",  // each folder counts once
       "mkdir -p a/b p q && for f in a/b/ab p/p q/q; do cp \"$M\" $f.mp3; done && "
       "ln -s ../.. a/b/up && ln -s ../q p/toq && ln -s ../p q/top",
       3, Song},
  };
  auto peakMemory = [usage = rusage{}]() mutable { return getrusage(RUSAGE_SELF, &usage), usage.ru_maxrss; };
  const auto descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
  const long memoryBefore = peakMemory(), descriptorsBefore = descriptors();
  for (const auto& [what, make, songs, heard] : rows) {
    SCOPED_TRACE(what);
    TempDir root;
    ASSERT_EQ(root.Run("M='" + cache / "a.mid" + "' && " + make), 0);
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
    EXPECT_EQ(std::max(static_cast<int>(app.State.SongOrder.size()) - 1, 0), songs);  // numbered from 1
    EXPECT_EQ(std::count(TuneTitles.begin(), TuneTitles.end(), t.window.caption), heard == Tune) << t.window.caption;
    EXPECT_EQ(sound.Mode(), "playing");
    EXPECT_EQ(listing.OpenListings(), 0u);
  }
  EXPECT_EQ(descriptors(), descriptorsBefore) << "every file, folder and song opened is closed again";
  EXPECT_LT(peakMemory() - memoryBefore, 512 * 1024) << "no file is read whole, however big it says it is";
}

}  // namespace
