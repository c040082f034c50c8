// The compiler's model of a tune: its tracks, its sections of timed notes and
// the playing order, shared by the parser, the arranger and the MIDI writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tunec {

constexpr int Ppq = 96;  // ticks per quarter note: divisible by 3 for triplets, one-byte deltas up to a quarter
constexpr std::int64_t MaxSectionTicks = std::int64_t{Ppq} * 4 * 4096;
constexpr std::int64_t MaxTuneTicks = std::int64_t{Ppq} * 4 * 100000;  // keeps every delta within 4 bytes

struct CompileError {
  int line;
  std::string message;
};

[[noreturn]] inline void Fail(int line, std::string message) { throw CompileError{line, std::move(message)}; }

struct TrackDef {
  std::string name;
  int line = 0;
  int program = 0;  // 0-based on the wire, 1-based in the source
  int channel = 0;
  int volume = 100;
  int pan = 64;
  int reverb = -1;  // -1: leave the synthesizer's default
  int octave = 4;
  int velocity = 78;
  bool legato = false;
};

struct Note {
  std::int64_t start = 0;
  std::int64_t length = 0;  // notated length, ties included
  std::int64_t gap = 0;     // silence before the notated end
  int pitch = 0;
  int base = 0;   // velocity from the dynamics
  int extra = 0;  // metric accent and articulation
};

struct ProgramChange {
  std::int64_t tick;
  int program;
};

struct TempoMark {
  std::int64_t tick;
  int bpm;
  bool ramp;  // glide from the tempo in force to bpm by the section's end
  int line;
};

struct SourceLine {
  int line;
  std::string_view text;
};

struct SectionTrack {
  std::vector<SourceLine> lines;
  std::vector<Note> notes;
  std::vector<ProgramChange> programs;
  std::int64_t length = 0;
};

struct Section {
  std::string name;
  int line = 0;
  std::int64_t pickup = 0;
  std::vector<SectionTrack> tracks;  // one per track definition
  std::vector<TempoMark> tempos;
  std::vector<std::pair<std::int64_t, int>> tempoEvents;  // the marks other than a glide
  std::optional<TempoMark> glide;
  std::int64_t length = 0;
};

struct Tune {
  int tempo = 100;
  int timeNum = 4;
  int timeDen = 4;
  int tempoLine = 0;
  std::vector<TrackDef> tracks;
  std::vector<Section> sections;
  struct PlayEntry {
    int section;
    int line;
    int tempo;  // the tempo this section starts at
  };
  std::vector<PlayEntry> play;
  std::vector<std::pair<std::string, int>> playNames;
};

}  // namespace tunec
