// The SDL sound channel and its output gain, heard through SDL's disk audio
// driver: the rendered samples land in a file the test then measures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

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
  // A quarter of a second of middle C: format 0, 96 ticks a beat at 120 beats a minute.
  const std::string note("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0C\0\x90\x3C\x64\x30\x80\x3C\0\0\xFF\x2F\0", 34);
  WriteBytes(dir / "tune.mid", note);
  ScopedEnv driver("SDL_AUDIODRIVER", "disk"), delay("SDL_DISKAUDIODELAY", "0");
  // The song, one opened while it is open, the gain, and the peaks heard on
  // the left and the right in thousands (-1: above one thousand).
  const std::tuple<std::string, const char*, std::uint32_t, int, int> cases[] = {
      {"tune.mid", nullptr, 0xFFFFFFFFu, -1, -1},
      {"sine.mp3", nullptr, 0x3FFF3FFFu, 4, 4},
      {"sine.mp3", nullptr, 0x0000FFFFu, 16, 0},
      {"sine.mp3", "silent.mp3", 0xFFFFFFFFu, 16, 16}};
  for (const auto& [song, second, gain, left, right] : cases) {
    const std::string out = dir / (song + std::to_string(gain) + ".raw");
    ScopedEnv file("SDL_DISKAUDIOFILE", out);
    SdlSoundChannel channel;
    SdlOutputVolume(channel).SetWaveVolume(gain);  // before the device opens
    channel.Open(dir / song);
    if (second) channel.Open(dir / second);
    EXPECT_EQ(channel.Mode(), "stopped") << song;
    channel.Play();
    for (int polls = 0; channel.Mode() == "playing" && polls < 20000; ++polls)  // the disk driver runs flat out
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(channel.Mode(), "stopped") << song;
    channel.Close();
    EXPECT_EQ(channel.Mode(), "");
    for (const auto& [side, expected] : {std::pair{0, left}, std::pair{1, right}}) {
      const int peak = PeakOfRawSamples(out, side);
      EXPECT_TRUE(expected < 0 ? peak > 1000 : std::abs(peak - expected * 1000) <= 1000) << song << " " << peak;
    }
  }
  ASSERT_EQ(mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);
  SdlSoundChannel channel;
  channel.Open(dir / "pipe.mp3");  // opening a FIFO for reading would block
  EXPECT_EQ(channel.Mode(), "");
}

}  // namespace
