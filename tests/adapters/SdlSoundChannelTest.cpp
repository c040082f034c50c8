// The SDL sound channel and its output gain, heard through SDL's disk audio
// driver: the rendered samples land in a file the test then measures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "EmbeddedTunes.h"
#include "SdlOutputVolume.h"
#include "SdlSoundChannel.h"
#include "TestFiles.h"

namespace {

// Each song plays once to its end at its gain (0xRRRRLLLL); only one song at
// a time: a second open before a close is refused. What is no song never opens.
TEST(SdlSoundChannel, SongsAreHeardAtTheirGain) {
  ASSERT_NE(SdlSoundChannel::SoundFontPath(), "") << "no General MIDI SoundFont installed";
  TempDir dir;
  ASSERT_TRUE(MakeSineMp3(dir / "sine.mp3", 1.0, 16000) && MakeSineMp3(dir / "silent.mp3", 0.5, 0));
  WriteBytes(dir / "tune.mid", EmbeddedTune('a'));
  ScopedEnv driver("SDL_AUDIODRIVER", "disk"), delay("SDL_DISKAUDIODELAY", "0");
  const struct {
    const char *song, *second;  // opened while the first is open
    std::uint32_t gain;
    int left, right;  // the peak heard, in thousands (-1: above one thousand)
  } cases[] = {{"tune.mid", nullptr, 0xFFFFFFFFu, -1, -1},
               {"sine.mp3", nullptr, 0x3FFF3FFFu, 4, 4},
               {"sine.mp3", nullptr, 0x0000FFFFu, 16, 0},
               {"sine.mp3", "silent.mp3", 0xFFFFFFFFu, 16, 16}};
  for (const auto& c : cases) {
    const std::string out = dir / (std::to_string(&c - cases) + ".raw");
    ScopedEnv file("SDL_DISKAUDIOFILE", out);
    SdlSoundChannel channel;
    SdlOutputVolume(channel).SetWaveVolume(c.gain);  // before the device opens
    channel.Open(dir / c.song);
    if (c.second) channel.Open(dir / c.second);
    EXPECT_EQ(channel.Mode(), "stopped") << c.song;
    channel.Play();
    for (int polls = 0; channel.Mode() == "playing" && polls < 20000; ++polls)  // the disk driver runs flat out
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(channel.Mode(), "stopped") << c.song;
    channel.Close();
    EXPECT_EQ(channel.Mode(), "");
    for (const auto& [side, expected] : {std::pair{0, c.left}, std::pair{1, c.right}}) {
      const int peak = PeakOfRawSamples(out, side);
      EXPECT_TRUE(expected < 0 ? peak > 1000 : std::abs(peak - expected * 1000) <= 1000) << c.song << " " << peak;
    }
  }
  ASSERT_EQ(mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);  // opening it would block
  SdlSoundChannel channel;
  for (const std::string& path : {dir.Path(), dir / "pipe.mp3", std::string("/dev/zero")}) {
    channel.Open(path);
    EXPECT_EQ(channel.Mode(), "") << path;
  }
}

}  // namespace
