// The compiled internal tunes, built into the program.
#pragma once

#include <string_view>

// The MIDI file of the tune for a letter ('a' to 'z', either case); empty
// when there is no such tune.
std::string_view EmbeddedTune(char letter);
