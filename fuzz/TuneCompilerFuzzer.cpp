// Fuzzes the tune compiler: any text gives either one error naming the file
// and a line, or a well-formed format-1 MIDI file; never a crash or a hang.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "TuneCompiler.h"

namespace {
void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::uint32_t BigEndian(std::string_view bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

// Header "MThd" of length 6, format 1, as many "MTrk" chunks as it says,
// each ending in the end-of-track event, and nothing after the last one.
void CheckMidi(std::string_view midi) {
  Check(midi.size() >= 14 && midi.substr(0, 4) == "MThd");
  Check(BigEndian(midi, 4, 4) == 6 && BigEndian(midi, 8, 2) == 1);
  const std::uint32_t tracks = BigEndian(midi, 10, 2);
  Check(tracks >= 1 && tracks <= 16);
  Check(BigEndian(midi, 12, 2) > 0);  // ticks per quarter note
  std::size_t at = 14;
  for (std::uint32_t track = 0; track < tracks; ++track) {
    Check(midi.size() >= at + 8 && midi.substr(at, 4) == "MTrk");
    const std::uint32_t length = BigEndian(midi, at + 4, 4);
    at += 8;
    Check(length >= 3 && midi.size() >= at + length);
    Check(midi.substr(at + length - 3, 3) == std::string_view("\xFF\x2F\x00", 3));
    at += length;
  }
  Check(at == midi.size());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(data), size);
  const TuneCompileResult result = CompileTune(source, "fuzz.tune");
  if (result.ok()) {
    CheckMidi(result.midi);
    Check(std::isfinite(result.seconds) && result.seconds >= 0);
  } else {
    Check(result.midi.empty());
    Check(result.error.rfind("fuzz.tune:", 0) == 0);
    Check(result.error.find('\n') == std::string::npos);
  }
  return 0;
}
