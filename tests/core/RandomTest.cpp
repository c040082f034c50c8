// The shared pseudo-random generator and its seeding.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "music/Random.h"

namespace {

TEST(Random, FollowsTheLinearCongruentialSequence) {
  // seed := seed * 134775813 + 1; result := (range * seed) >> 32, worked out by hand.
  const std::pair<std::int32_t, std::uint32_t> expected[] = {
      {0, 1u}, {31, 134775814u}, {861, 3698175007u}, {202, 870078620u}, {272, 1172187917u},
  };
  std::uint32_t seed = 0;
  for (const auto& [value, nextSeed] : expected) {
    EXPECT_EQ(Random(seed, 1000), value);
    EXPECT_EQ(seed, nextSeed);
  }
}

TEST(Randomize, LowBitsOfTheCounterElseTheMilliseconds) {
  FakeClock clock;
  std::uint32_t seed = 99;
  clock.counter = 0x123456789ABCDEF0ull;
  Randomize(seed, clock);
  EXPECT_EQ(seed, 0x9ABCDEF0u);
  clock.counter = std::nullopt;
  clock.milliseconds = 4242;
  Randomize(seed, clock);
  EXPECT_EQ(seed, 4242u);
}

}  // namespace
