// The sound module: the SDL sound channel and the sound server's volume
// behind plain C entry points, so that the program loads SDL, its decoders
// and libpulse only when music or the volume is first used.
#include <cstdint>

#include "PulseOutputVolume.h"
#include "SdlSoundChannel.h"

extern "C" {
__attribute__((visibility("default"))) SoundChannel* TovinsTimerCreateSound() { return new SdlSoundChannel(); }

__attribute__((visibility("default"))) void TovinsTimerSetSoundGain(SoundChannel* channel, std::uint32_t gain) {
  static_cast<SdlSoundChannel*>(channel)->SetGain(gain);
}

__attribute__((visibility("default"))) OutputVolume* TovinsTimerCreateVolume(OutputVolume* fallback) {
  return new PulseOutputVolume(*fallback, SoundAppName);
}
}
