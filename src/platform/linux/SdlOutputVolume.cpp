// The output gain is kept in the sound channel, which applies it after mixing.
#include "SdlOutputVolume.h"

SdlOutputVolume::SdlOutputVolume(SdlSoundChannel& channel) : channel_(channel) {}

std::optional<std::uint32_t> SdlOutputVolume::GetWaveVolume() { return channel_.Gain(); }

void SdlOutputVolume::SetWaveVolume(std::uint32_t value) { channel_.SetGain(value); }

void SdlOutputVolume::SetMidiVolume(std::uint32_t value) { channel_.SetGain(value); }
