// A week of ticks with songs ending every three minutes, through the real
// folder listing, tune store, user folders and SDL channel: neither memory
// in use nor open file descriptors may grow.
#include <dirent.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>

#include "EmbeddedTuneStore.h"
#include "EmbeddedTunes.h"
#include "EnvGuard.h"
#include "Fakes.h"
#include "PosixFolderListing.h"
#include "SdlSoundChannel.h"
#include "TestFiles.h"
#include "XdgUserFolders.h"
#include "alarm/Countdown.h"
#include "music/Music.h"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps its own heap, which mallinfo2 does not see.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

std::size_t BytesInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

int OpenDescriptors() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
  closedir(dir);
  return count - 1;  // the listing's own
}

constexpr int SongSeconds = 180;
constexpr int TuneEveryNthReal = 12;  // MIDI opens load a whole SoundFont

// Songs end every three minutes: the status turns "stopped" once the clock
// has gone 180 seconds on from a song start. Every MP3 song is really opened and played by
// the SDL channel, and so is every twelfth tune of the first day; the other
// tunes only have to be a regular file that is not empty. FluidSynth 2.3
// keeps about 2.6 KB of GLib allocations for every synthesizer SDL_mixer
// makes for a MIDI song (still reachable, so the leak checker says nothing);
// that growth is not ours and would hide ours, so later tunes stay unopened.
class ThreeMinuteSongs : public SoundChannel {
 public:
  ThreeMinuteSongs(SdlSoundChannel& real, FakeClock& clock) : real_(real), clock_(clock) {}
  void Close() override {
    real_.Close();
    open_ = false;
  }
  void Open(const std::string& path) override {
    ++opens;
    startedAt_ = clock_.Seconds();
    const bool tune = path.size() >= 8 && path.compare(path.size() - 8, 8, "Temp.mid") == 0;
    if (!tune || (realTunes && tunes_++ % TuneEveryNthReal == 0)) {
      real_.Open(path);
      open_ = !real_.Mode().empty();
      realOpens += open_;
    } else {
      struct stat st {};
      open_ = stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
    }
  }
  void Play() override { real_.Play(); }
  std::string Mode() override {
    if (!open_) return {};
    return (clock_.Seconds() - startedAt_ + 86400) % 86400 >= SongSeconds ? "stopped" : "playing";
  }

  int opens = 0;
  int realOpens = 0;
  bool realTunes = true;

 private:
  SdlSoundChannel& real_;
  FakeClock& clock_;
  bool open_ = false;
  std::int32_t startedAt_ = 0;
  int tunes_ = 0;
};

TEST(LongRunWithRealAdapters, SevenDaysOfSongsEveryThreeMinutesLeakNothing) {
  TempDir root;
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  ScopedEnv cache("XDG_CACHE_HOME", root / "cache");
  ASSERT_TRUE(MakeSineMp3(root / "sine.mp3", 0.5, 8000)) << "lame could not make the test song";
  const std::string song = ReadBytes(root / "sine.mp3");
  for (const char* folder : {"music/a", "music/a/deep", "music/b", "music/.hidden"}) MakeFolder(root / folder);
  for (const char* name :
       {"music/a/1.mp3", "music/a/deep/2.mp3", "music/b/3.mp3", "music/4.mp3", "music/5.MP3", "music/.hidden/6.mp3"}) {
    WriteBytes(root / name, song);
  }
  WriteBytes(root / "music/notes.txt", "not a song");
  WriteBytes(root / "music/empty.mp3", "");

  TestApp fakes;
  PosixFolderListing listing;
  XdgUserFolders folders;
  EmbeddedTuneStore tunes;
  SdlSoundChannel sdl;
  ThreeMinuteSongs sound(sdl, fakes.clock);
  App app{AppState{}, Ports{fakes.window, sound, fakes.store, folders, listing, fakes.clock, fakes.volume, tunes,
                            fakes.launcher, fakes.chooser}};
  app.State.MP3Folder = root / "music/";
  app.State.SubfoldersOn = true;
  app.State.UseMidi = false;
  fakes.clock.Set(8, 0, 0);
  ClockTick(app);
  StartMusic(app);

  std::size_t bytesAfterFirstDay = 0;
  int descriptorsAfterFirstDay = 0;
  int lastOpens = sound.opens;
  for (int second = 1; second <= 7 * 86400; ++second) {
    fakes.clock.Advance(1);
    ClockTick(app);
    CountdownTick(app);
    if (sound.opens != lastOpens) {
      // Songs take turns: the next one comes from the other source.
      lastOpens = sound.opens;
      if (app.State.UseMidi) {
        const char letter = app.State.TuneHistory.back();
        ASSERT_EQ(ReadBytes(root / "cache/TimerZqv2010/Temp.mid"), EmbeddedTune(letter)) << "second " << second;
      } else {
        ASSERT_NE(app.State.SongPath, "") << "second " << second;
      }
      app.State.UseMidi = !app.State.UseMidi;
      fakes.window.captions.clear();
    }
    if (second == 86400) {
      sound.realTunes = false;
      malloc_trim(0);
      bytesAfterFirstDay = BytesInUse();
      descriptorsAfterFirstDay = OpenDescriptors();
    }
  }
  malloc_trim(0);
  const std::size_t bytesAtTheEnd = BytesInUse();
  const int descriptorsAtTheEnd = OpenDescriptors();
  std::printf("song starts %d (SDL opened %d), bytes in use after day 1: %zu, after day 7: %zu, descriptors %d -> %d\n",
              sound.opens, sound.realOpens, bytesAfterFirstDay, bytesAtTheEnd, descriptorsAfterFirstDay,
              descriptorsAtTheEnd);

  EXPECT_EQ(sound.opens, 1 + 7 * 86400 / SongSeconds);
  EXPECT_GT(sound.realOpens, sound.opens / 2);
  EXPECT_EQ(descriptorsAtTheEnd, descriptorsAfterFirstDay);
  // Six more days are 2,880 more song starts: a leak of a hundred bytes a
  // song would break this bound.
  EXPECT_LT(bytesAtTheEnd, bytesAfterFirstDay + 256 * 1024);
  EXPECT_EQ(listing.OpenListings(), 0u);
  EXPECT_TRUE(fakes.store.openKeys.empty());
}

}  // namespace
