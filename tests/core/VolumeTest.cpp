// Volume steps that grow with the level, both channels set alike, and the
// mixer programs tried in turn.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/Platform.h"
#include "settings/Volume.h"

namespace {

TEST(Volume, StepsGrowAtFourThousandAndTenThousand) {
  // wave volume before (right << 16 | left), level after a step up, after a step down
  const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> cases[] = {
      {0, 500, 0},          {499 * 0x10001u, 999, 0},        {3999 * 0x10001u, 4499, 3499},
      {4000 * 0x10001u, 5000, 3000}, {9999 * 0x10001u, 10999, 8999}, {10000 * 0x10001u, 12000, 8000},
      {63535 * 0x10001u, 65535, 61535}, {0xFFFFFFFF, 65535, 63535},
      {0x0000FFFF, 34767, 30767},  // unequal channels: their mean, (65535 + 0) / 2
      {0xFFFF0001, 34768, 30768},
  };
  for (const auto& [before, up, down] : cases) {
    TestApp t;
    t.volume.wave = before;
    VolumeUp(t.app);
    EXPECT_EQ(t.volume.wave, up * 0x10001u) << std::hex << before;
    EXPECT_EQ(t.volume.midi, up * 0x10001u);
    t.volume.wave = before;
    VolumeDown(t.app);
    EXPECT_EQ(t.volume.wave, down * 0x10001u) << std::hex << before;
  }
}

TEST(Volume, UnreadableVolumeCountsAsSilence) {
  TestApp t;
  t.volume.readable = false;
  t.volume.wave = 30000 * 0x10001u;
  VolumeUp(t.app);
  EXPECT_EQ(t.volume.wave, 500u * 0x10001u);
}

TEST(Volume, SecondMixerOnlyWhenTheFirstFails) {
  const std::pair<std::set<std::string>, std::vector<std::string>> cases[] = {
      {{MixerPrograms[0], MixerPrograms[1]}, {MixerPrograms[0]}},
      {{MixerPrograms[1]}, {MixerPrograms[0], MixerPrograms[1]}},
      {{}, {MixerPrograms[0], MixerPrograms[1]}},
  };
  for (const auto& [startable, tried] : cases) {
    TestApp t;
    t.launcher.startable = startable;
    OpenVolumeMixer(t.app);
    EXPECT_EQ(t.launcher.launched, tried);
  }
}

}  // namespace
