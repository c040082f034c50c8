// Fuzzes the tune compiler: any text gives either one error line naming the
// file and no output, or a MIDI file that the tests' strict reader accepts.
#include <cstddef>
#include <cstdint>

#include "SmfReader.h"
#include "TuneCompiler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TuneCompileResult r = CompileTune(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.tune");
  // The reader throws what is wrong with a malformed file, which ends the run as a crash.
  if (r.Ok() ? ReadSmf(r.midi).tracks.empty() || r.seconds < 0
             : !r.midi.empty() || r.error.rfind("fuzz.tune:", 0) != 0 || r.error.find('\n') != std::string::npos)
    __builtin_trap();
  return 0;
}
