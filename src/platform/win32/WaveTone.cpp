// waveOut with one prepared header that loops (see WaveTone.h).
#include "WaveTone.h"

#include <algorithm>
#include <cmath>

namespace {
// As the Linux program's: three short beeps every 1.2 s, soft edges so that
// they do not click, loud enough to wake but below a song's peaks.
constexpr int SampleRate = 22050;
constexpr int CycleFrames = SampleRate * 6 / 5;
constexpr int BeepFrames = SampleRate * 3 / 20;
constexpr int BeepSpacingFrames = SampleRate / 4;
constexpr int EdgeFrames = SampleRate / 200;
constexpr double ToneHz = 880.0;
constexpr double ToneLevel = 9000.0;
constexpr double Pi = 3.14159265358979323846;

std::vector<std::int16_t> ToneCycle() {
  std::vector<std::int16_t> samples(CycleFrames);
  for (int frame = 0; frame < CycleFrames; ++frame) {
    const int beep = frame / BeepSpacingFrames, inBeep = frame % BeepSpacingFrames;
    if (beep >= 3 || inBeep >= BeepFrames) continue;
    const double edge = std::min({1.0, double(inBeep) / EdgeFrames, double(BeepFrames - inBeep) / EdgeFrames});
    samples[frame] =
        static_cast<std::int16_t>(std::lround(ToneLevel * edge * std::sin(2 * Pi * ToneHz * frame / SampleRate)));
  }
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
