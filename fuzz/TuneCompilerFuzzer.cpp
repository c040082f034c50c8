// Fuzzes the tune compiler: any text gives either one error line naming the
// file and no output, or a MIDI file whose chunks fill it exactly.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "TuneCompiler.h"

namespace {
// "MThd" of length 6, then "MTrk" chunks, each ending in end-of-track, up to the end.
bool WellFormed(std::string_view midi) {
  if (midi.substr(0, 8) != std::string_view("MThd\0\0\0\x06", 8)) return false;
  std::size_t at = 14;
  while (at + 8 <= midi.size() && midi.substr(at, 4) == "MTrk") {
    std::size_t length = 0;
    for (std::size_t i = 4; i < 8; ++i) length = length << 8 | static_cast<unsigned char>(midi[at + i]);
    at += 8 + length;
    if (length < 3 || at > midi.size() || midi.substr(at - 3, 3) != std::string_view("\xFF\x2F\x00", 3)) return false;
  }
  return at == midi.size() && at > 14;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TuneCompileResult r = CompileTune(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.tune");
  const bool good =
      r.ok() ? WellFormed(r.midi) && r.seconds >= 0
             : r.midi.empty() && r.error.rfind("fuzz.tune:", 0) == 0 && r.error.find('\n') == std::string::npos;
  if (!good) __builtin_trap();
  return 0;
}
