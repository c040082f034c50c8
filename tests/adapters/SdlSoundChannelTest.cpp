// The SDL sound channel and its output gain, heard through SDL's disk audio
// driver: the rendered samples land in a file the test then measures.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "PosixTestGuards.h"
#include "SdlSoundChannel.h"

namespace {

// The largest absolute sample of one channel (0 left, 1 right) in the first
// 64 MB of what SDL's disk driver wrote (16-bit stereo, little-endian).
int PeakOfRawSamples(const std::string& path, int channel) {
  const std::string raw = ReadBytes(path).substr(0, std::size_t{64} << 20);
  int peak = 0;
  for (auto i = static_cast<std::size_t>(channel) * 2; i + 1 < raw.size(); i += 4)
    peak = std::max(peak, std::abs(int{static_cast<std::int16_t>((raw[i] & 0xFF) | raw[i + 1] << 8)}));
  return peak;
}

// Each song plays once to its end at its gain (0xRRRRLLLL); only one song at
// a time: a second open before a close is refused. What is no song never opens.
TEST(SdlSoundChannel, SongsAreHeardAtTheirGain) {
  ASSERT_NE(SdlSoundChannel::SoundFontPath(), "") << "no General MIDI SoundFont installed";
  TempDir dir;
  // A 440 Hz sine at about 16000 and a silent one, raw 16-bit mono at 22,050 Hz encoded with lame.
  ASSERT_EQ(dir.Run("sine() { sox -n -r 22050 -c 1 -b 16 -e signed -t raw - synth $1 sin 440 vol $2 | lame --quiet -r"
                    " -s 22.05 --bitwidth 16 --signed --little-endian -m m -b 64 - $3; } && sine 1 0.49 sine.mp3 &&"
                    " sine 0.5 0 silent.mp3"),
            0);
  // A quarter of a second of middle C: format 0, 96 ticks a beat at 120 beats a minute.
  WriteBytes(dir / "tune.mid",
             {"MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0C\0\x90\x3C\x64\x30\x80\x3C\0\0\xFF\x2F\0", 34});
  ScopedEnv driver("SDL_AUDIODRIVER", "disk"), delay("SDL_DISKAUDIODELAY", "1");  // 23 times as fast as heard
  HangGuard guard("a song that never ends", 60);
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
    channel.SetGain(gain);  // before the device opens
    channel.Open(dir / song);
    if (second) channel.Open(dir / second);
    EXPECT_EQ(channel.Mode(), "stopped") << song;
    static std::atomic<bool> ended;  // the end of the song itself, from the mixer's thread
    ended = false, Mix_HookMusicFinished([] { ended = true, ended.notify_all(); });
    channel.Play(), ended.wait(false);
    EXPECT_EQ(channel.Mode(), "stopped") << song;
    channel.Close();
    EXPECT_EQ(channel.Mode(), "");
    for (const auto& [side, expected] : {std::pair{0, left}, std::pair{1, right}}) {
      const int peak = PeakOfRawSamples(out, side);
      EXPECT_TRUE(expected < 0 ? peak > 1000 : std::abs(peak - expected * 1000) <= 1000) << song << " " << peak;
    }
  }
  // A FIFO is never opened (reading it would block); a song that does not
  // load opens the device, which stays while the tone is open and goes at a
  // release with nothing open.
  ASSERT_EQ(dir.Run("mkfifo pipe.mp3 && head -c 4000 /dev/zero | tr '\\0' x >noise.mp3"), 0);
  ScopedEnv file("SDL_DISKAUDIOFILE", dir / "noise.raw");
  SdlSoundChannel channel;
  const auto device = [] { return SDL_WasInit(SDL_INIT_AUDIO) != 0 ? "open; " : "closed; "; };
  channel.Open(dir / "pipe.mp3");
  std::string seen = device();
  channel.Open(dir / "noise.mp3");
  seen += channel.Mode() + device();
  channel.OpenTone(), channel.Release();
  seen += device();
  channel.Close(), channel.Release();
  EXPECT_EQ(seen + device(), "closed; open; open; closed; ");

  // $SDL_SOUNDFONTS, when set, names the only SoundFonts; a broken one does
  // not count. With none to load a tune does not open, the channel says what
  // is missing, and its own tone is heard, on and on.
  const std::string system = SdlSoundChannel::SoundFontPath(), broken = dir / "broken.sf2";
  WriteBytes(broken, std::string("RIFF\x04\0\0\0sfbx", 12));
  EXPECT_EQ(channel.Lacking(), "");
  for (const auto& [named, found] :
       {std::pair{broken + ";" + system, system}, {"/none:" + system, system}, {broken, std::string()}}) {
    ScopedEnv fonts("SDL_SOUNDFONTS", named);
    EXPECT_EQ(SdlSoundChannel::SoundFontPath(), found) << named;
  }
  ScopedEnv fonts("SDL_SOUNDFONTS", broken), toneFile("SDL_DISKAUDIOFILE", dir / "tone.raw");
  channel.Open(dir / "tune.mid");
  EXPECT_EQ(channel.Mode(), "");
  EXPECT_EQ(channel.Lacking(), "No SoundFont: install timgm6mb-soundfont");
  ASSERT_TRUE(channel.OpenTone());
  channel.Play();
  const std::filesystem::path tone = dir / "tone.raw";
  while (!std::filesystem::exists(tone) || std::filesystem::file_size(tone) < 3 * 44100 * 4) std::this_thread::yield();
  EXPECT_EQ(channel.Mode(), "playing");
  channel.Close();
  EXPECT_NEAR(PeakOfRawSamples(dir / "tone.raw", 1), 9000, 300);
}

}  // namespace
