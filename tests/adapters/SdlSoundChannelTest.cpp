// The SDL sound channel and its output gain, heard through SDL's disk audio
// driver: the rendered samples land in a file the tests then measure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "EmbeddedTuneStore.h"
#include "EnvGuard.h"
#include "Fakes.h"
#include "SdlOutputVolume.h"
#include "SdlSoundChannel.h"
#include "TestFiles.h"
#include "XdgUserFolders.h"
#include "music/InternalTunes.h"
#include "music/Music.h"

namespace {

class SdlSoundChannelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    media_ = std::make_unique<TempDir>();
    mp3_ = MakeSineMp3(*media_ / "sine.mp3", 1.0, 16000);
    mp3_ = mp3_ && MakeSineMp3(*media_ / "silent.mp3", 0.5, 0);
    WriteBytes(*media_ / "chord.mid", TinyMidi());
  }
  static void TearDownTestSuite() { media_.reset(); }

  static std::string Media(const std::string& name) { return *media_ / name; }

  // The audio thread runs flat out with no delay; wait for the song's end,
  // polling a bounded number of times.
  static std::string WaitWhilePlaying(SdlSoundChannel& channel) {
    std::string mode = channel.Mode();
    for (int polls = 0; mode == "playing" && polls < 20000; ++polls) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      mode = channel.Mode();
    }
    return mode;
  }

  // Plays one file to its end through a fresh channel; the samples go to the
  // returned file.
  std::string PlayToEnd(const std::string& path, std::optional<std::uint32_t> gain = std::nullopt) {
    const std::string output = out / ("out" + std::to_string(++runs_) + ".raw");
    ScopedEnv file("SDL_DISKAUDIOFILE", output);
    SdlSoundChannel channel;
    SdlOutputVolume volume(channel);
    if (gain) volume.SetWaveVolume(*gain);
    channel.Open(path);
    EXPECT_NE(channel.Mode(), "") << path;
    channel.Play();
    EXPECT_EQ(WaitWhilePlaying(channel), "stopped") << path;
    channel.Close();
    EXPECT_EQ(channel.Mode(), "");
    return output;
  }

  ScopedEnv driver{"SDL_AUDIODRIVER", "disk"};
  ScopedEnv delay{"SDL_DISKAUDIODELAY", "0"};
  TempDir out;
  int runs_ = 0;
  static inline std::unique_ptr<TempDir> media_;
  static inline bool mp3_ = false;
};

// Heard through the disk driver: both kinds of song play to their end, and
// the gain scales each channel's samples.
TEST_F(SdlSoundChannelTest, SongsAreHeardAtTheirGain) {
  ASSERT_NE(SdlSoundChannel::SoundFontPath(), "") << "no General MIDI SoundFont installed";
  ASSERT_TRUE(mp3_) << "lame could not make the test song";
  EXPECT_GT(PeakOfRawSamples(PlayToEnd(Media("chord.mid"))), 1000);
  const int full = PeakOfRawSamples(PlayToEnd(Media("sine.mp3")));
  ASSERT_GT(full, 8000);
  const std::string quarter = PlayToEnd(Media("sine.mp3"), 0x3FFF3FFFu);  // set before the device opens
  EXPECT_NEAR(PeakOfRawSamples(quarter, 0), full / 4, full / 20);
  EXPECT_NEAR(PeakOfRawSamples(quarter, 1), full / 4, full / 20);
  const std::string leftOnly = PlayToEnd(Media("sine.mp3"), 0x0000FFFFu);
  EXPECT_NEAR(PeakOfRawSamples(leftOnly, 0), full, full / 20);
  EXPECT_EQ(PeakOfRawSamples(leftOnly, 1), 0);
  // One song at a time: a second open before a close is refused.
  ScopedEnv file("SDL_DISKAUDIOFILE", out / "second.raw");
  SdlSoundChannel channel;
  channel.Open(Media("sine.mp3"));
  channel.Open(Media("silent.mp3"));
  channel.Play();
  EXPECT_EQ(WaitWhilePlaying(channel), "stopped");
  EXPECT_GT(PeakOfRawSamples(out / "second.raw"), 8000);
}

