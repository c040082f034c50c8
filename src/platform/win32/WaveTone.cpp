// waveOut with one prepared header that loops (see WaveTone.h).
#include "WaveTone.h"

#include <cmath>

#include "music/Tone.h"

namespace {
constexpr int SampleRate = 22050;

std::vector<std::int16_t> ToneCycle() {
  std::vector<std::int16_t> samples(ToneCycleFrames(SampleRate));
  for (int frame = 0; frame < static_cast<int>(samples.size()); ++frame)
    samples[frame] = static_cast<std::int16_t>(std::lround(ToneSample(frame, SampleRate)));
  return samples;
}
}  // namespace

bool WaveTone::Open() {
  if (wave_ != nullptr) return true;
  const WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, SampleRate, SampleRate * 2, 2, 16, 0};
  if (waveOutOpen(&wave_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    wave_ = nullptr;
    return false;
  }
  if (samples_.empty()) samples_ = ToneCycle();
  header_ = WAVEHDR{};
  header_.lpData = reinterpret_cast<LPSTR>(samples_.data());
  header_.dwBufferLength = static_cast<DWORD>(samples_.size() * sizeof samples_[0]);
  header_.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  header_.dwLoops = 0xFFFFFFFF;  // 160 years of beeps: until Close
  if (waveOutPrepareHeader(wave_, &header_, sizeof header_) != MMSYSERR_NOERROR) {
    waveOutClose(wave_);
    wave_ = nullptr;
    return false;
  }
  return true;
}

void WaveTone::Play() {
  if (wave_ == nullptr || playing_) return;
  playing_ = waveOutWrite(wave_, &header_, sizeof header_) == MMSYSERR_NOERROR;
}

void WaveTone::Close() {
  if (wave_ == nullptr) return;
  waveOutReset(wave_);  // hands the header back at once
  waveOutUnprepareHeader(wave_, &header_, sizeof header_);
  waveOutClose(wave_);
  wave_ = nullptr;
  playing_ = false;
}
