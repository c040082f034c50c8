// Lays a parsed tune's sections out in playing order as timed MIDI events:
// notes, instrument changes and the tempo map with its glides.
#pragma once

#include "MidiWriter.h"
#include "TuneModel.h"

namespace tunec {

// Throws CompileError where the tune grows past the tick or event limits.
Arrangement Arrange(const Tune& tune);

}  // namespace tunec
