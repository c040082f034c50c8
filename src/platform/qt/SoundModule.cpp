// The sound module: the SDL sound channel behind two plain C entry points,
// so that the program loads SDL and its decoders only when music starts.
#include <cstdint>

#include "SdlSoundChannel.h"

extern "C" {
__attribute__((visibility("default"))) SoundChannel* TovinsTimerCreateSound() { return new SdlSoundChannel(); }

__attribute__((visibility("default"))) void TovinsTimerSetSoundGain(SoundChannel* channel, std::uint32_t gain) {
  static_cast<SdlSoundChannel*>(channel)->SetGain(gain);
}

__attribute__((visibility("default"))) bool TovinsTimerSoundDeviceOpen(SoundChannel* channel) {
  return static_cast<SdlSoundChannel*>(channel)->DeviceOpen();
}
}
