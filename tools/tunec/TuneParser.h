// Reads a tune's text into its tracks, its sections of timed notes and the
// order they play in; throws CompileError naming the line at fault.
#pragma once

#include <string_view>

#include "TuneModel.h"

namespace tunec {

Tune Parse(std::string_view source);

}  // namespace tunec
