// The program's own tone on the default wave output device: a buffer made in
// memory (three beeps of A5, then a pause), looped until closed.
#pragma once

#include <cstdint>
#include <vector>

#include "Win32.h"

class WaveTone {
 public:
  ~WaveTone() { Close(); }
  bool Open();  // false when no device opens
  void Play();  // from the start, looping
  bool IsOpen() const { return wave_ != nullptr; }
  bool IsPlaying() const { return playing_; }
  void Close();

 private:
  HWAVEOUT wave_ = nullptr;
  WAVEHDR header_{};
  std::vector<std::int16_t> samples_;
  bool playing_ = false;
};
