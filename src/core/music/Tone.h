// The program's own tone, for when neither a song nor a tune can play: three
// short beeps of A5, then a pause, over and over. Both desktops play it.
#pragma once

#include <algorithm>
#include <cmath>

// One cycle lasts 1.2 s; loud enough to wake, below a song's peaks.
inline constexpr double ToneLevel = 9000.0;

// The frames of one whole cycle at a sample rate.
inline int ToneCycleFrames(int sampleRate) { return sampleRate * 6 / 5; }

// The sample at a frame (counted from the tone's start) for a sample rate;
// soft edges so that the beeps do not click.
inline double ToneSample(int frame, int sampleRate) {
  const int beepFrames = sampleRate * 3 / 20;
  const int spacingFrames = sampleRate / 4, edgeFrames = sampleRate / 200;
  const int inCycle = frame % ToneCycleFrames(sampleRate);
  const int beep = inCycle / spacingFrames, inBeep = inCycle % spacingFrames;
  if (beep >= 3 || inBeep >= beepFrames) return 0.0;
  const double edge = std::min({1.0, double(inBeep) / edgeFrames, double(beepFrames - inBeep) / edgeFrames});
  constexpr double ToneHz = 880.0, Pi = 3.14159265358979323846;
  return ToneLevel * edge * std::sin(2.0 * Pi * ToneHz * inCycle / sampleRate);
}
