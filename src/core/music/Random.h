// The one pseudo-random generator, shared by the shuffle and the tune choice.
#pragma once

#include <cstdint>

class Clock;

// Advances randSeed (seed * 134775813 + 1, modulo 2^32) and returns the upper
// 32 bits of range * seed: a number from 0 to range - 1 for range > 0.
std::int32_t Random(std::uint32_t& randSeed, std::int32_t range);

// Seeds from the high-resolution counter, or the milliseconds since start.
void Randomize(std::uint32_t& randSeed, Clock& clock);
