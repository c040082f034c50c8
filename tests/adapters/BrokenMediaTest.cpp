// Broken songs and hostile folder trees, walked by the real folder listing and
// played by the real SDL channel through the core's music operations.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
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

// The core over the real listing, the real sound channel and the real
// tunes; window, clock and the rest are fakes.
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
    fakes.clock.Set(10, 0, 0);
    fakes.folders.tempFolder = temp.Path();
    chmod(temp.Path().c_str(), 0777);  // the tune file is written as "nobody" too
  }
  bool TunePlays() {
    const std::string& caption = fakes.window.caption;
    return std::find(TuneTitles.begin(), TuneTitles.end(), caption) != TuneTitles.end() && sound.Mode() != "";
  }
  void Tick() {
    fakes.clock.Advance(1);
    ClockTick(app);
    CountdownTick(app);
  }
};

bool DefinedMode(const std::string& mode) { return mode.empty() || mode == "stopped" || mode == "playing"; }

// Removes a tree by relative names, so depth beyond the path limit is no
// obstacle.
void RemoveTreeAt(int parent, const char* name) {
  const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    DIR* dir = fdopendir(fd);
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
        names.emplace_back(entry->d_name);
    }
    for (const auto& child : names) {
      if (unlinkat(dirfd(dir), child.c_str(), 0) != 0) RemoveTreeAt(dirfd(dir), child.c_str());
    }
    closedir(dir);
  }
  unlinkat(parent, name, AT_REMOVEDIR);
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
  return bytes;
}

// An ID3v2 header with its size as four 7-bit bytes, and padding after it.
std::string Id3Only(std::uint32_t declaredSize, std::size_t actualSize) {
  std::string tag = "ID3\x04";
  tag += '\0';
  tag += '\0';
  for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>((declaredSize >> shift) & 0x7F);
  return tag + std::string(actualSize, '\0');
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class BrokenMedia : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    media_ = std::make_unique<TempDir>();
    ASSERT_TRUE(MakeSineMp3(*media_ / "sine.mp3", 1.0, 12000)) << "lame could not make the test song";
    sineMp3_ = ReadBytes(*media_ / "sine.mp3");
  }
  static void TearDownTestSuite() { media_.reset(); }

  // Starts music over the tree, as the Go command does, then lets three
  // ticks pass, each starting the next song if this one has ended. Something
  // is heard: a song shown by its name, or else an internal tune.
  // Returns how many songs the walk counted.
  std::int32_t StartAndTick(MusicRig& rig, const std::string& what) {
    HangGuard guard(what);
    StartMusic(rig.app);
    const std::int32_t songs = static_cast<std::int32_t>(rig.app.State.SongOrder.size()) - 1;
    EXPECT_TRUE(DefinedMode(rig.sound.Mode())) << what << ": " << rig.sound.Mode();
    EXPECT_TRUE(rig.TunePlays() ||
                (rig.sound.Mode() != "" && rig.fakes.window.caption == SongCaption(rig.app.State.SongPath)))
        << what << ": " << rig.fakes.window.caption;
    for (int tick = 0; tick < 3; ++tick) {
      rig.Tick();
      EXPECT_TRUE(DefinedMode(rig.sound.Mode())) << what;
    }
    EXPECT_EQ(rig.listing.OpenListings(), 0u) << what;
    return std::max(songs, 0);
  }

  ScopedEnv driver{"SDL_AUDIODRIVER", "dummy"};
  TempDir root;
  static inline std::unique_ptr<TempDir> media_;
  static inline std::string sineMp3_;
};

// One broken file (or thing) named like a song, alone in the folder.
struct MediaCase {
  const char* what;
  std::function<void(const std::string& path)> make;  // makes it at path
  std::int32_t songs;                                 // what the walk counts
  bool tune;                                          // never played as a song: an internal tune instead
};

