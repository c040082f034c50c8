// The tune compiler: parses the note notation into sections of timed notes,
// lays the sections out in playing order and writes a format 1 MIDI file.
#include "TuneCompiler.h"

#include <new>

#include "MidiWriter.h"
#include "TuneArranger.h"
#include "TuneParser.h"

TuneCompileResult CompileTune(std::string_view source, const std::string& fileName) {
  TuneCompileResult result;
  try {
    if (source.size() > MaxTuneSourceBytes) tunec::Fail(1, "the source is larger than 256 KiB");
    const tunec::Tune tune = tunec::Parse(source);
    result = tunec::WriteMidi(tune, tunec::Arrange(tune));
  } catch (const tunec::CompileError& error) {
    result = {};
    result.error = fileName + ":" + std::to_string(error.line) + ": " + error.message;
  } catch (const std::bad_alloc&) {
    result = {};
    result.error = fileName + ":1: out of memory";
  }
  return result;
}
