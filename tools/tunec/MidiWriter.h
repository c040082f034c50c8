// The MIDI file's bytes: channel and meta events, track chunks with running
// status, and the whole format 1 file from an arranged tune.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TuneCompiler.h"
#include "TuneModel.h"

namespace tunec {

struct Event {
  std::int64_t tick;
  int order;  // at one tick: notes end, then programs change, then notes start
  std::string bytes;
};

// A channel message (note, controller, or program change: then cut to its first two bytes).
std::string Channel(int status, int channel, int a, int b);
// A tempo meta event of `bpm` quarter notes a minute.
std::string Tempo(int bpm);

// A tune laid out in playing order: each track's events and the tempo track's, ending at `length`.
struct Arrangement {
  std::vector<std::vector<Event>> tracks;
  std::vector<Event> tempoTrack;
  std::int64_t length = 0;
};

// The file, with each track's name, instrument and levels at its start, and its playing time.
TuneCompileResult WriteMidi(const Tune& tune, Arrangement arranged);

}  // namespace tunec
