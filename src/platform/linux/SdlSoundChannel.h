// The sound-channel port on SDL2_mixer: one song at a time, MP3 or MIDI,
// played once; the audio device is opened at the first song.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "app/Ports.h"

// The application name of our stream in the sound server, under which the
// server keeps its volume from one start to the next.
inline constexpr char SoundAppName[] = "Tovin's Timer";
// The media name of the stream, which the mixer shows beside the application's.
inline constexpr char SoundStreamName[] = "Music";

struct _Mix_Music;
struct SDL_RWops;

// One per program, made by the sound module (see LazySound.h), which hands it
// the output gain. Without a usable audio device every open fails quietly (and
// the mode stays empty); the device is tried again at a later song, at most
// every few seconds. Release closes it again.
class SdlSoundChannel : public SoundChannel {
 public:
  SdlSoundChannel();
  ~SdlSoundChannel() override;
  SdlSoundChannel(const SdlSoundChannel&) = delete;
  SdlSoundChannel& operator=(const SdlSoundChannel&) = delete;

  void Close() override;
  // Only a regular file of more than 0 bytes is opened, and only while no
  // other song is open; the player is chosen from the first bytes (MP3,
  // MIDI, WAV, Ogg, FLAC), else from the extension. MIDI files are read
  // whole, so one of more than 16 MB is refused.
  void Open(const std::string& path) override;
  void Play() override;
  // "" with nothing open, "playing", or "stopped" once the song has ended
  // or could not play.
  std::string Mode() const override;
  void Release() override;
  // Three beeps and a pause, made here, over and over until Close.
  bool OpenTone() override;
  // "No SoundFont: install timgm6mb-soundfont" when none can be loaded.
  std::string Lacking() override;

  // The program's own output gain, left level in the low 16 bits, right in
  // the high 16 bits; applied to everything played. Full at start.
  std::uint32_t Gain() const { return gain_.load(std::memory_order_relaxed); }
  void SetGain(std::uint32_t value) { gain_.store(value, std::memory_order_relaxed); }

  // The General MIDI SoundFont used for MIDI songs, "" when none can be
  // loaded: the first of $SDL_SOUNDFONTS when it is set, else the first of
  // the usual places. Without one no MIDI song opens.
  static std::string SoundFontPath();

 private:
  bool OpenDevice();
  void CloseDevice();
  static void ApplyGain(void* self, std::uint8_t* stream, int length);
  static void FillTone(void* self, std::uint8_t* stream, int length);

  _Mix_Music* music_ = nullptr;
  SDL_RWops* source_ = nullptr;  // the open file, read while the song plays
  bool deviceOpen_ = false;
  std::optional<std::chrono::steady_clock::time_point> lastDeviceFailure_;
  std::atomic<std::uint32_t> gain_{0xFFFFFFFFu};
  enum class ToneState { Closed, Open, Playing } tone_ = ToneState::Closed;
  int toneFrame_ = 0;  // the mixer's thread alone moves it while the tone plays
};
