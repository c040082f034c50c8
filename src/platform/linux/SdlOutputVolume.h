// The output-volume port on SDL: the program's own output gain, shared with
// the sound channel that applies it to every sample it plays.
#pragma once

#include "SdlSoundChannel.h"
#include "app/Ports.h"

// Construct after the channel whose output it controls:
//   SdlSoundChannel sound;
//   SdlOutputVolume volume(sound);
// Works before the audio device is open: the level is kept and applied from
// the first song on. The level read back is the level set; wave and MIDI are
// one output here, so both set the same gain.
class SdlOutputVolume : public OutputVolume {
 public:
  explicit SdlOutputVolume(SdlSoundChannel& channel);
  std::optional<std::uint32_t> GetWaveVolume() override;
  void SetWaveVolume(std::uint32_t value) override;
  void SetMidiVolume(std::uint32_t value) override;

 private:
  SdlSoundChannel& channel_;
};
