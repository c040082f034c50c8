// A week of ticks with songs ending every three minutes, through the real
// folder listing, tune store, user folders and SDL channel: neither memory
// in use nor open file descriptors may grow.
#include <gtest/gtest.h>
#include <malloc.h>

#include <filesystem>

#include "EmbeddedTuneStore.h"
#include "EnvGuard.h"
#include "Fakes.h"
#include "PosixFolderListing.h"
#include "SdlSoundChannel.h"
#include "TestFiles.h"
#include "XdgUserFolders.h"
#include "alarm/Countdown.h"
#include "music/Music.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();  // ASan's heap, unseen by mallinfo2
std::size_t BytesInUse() { return __sanitizer_get_current_allocated_bytes(); }
#else
std::size_t BytesInUse() { return mallinfo2().uordblks; }
#endif

namespace {

// Each song really opened and played by SDL, MP3 songs and tunes taking
// turns, and over three minutes later of the fake clock. Tunes are opened by
// SDL only in the first hours: FluidSynth keeps about 2.6 KB of GLib
// allocations for every MIDI song (not ours, and it would hide ours).
struct ThreeMinuteSongs : SoundChannel {
  SdlSoundChannel real;
  FakeClock& clock;
  std::int32_t startedAt = 0;
  int opens = 0;
  bool realTunes = true, open = false;
  explicit ThreeMinuteSongs(FakeClock& c) : clock(c) {}
  void Close() override { real.Close(), open = false; }
  void Open(const std::string& path) override {
    ++opens, startedAt = clock.Seconds();
    open = !realTunes && path.ends_with("Temp.mid") ? std::filesystem::file_size(path) > 0
                                                    : (real.Open(path), real.Mode() != "");
  }
  void Play() override { real.Play(); }
  std::string Mode() override {
    return !open ? "" : (clock.Seconds() - startedAt + 86400) % 86400 >= 180 ? "stopped" : "playing";
  }
};

TEST(LongRunWithRealAdapters, SevenDaysOfSongsEveryThreeMinutesLeakNothing) {
  TempDir root;
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy"), cache("XDG_CACHE_HOME", root / "cache");
  MakeFolder(root / "music/a/deep");
  ASSERT_TRUE(MakeSineMp3(root / "music/a/deep/1.mp3", 0.5, 8000));
  WriteBytes(root / "music/2.MP3", ReadBytes(root / "music/a/deep/1.mp3"));
  WriteBytes(root / "music/empty.mp3", "");
  TestApp fakes;
  PosixFolderListing listing;
  XdgUserFolders folders;
  EmbeddedTuneStore tunes;
  ThreeMinuteSongs sound(fakes.clock);
  App app{AppState{}, Ports{fakes.window, sound, fakes.store, folders, listing, fakes.clock, fakes.volume, tunes,
                            fakes.launcher, fakes.chooser}};
  app.State.MP3Folder = root / "music/";
  app.State.SubfoldersOn = true;
  app.State.UseMidi = false;
  fakes.clock.Set(8, 0, 0);
  ClockTick(app);
  StartMusic(app);
  std::size_t bytesAfterFirstDay = 0;
  int songs = sound.open, descriptorsAfterFirstDay = 0, lastOpens = sound.opens;
  for (int second = 1; second <= 7 * 86400; ++second) {
    fakes.clock.Advance(1);
    ClockTick(app);
    CountdownTick(app);
    if (sound.opens != lastOpens) {  // a song started: the next one comes from the other source
      songs += sound.open, lastOpens = sound.opens, app.State.UseMidi = !app.State.UseMidi;
      fakes.window.captions.clear();
    }
    sound.realTunes = second < 7200;  // twenty tunes: each MIDI song loads a whole SoundFont
    if (second % 86400 == 0) {
      malloc_trim(0);
      const int descriptors = static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
      if (second == 86400) bytesAfterFirstDay = BytesInUse(), descriptorsAfterFirstDay = descriptors;
      EXPECT_EQ(descriptors, descriptorsAfterFirstDay) << "day " << second / 86400;
    }
  }
  std::printf("songs %d, bytes in use after day 1: %zu, after day 7: %zu\n", songs, bytesAfterFirstDay, BytesInUse());
  EXPECT_EQ(songs, 1 + 7 * 86400 / 180);
  EXPECT_LT(BytesInUse(), bytesAfterFirstDay + 256 * 1024);  // a hundred bytes a song would break it
  EXPECT_EQ(listing.OpenListings(), 0u);
  EXPECT_TRUE(fakes.store.openKeys.empty());
}

}  // namespace
