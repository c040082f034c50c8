// Broken songs and hostile folder trees, walked by the real folder listing and
// played by the real SDL channel through the core's music operations.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <set>

#include "EmbeddedTuneStore.h"
#include "EnvGuard.h"
#include "Fakes.h"
#include "PosixFolderListing.h"
#include "PosixTestGuards.h"
#include "SdlSoundChannel.h"
#include "TestFiles.h"
#include "alarm/Countdown.h"
#include "music/Mp3Library.h"
#include "music/Music.h"
#include "music/TuneTitles.h"

namespace {

// The core over the real listing, sound channel and tunes; the rest are fakes.
struct MusicRig {
  TestApp fakes;
  PosixFolderListing listing;
  SdlSoundChannel sound;
  EmbeddedTuneStore tunes;
  TempDir temp;
  App app{AppState{}, Ports{fakes.window, sound, fakes.store, fakes.folders, listing, fakes.clock, fakes.volume, tunes,
                            fakes.launcher, fakes.chooser}};
  explicit MusicRig(const std::string& folder) {
    app.State.UseMidi = false;
    app.State.SubfoldersOn = true;
    app.State.MP3Folder = folder;
    fakes.folders.tempFolder = temp.Path();
    chmod(temp.Path().c_str(), 0777);  // the tune file is written as "nobody" too
  }
};

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
  return bytes;
}

// song.mp3 holding these bytes, and then 8 GB of holes when `huge`.
std::function<void(const TempDir&)> Holding(const std::string& bytes, bool huge = false) {
  return [=](const TempDir& r) {
    WriteBytes(r / "song.mp3", bytes);
    ASSERT_TRUE(!huge || truncate((r / "song.mp3").c_str(), std::int64_t{8} << 30) == 0);
  };
}

void Link(const std::string& target, const std::string& path) { ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0); }

// A file with its folders, readable by all.
void Put(const TempDir& r, const std::string& name, const std::string& bytes) {
  MakeFolder((r / name).substr(0, (r / name).rfind('/')));
  WriteBytes(r / name, bytes);
  chmod((r / name).c_str(), 0644);
  chmod((r / name).substr(0, (r / name).rfind('/')).c_str(), 0755);
}

enum Heard { Song, Tune, Either };  // the song the walk found, an internal tune instead, or either

