// Compiles a tune written in our note notation (resources/tunes/NOTATION.md)
// into a standard MIDI file of format 1.
#pragma once

#include <string>
#include <string_view>

struct TuneCompileResult {
  std::string midi;    // the MIDI file's bytes; empty on error
  std::string error;   // "file:line: message"; empty on success
  double seconds = 0;  // playing time of the compiled tune
  bool Ok() const { return error.empty(); }
};

// Never throws; any input, however malformed or large, gives either a MIDI
// file or one error naming the file and the line.
TuneCompileResult CompileTune(std::string_view source, const std::string& fileName);

// Limits that keep the compiler's time and memory small for any input.
inline constexpr std::size_t MaxTuneSourceBytes = 256 * 1024;
inline constexpr std::size_t MaxTuneNotes = 20000;
inline constexpr int MaxTuneTracks = 15;
inline constexpr int MaxTuneSections = 64;
inline constexpr int MaxTunePlayEntries = 256;