TEST_F(SdlSoundChannelTest, WhatIsNoSongNeverOpens) {
  ASSERT_TRUE(mp3_);
  WriteBytes(out / "empty.mp3", "");
  WriteBytes(out / "text.mp3", std::string(2000, 'x'));
  MakeFolder(out / "folder.mp3");
  ASSERT_EQ(mkfifo((out / "pipe.mp3").c_str(), 0600), 0);  // opening it would block
  ASSERT_EQ(symlink((out / "pipe.mp3").c_str(), (out / "pipelink.mp3").c_str()), 0);
  ScopedEnv file("SDL_DISKAUDIOFILE", out / "out.raw");
  SdlSoundChannel channel;
  for (const std::string& path :
       {std::string(), out / "missing.mp3", out / "empty.mp3", out / "text.mp3", out / "folder.mp3", out / "pipe.mp3",
        out / "pipelink.mp3", std::string("/dev/zero")}) {
    channel.Open(path);
    channel.Play();
    EXPECT_EQ(channel.Mode(), "") << path;
  }
  channel.Open(Media("sine.mp3"));  // the same channel still plays a real song
  EXPECT_NE(channel.Mode(), "");
}

// Paced like a real device: open reads "stopped", playing "playing" (a
// second-long song has only begun), close ends it.
TEST_F(SdlSoundChannelTest, PlayingUntilTheEndOrAClose) {
  ASSERT_TRUE(mp3_);
  ScopedEnv realTime("SDL_AUDIODRIVER", "dummy");
  SdlSoundChannel channel;
  for (const char* song : {"chord.mid", "sine.mp3"}) {
    channel.Open(Media(song));
    EXPECT_EQ(channel.Mode(), "stopped") << song;
    channel.Play();
    EXPECT_EQ(channel.Mode(), "playing") << song;
    channel.Close();
    channel.Close();  // closing twice is harmless
    EXPECT_EQ(channel.Mode(), "") << song;
    EXPECT_FALSE(channel.DeviceOpen()) << song;  // asked with nothing open: the device is closed
  }
}

TEST_F(SdlSoundChannelTest, WithoutAnAudioDeviceEverythingFailsQuietly) {
  ASSERT_TRUE(mp3_);
  ScopedEnv noDevice("SDL_AUDIODRIVER", "no-such-driver");
  SdlSoundChannel channel;
  SdlOutputVolume volume(channel);
  EXPECT_EQ(volume.GetWaveVolume(), 0xFFFFFFFFu);  // starts full
  for (int attempt = 0; attempt < 3; ++attempt) {
    channel.Open(Media("sine.mp3"));
    channel.Play();
    EXPECT_EQ(channel.Mode(), "");
  }
  volume.SetMidiVolume(0x7FFF7FFFu);  // wave and MIDI are the same output here
  EXPECT_EQ(volume.GetWaveVolume(), 0x7FFF7FFFu);
}

// The program's own tunes through the real store, folders and channel: each
// one opens, and a tune start is heard.
class BuiltInTunes : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedEnv driver{"SDL_AUDIODRIVER", "disk"};
  ScopedEnv delay{"SDL_DISKAUDIODELAY", "0"};
  ScopedEnv file{"SDL_DISKAUDIOFILE", dir / "out.raw"};
  ScopedEnv cache{"XDG_CACHE_HOME", dir / "cache"};
};

TEST_F(BuiltInTunes, EveryTuneOpens) {
  EmbeddedTuneStore store;
  SdlSoundChannel channel;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const auto tune = store.FindResource(std::string(1, letter), "MIDI");
    ASSERT_TRUE(tune) << letter;
    ASSERT_TRUE(store.WriteFile(dir / "Temp.mid", *tune));
    channel.Open(dir / "Temp.mid");
    EXPECT_EQ(channel.Mode(), "stopped") << letter;  // open and ready to play
    channel.Close();
  }
}

TEST_F(BuiltInTunes, InternalSongStartIsHeard) {
  EmbeddedTuneStore store;
  XdgUserFolders folders;
  TestApp t;
  {
    SdlSoundChannel channel;
    App app{AppState{},
            Ports{t.window, channel, t.store, folders, t.listing, t.clock, t.volume, store, t.launcher, t.chooser}};
    PlayInternalTune(app);
    EXPECT_EQ(channel.Mode(), "playing");
    // The device may have written silence while the tune loaded; only what
    // was rendered after the start counts. Wait for two seconds of it.
    const std::string output = dir / "out.raw";
    struct stat st {};
    const off_t start = stat(output.c_str(), &st) == 0 ? st.st_size : 0;
    constexpr off_t twoSeconds = 2 * 44100 * 4;
    for (int polls = 0; polls < 10000 && (stat(output.c_str(), &st) != 0 || st.st_size < start + twoSeconds); ++polls) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    StopMusic(app);
    EXPECT_EQ(channel.Mode(), "");
    EXPECT_GT(PeakOfRawSamples(output, -1, static_cast<std::size_t>(twoSeconds), static_cast<std::size_t>(start)),
              1000);
  }
}

}  // namespace