TEST_F(BrokenMedia, WhateverTheBrokenSongSomethingIsHeard) {
  const std::string& mp3 = sineMp3_;
  const std::string midi = TinyMidi(0.5);
  const bool any = false;  // played as a song, or else a tune
  const bool closed = true;
  const MediaCase cases[] = {
      {"empty file", [](const std::string& p) { WriteBytes(p, ""); }, 0, closed},
      {"truncated to a third", [&](const std::string& p) { WriteBytes(p, mp3.substr(0, mp3.size() / 3)); }, 1, any},
      {"truncated inside the first frame", [&](const std::string& p) { WriteBytes(p, mp3.substr(0, 100)); }, 1, any},
      {"garbage", [](const std::string& p) { WriteBytes(p, RandomBytes(65536, 1)); }, 1, any},
      {"garbage behind a frame header",
       [](const std::string& p) { WriteBytes(p, "\xFF\xFB\x90\x64" + RandomBytes(65536, 2)); }, 1, any},
      {"an MP3 with its middle overwritten",
       [&](const std::string& p) { WriteBytes(p, mp3.substr(0, 2000) + RandomBytes(4000, 3) + mp3.substr(6000)); }, 1,
       any},
      {"ID3 tag only", [](const std::string& p) { WriteBytes(p, Id3Only(1000, 1000)); }, 1, any},
      {"ID3 tag claiming 256 MB", [](const std::string& p) { WriteBytes(p, Id3Only(0x0FFFFFFF, 100)); }, 1, any},
      {"MIDI file named .mp3", [&](const std::string& p) { WriteBytes(p, midi); }, 1, any},
      {"MIDI header of the wrong length", [](const std::string& p) { WriteBytes(p, "MThd" + std::string(100, '\0')); },
       1, closed},
      {"text file named .mp3", [](const std::string& p) { WriteBytes(p, std::string(3000, 'x')); }, 1, any},
      {"FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, 0, closed},
      {"socket", [](const std::string& p) { MakeSocket(p); }, 0, closed},
      {"link to /dev/null", [](const std::string& p) { ASSERT_EQ(symlink("/dev/null", p.c_str()), 0); }, 0, closed},
      {"link to /dev/zero", [](const std::string& p) { ASSERT_EQ(symlink("/dev/zero", p.c_str()), 0); }, 0, closed},
      {"link to /dev/tty", [](const std::string& p) { ASSERT_EQ(symlink("/dev/tty", p.c_str()), 0); }, 0, closed},
      {"link to nothing", [](const std::string& p) { ASSERT_EQ(symlink("/no/such/file.mp3", p.c_str()), 0); }, 0,
       closed},
      {"link to a FIFO",
       [](const std::string& p) {
         ASSERT_EQ(mkfifo((p + ".fifo").c_str(), 0600), 0);
         ASSERT_EQ(symlink((p + ".fifo").c_str(), p.c_str()), 0);
       },
       0, closed},
      {"link to itself", [](const std::string& p) { ASSERT_EQ(symlink(p.c_str(), p.c_str()), 0); }, 0, closed},
      {"8 GB sparse file",
       [](const std::string& p) {
         const int fd = open(p.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
         ASSERT_GE(fd, 0);
         ASSERT_EQ(ftruncate(fd, std::int64_t{8} << 30), 0);
         close(fd);
       },
       1, any},
      {"8 GB sparse file behind a MIDI header",
       [&](const std::string& p) {
         WriteBytes(p, midi);
         ASSERT_EQ(truncate(p.c_str(), std::int64_t{8} << 30), 0);
       },
       1, closed},
      {"8 GB sparse file behind a real song",
       [&](const std::string& p) {
         WriteBytes(p, mp3);
         ASSERT_EQ(truncate(p.c_str(), std::int64_t{8} << 30), 0);
       },
       1, any},
  };
  const long peakBefore = PeakKilobytes();
  for (const MediaCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir folder;
    c.make(folder / "song.mp3");
    MusicRig rig(folder.Path());
    EXPECT_EQ(StartAndTick(rig, c.what), c.songs);
    StartMusic(rig.app);
    if (c.tune) {
      EXPECT_TRUE(rig.TunePlays()) << rig.fakes.window.caption;
    }
    StopMusic(rig.app);
    EXPECT_EQ(rig.sound.Mode(), "");
  }
  // No file is read whole into memory, however big it says it is.
  EXPECT_LT(PeakKilobytes() - peakBefore, 512 * 1024);
}

TEST_F(BrokenMedia, UnreadableSongGivesAnInternalTune) {
  WriteBytes(root / "locked.mp3", sineMp3_);
  ASSERT_EQ(chmod((root / "locked.mp3").c_str(), 0), 0);
  ASSERT_EQ(chmod(root.Path().c_str(), 0755), 0);  // so "nobody" can list it
  AsNobody nobody;
  MusicRig rig(root.Path());
  EXPECT_EQ(StartAndTick(rig, "unreadable song"), 1);
  EXPECT_TRUE(rig.TunePlays()) << rig.fakes.window.caption;
}

TEST_F(BrokenMedia, StrangeNamesAreSongsLikeAnyOther) {
  const std::vector<std::string> names = {
      "line\nbreak",    "\"quoted\" 'song'", "back\\slash\\", "latin1 \xE9\xE8", "bad utf8 \xC3\x28 \xFF\xFE",
      " leading blank", "tab\there",         "*?[glob]",      "-dash",
  };
  for (const auto& name : names) WriteBytes(root / (name + ".mp3"), TinyMidi(0.2));
  MusicRig rig(root.Path());
  EXPECT_EQ(StartAndTick(rig, "strange names"), static_cast<std::int32_t>(names.size()));
  // Every song of the order is found by its exact name and plays.
  std::set<std::string> captions;
  for (std::size_t song = 0; song < names.size(); ++song) {
    rig.Tick();  // hears the song playing
    PlayMp3Song(rig.app);
    struct stat st {};
    EXPECT_EQ(stat(rig.app.State.SongPath.c_str(), &st), 0) << rig.app.State.SongPath;
    EXPECT_NE(rig.sound.Mode(), "") << rig.app.State.SongPath;
    captions.insert(rig.fakes.window.caption);
  }
  EXPECT_EQ(captions, std::set<std::string>(names.begin(), names.end()));
}

TEST_F(BrokenMedia, FolderDeeperThanAPathCanBeIsWalkedAsFarAsItCanBe) {
  // 300 levels of 30-character names: about 9,300 characters, more than
  // any path the system takes. What lies beyond the limit is not found.
  const std::string name(30, 'n');
  const int top = open(root.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(top, 0);
  int fd = dup(top);
  for (int level = 0; level < 300; ++level) {
    ASSERT_EQ(mkdirat(fd, name.c_str(), 0700), 0);
    const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(fd);
    fd = next;
    const int song = openat(fd, "s.mp3", O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(song, 0);
    ASSERT_EQ(write(song, "x", 1), 1);
    close(song);
  }
  close(fd);
  MusicRig rig(root.Path());
  const std::int32_t songs = StartAndTick(rig, "beyond the path limit");
  EXPECT_GT(songs, 10);
  EXPECT_LT(songs, 300);
  // Count and find agree: every number finds a song that exists.
  for (std::int32_t target = 1; target <= songs; ++target) {
    rig.app.State.SongPath.clear();
    rig.app.State.SongCounter = 0;
    rig.app.State.SongTarget = target;
    FindSong(rig.app, root.Path());
    ASSERT_NE(rig.app.State.SongPath, "") << target;
    EXPECT_EQ(access(rig.app.State.SongPath.c_str(), F_OK), 0) << target;
  }
  RemoveTreeAt(top, name.c_str());
  close(top);
}

TEST_F(BrokenMedia, TenThousandEntriesInOneFolder) {
  for (int i = 0; i < 10000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%05d.%s", i, i % 2 == 0 ? "mp3" : "txt");
    WriteBytes(root / name, "x");
  }
  WriteBytes(root / "zz playable.mp3", TinyMidi(0.2));
  MusicRig rig(root.Path());
  EXPECT_EQ(StartAndTick(rig, "10,000 entries"), 5001);
}

TEST_F(BrokenMedia, LinkLoopsEndAndEachFolderCountsOnce) {
  // Links up the tree, a pair of folders leading to each other, and a web
  // of eight folders each linking to all eight: walked naively, the web
  // alone would be more than 100,000 folder visits at every song start.
  MakeFolder(root / "a/b");
  WriteBytes(root / "a/b/ab.mp3", TinyMidi(0.2));
  ASSERT_EQ(symlink("../..", (root / "a/b/up").c_str()), 0);
  ASSERT_EQ(symlink(root.Path().c_str(), (root / "a/top").c_str()), 0);
  MakeFolder(root / "p");
  MakeFolder(root / "q");
  WriteBytes(root / "p/p.mp3", TinyMidi(0.2));
  WriteBytes(root / "q/q.mp3", TinyMidi(0.2));
  ASSERT_EQ(symlink("../q", (root / "p/toq").c_str()), 0);
  ASSERT_EQ(symlink("../p", (root / "q/top").c_str()), 0);
  for (int i = 0; i < 8; ++i) {
    const std::string folder = root / ("web/" + std::to_string(i));
    MakeFolder(folder);
    WriteBytes(folder + "/w.mp3", "x");
    for (int j = 0; j < 8; ++j) {
      ASSERT_EQ(symlink(("../" + std::to_string(j)).c_str(), (folder + "/to" + std::to_string(j)).c_str()), 0);
    }
  }
  MusicRig rig(root.Path());
  EXPECT_EQ(StartAndTick(rig, "link loops"), 11);
  std::set<std::string> real;
  for (int song = 0; song < 11; ++song) {
    NextSongPath(rig.app);
    char* resolved = realpath(rig.app.State.SongPath.c_str(), nullptr);
    ASSERT_NE(resolved, nullptr) << rig.app.State.SongPath;
    real.insert(resolved);
    free(resolved);
  }
  EXPECT_EQ(real.size(), 11u);  // no song twice in one round of the order
}

TEST_F(BrokenMedia, UnreadableSubfolderIsSkippedAndTheRestPlays) {
  MakeFolder(root / "closed");
  MakeFolder(root / "open");
  WriteBytes(root / "closed/hidden away.mp3", TinyMidi(0.2));
  WriteBytes(root / "open/reachable.mp3", TinyMidi(0.2));
  ASSERT_EQ(chmod((root / "closed").c_str(), 0), 0);
  ASSERT_EQ(chmod(root.Path().c_str(), 0755), 0);
  ASSERT_EQ(chmod((root / "open").c_str(), 0755), 0);
  ASSERT_EQ(chmod((root / "open/reachable.mp3").c_str(), 0644), 0);
  AsNobody nobody;
  MusicRig rig(root.Path());
  EXPECT_EQ(StartAndTick(rig, "unreadable subfolder"), 1);
  EXPECT_EQ(rig.app.State.SongPath, root / "open/reachable.mp3");
  EXPECT_NE(rig.sound.Mode(), "");
}

TEST_F(BrokenMedia, SongsAddedAndRemovedBetweenTwoSongStarts) {
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) WriteBytes(root / name, TinyMidi(0.2));
  MusicRig rig(root.Path());
  EXPECT_EQ(StartAndTick(rig, "three songs"), 3);

  // All songs go, so the next song start finds nothing: a tune plays instead.
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) unlink((root / name).c_str());
  PlayNextSong(rig.app);  // as a tick does when the song has ended
  EXPECT_TRUE(rig.TunePlays()) << rig.fakes.window.caption;

  // New songs come: the next Go plays them.
  for (const char* name : {"x.mp3", "y.mp3", "z.mp3"}) WriteBytes(root / name, TinyMidi(0.2));
  EXPECT_EQ(StartAndTick(rig, "new songs"), 3);
  EXPECT_EQ((std::set<std::string>{root / "x.mp3", root / "y.mp3", root / "z.mp3"}.count(rig.app.State.SongPath)), 1u);

  // They turn into a FIFO and a folder: not songs, so a tune plays.
  unlink((root / "x.mp3").c_str());
  ASSERT_EQ(mkfifo((root / "x.mp3").c_str(), 0600), 0);
  unlink((root / "y.mp3").c_str());
  MakeFolder(root / "y.mp3");
  unlink((root / "z.mp3").c_str());
  StartAndTick(rig, "songs turned FIFO and folder");
  EXPECT_TRUE(rig.TunePlays()) << rig.fakes.window.caption;
}

}  // namespace