TEST(BrokenMedia, WhateverTheFolderHoldsSomethingIsHeardAndNothingHangs) {
  ScopedEnv driver{"SDL_AUDIODRIVER", "dummy"};
  TempDir media;
  ASSERT_TRUE(MakeSineMp3(media / "sine.mp3", 1.0, 12000)) << "lame could not make the test song";
  const std::string mp3 = ReadBytes(media / "sine.mp3"), midi = TinyMidi(0.2);
  const std::string id3 = std::string("ID3\x04\0\0\x7F\x7F\x7F\x7F", 10) + std::string(100, '\0');  // claims 256 MB
  const struct {
    const char* what;
    std::function<void(const TempDir& root)> make;  // song.mp3 unless it says otherwise
    int songs;                                      // the walk counts; -1: some, not all (the path limit)
    Heard heard;
    bool asNobody = false;
  } rows[] = {
      {"empty file", Holding(""), 0, Tune},
      {"MP3 truncated to a third", Holding(mp3.substr(0, mp3.size() / 3)), 1, Either},
      {"garbage", Holding(RandomBytes(65536, 1)), 1, Either},
      {"ID3 tag claiming 256 MB", Holding(id3), 1, Either},
      {"MIDI file named .mp3", Holding(midi), 1, Song},
      {"MIDI header of the wrong length", Holding("MThd" + std::string(100, '\0')), 1, Tune},
      {"FIFO", [](auto& r) { ASSERT_EQ(mkfifo((r / "song.mp3").c_str(), 0600), 0); }, 0, Tune},
      {"socket", [](auto& r) { MakeSocket(r / "song.mp3"); }, 0, Tune},
      {"link to /dev/zero", [](auto& r) { Link("/dev/zero", r / "song.mp3"); }, 0, Tune},
      {"link to itself", [](auto& r) { Link(r / "song.mp3", r / "song.mp3"); }, 0, Tune},
      {"8 GB sparse file", Holding("", true), 1, Either},
      {"8 GB behind a MIDI header", Holding(midi, true), 1, Tune},
      {"unreadable song",
       [&](auto& r) {
         WriteBytes(r / "song.mp3", mp3);
         chmod((r / "song.mp3").c_str(), 0);
       },
       1, Tune, true},
      {"unreadable subfolders beside a readable one",
       [&](auto& r) {
         for (const auto& [folder, mode] : {std::pair{"closed", 0}, {"list only", 0744}, {"enter only", 0711}}) {
           Put(r, folder + std::string("/a.mp3"), midi);
           chmod((r / folder).c_str(), mode);
         }
         Put(r, "open/reachable.mp3", midi);
       },
       1, Song, true},
      {"strange names",
       [&](auto& r) {
         for (const char* name : {"line\nbreak", "\"quoted\" 'song'", "back\\slash\\", "latin1 \xE9\xE8",
                                  "bad utf8 \xC3\x28 \xFF\xFE", " leading blank", "tab\there", "*?[glob]", "-dash"})
           Put(r, name + std::string(".mp3"), midi);
       },
       9, Song},
      // Links up the tree, two folders leading to each other, and a web of
      // eight folders each linking to all eight: each folder counts once; a
      // link to a folder elsewhere is an ordinary folder.
      {"link loops",
       [&](auto& r) {
         for (const char* name : {"a/b/ab.mp3", "p/p.mp3", "q/q.mp3"}) Put(r, name, midi);
         for (const auto& [target, link] : {std::pair{"../..", "a/b/up"}, {"../q", "p/toq"}, {"../p", "q/top"}})
           Link(target, r / link);
         Link(r.Path(), r / "a/top");
         Link(media.Path(), r / "a/away");
         for (int i = 0; i < 8; ++i) {
           Put(r, "web/" + std::to_string(i) + "/w.mp3", midi);
           for (int j = 0; j < 8; ++j)
             Link("../" + std::to_string(j), r / ("web/" + std::to_string(i) + "/to" + std::to_string(j)));
         }
       },
       12, Song},
      // 300 levels of 30-character names, beyond any path the system takes.
      {"deeper than a path can be",
       [](auto& r) {
         int fd = open(r.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
         for (int level = 0; level < 300; ++level) {
           ASSERT_EQ(mkdirat(fd, std::string(30, 'n').c_str(), 0700), 0);
           const int next = openat(fd, std::string(30, 'n').c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
           close(fd);
           fd = next;
           const int song = openat(fd, "s.mp3", O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
           ASSERT_EQ(write(song, "x", 1), 1);
           close(song);
         }
         close(fd);
       },
       -1, Either},
  };
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TempDir root;
    row.make(root);
    ASSERT_EQ(chmod(root.Path().c_str(), 0755), 0);  // so "nobody" can list it
    std::optional<AsNobody> nobody;
    if (row.asNobody) nobody.emplace();
    MusicRig rig(root.Path());
    AppState& s = rig.app.State;
    HangGuard guard(row.what);
    StartMusic(rig.app);
    const int songs = s.SongOrder.empty() ? 0 : static_cast<int>(s.SongOrder.size()) - 1;
    if (row.songs >= 0) {
      EXPECT_EQ(songs, row.songs);
    } else {
      EXPECT_TRUE(songs > 10 && songs < 300) << songs;
    }
    const std::string& caption = rig.fakes.window.caption;
    const bool tune = std::find(TuneTitles.begin(), TuneTitles.end(), caption) != TuneTitles.end();
    EXPECT_NE(rig.sound.Mode(), "");
    if (row.heard != Either) {
      EXPECT_EQ(tune, row.heard == Tune) << caption;
    }
    if (!tune) {
      EXPECT_EQ(caption, SongCaption(s.SongPath));
    }
    for (int tick = 0; tick < 3; ++tick) {
      rig.fakes.clock.Advance(1);
      ClockTick(rig.app);
      CountdownTick(rig.app);
      const std::string mode = rig.sound.Mode();
      EXPECT_TRUE(mode.empty() || mode == "stopped" || mode == "playing") << mode;
    }
    // Count and find agree: every number finds a file that exists, each once.
    std::set<std::string> found;
    for (int target = 1; target <= songs; ++target) {
      s.SongPath.clear();
      s.SongCounter = 0;
      s.SongTarget = target;
      FindSong(rig.app, root.Path());
      char real[PATH_MAX];
      if (realpath(s.SongPath.c_str(), real) != nullptr) found.insert(real);
    }
    EXPECT_EQ(found.size(), static_cast<std::size_t>(songs));
    EXPECT_EQ(rig.listing.OpenListings(), 0u);
    StopMusic(rig.app);
    EXPECT_EQ(rig.sound.Mode(), "");
    nobody.reset();
    std::system(("rm -rf '" + root.Path() + "'").c_str());  // also beyond the path limit
  }
  // No file is read whole into memory, however big it says it is.
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 512 * 1024);
}

}  // namespace
