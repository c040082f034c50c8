// A linear congruential generator whose exact sequence the shuffle relies on.
#include "music/Random.h"

#include "app/Ports.h"

std::int32_t Random(std::uint32_t& randSeed, std::int32_t range) {
  randSeed = randSeed * 134775813u + 1u;
  const std::uint64_t product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(range)) * randSeed;
  return static_cast<std::int32_t>(product >> 32);
}

void Randomize(std::uint32_t& randSeed, Clock& clock) {
  if (const auto counter = clock.PerformanceCounter()) {
    randSeed = static_cast<std::uint32_t>(*counter);
  } else {
    randSeed = clock.MillisecondsSinceStart();
  }
}
