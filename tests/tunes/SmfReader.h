// A small, strict reader of standard MIDI files for the tests: it checks the
// structure and collects the notes and the tempo map.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SmfNote {
  std::int64_t start = 0;
  std::int64_t end = 0;
  int channel = 0;
  int pitch = 0;
  int velocity = 0;
};

struct SmfTrack {
  std::vector<SmfNote> notes;  // in order of their note-on
  std::vector<int> programs;   // program changes, in order
  std::vector<int> controls;   // controller number, value, ... in order
  std::int64_t endTick = 0;    // tick of the end-of-track event
};

struct Smf {
  int format = -1;
  int division = 0;
  std::vector<SmfTrack> tracks;
  std::vector<std::pair<std::int64_t, std::uint32_t>> tempos;  // tick, microseconds per quarter
  double Seconds() const;
};

// Fills `smf`, or returns what is wrong with the file.
std::string ReadSmf(std::string_view bytes, Smf& smf);
