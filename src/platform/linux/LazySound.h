// The sound channel and output volume of the program, with the SDL sound
// stack (SDL, SDL_mixer, FluidSynth, mpg123) and libpulse in a module loaded
// at the first song or volume step: a timer that is only counting starts
// faster and holds less memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Ports.h"

// What the sound module exports (plain C names, looked up with dlsym).
extern "C" {
using CreateSoundFn = SoundChannel* (*)();
using SetSoundGainFn = void (*)(SoundChannel*, std::uint32_t);
using CreateVolumeFn = OutputVolume* (*)(OutputVolume* fallback);
}
inline constexpr const char* CreateSoundSymbol = "TovinsTimerCreateSound";
inline constexpr const char* SetSoundGainSymbol = "TovinsTimerSetSoundGain";
inline constexpr const char* CreateVolumeSymbol = "TovinsTimerCreateVolume";
inline constexpr const char* SoundModuleName = "tovins-timer-sound.so";

class LazySoundChannel : public SoundChannel {
 public:
  // modulePaths: where to look for the module, in order; the first that
  // loads wins. When none does, the channel fails every open quietly.
  explicit LazySoundChannel(std::vector<std::string> modulePaths);
  ~LazySoundChannel() override;

  // The usual places: beside the program (the build folder), then the
  // program's private library folder of an installed copy.
  static std::vector<std::string> DefaultModulePaths();

  void Close() override;
  void Open(const std::string& path) override;
  void Play() override;
  bool OpenTone() override;
  std::string Lacking() override;
  std::string Mode() const override;
  // The module goes with the device, synthesizer and SoundFont, and comes
  // back at the next song or volume step; one loaded for a step alone goes
  // at the next tick too.
  void Release() override;

  // The output gain (left level low, right level high); kept here until the
  // module is loaded, then handed on with every change. Full at start.
  std::uint32_t Gain() const { return gain_; }
  void SetGain(std::uint32_t value);
  bool Loaded() const { return real_ != nullptr; }
  // The sound server's volume of our stream, which turns to `fallback` where
  // no server answers; null when the module cannot be loaded. It belongs to
  // the module and goes when the module is unloaded: ask again each time.
  OutputVolume* ServerVolume(OutputVolume& fallback);

 private:
  bool Load();
  void Unload();

  std::vector<std::string> paths_;
  std::unique_ptr<SoundChannel> real_;
  void* module_ = nullptr;
  SetSoundGainFn setGain_ = nullptr;
  CreateVolumeFn createVolume_ = nullptr;
  std::unique_ptr<OutputVolume> serverVolume_;  // made by the module, goes with it
  bool missing_ = false;
  std::uint32_t gain_ = 0xFFFFFFFFu;
};

// The volume of our stream in the sound server, or the channel's own output
// gain where no server answers; wave and MIDI are one output. The module is
// loaded at the first volume step.
class LazyOutputVolume : public OutputVolume {
 public:
  explicit LazyOutputVolume(LazySoundChannel& channel) : channel_(channel), gain_(channel) {}
  std::optional<std::uint32_t> GetWaveVolume() override { return Target().GetWaveVolume(); }
  void SetWaveVolume(std::uint32_t value) override { Target().SetWaveVolume(value); }
  void SetMidiVolume(std::uint32_t value) override { Target().SetMidiVolume(value); }
  void UnmuteStream() override { Target().UnmuteStream(); }

 private:
  class ChannelGain : public OutputVolume {
   public:
    explicit ChannelGain(LazySoundChannel& channel) : channel_(channel) {}
    std::optional<std::uint32_t> GetWaveVolume() override { return channel_.Gain(); }
    void SetWaveVolume(std::uint32_t value) override { channel_.SetGain(value); }
    void SetMidiVolume(std::uint32_t value) override { channel_.SetGain(value); }

   private:
    LazySoundChannel& channel_;
  };
  OutputVolume& Target();

  LazySoundChannel& channel_;
  ChannelGain gain_;
};
