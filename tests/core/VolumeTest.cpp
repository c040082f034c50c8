// Volume steps that grow with the level, both channels set alike, and the
// mixer programs tried in turn.
#include <gtest/gtest.h>

#include <vector>

#include "Fakes.h"
#include "app/Platform.h"
#include "settings/Volume.h"

namespace {

std::uint32_t Both(std::uint32_t level) { return level | (level << 16); }

TEST(VolumeStep, GrowsAtFourThousandAndTenThousand) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {0, 500}, {3999, 500}, {4000, 1000}, {9999, 1000}, {10000, 2000}, {65535, 2000},
  };
  for (const auto& [level, step] : cases) EXPECT_EQ(VolumeStep(level), step) << level;
}

class VolumeTest : public ::testing::Test {
 protected:
  std::vector<std::uint32_t> Steps(bool up, int count) {
    std::vector<std::uint32_t> levels;
    for (int i = 0; i < count; ++i) {
      up ? VolumeUp(t.app) : VolumeDown(t.app);
      EXPECT_EQ(t.volume.midi, t.volume.wave);  // MIDI follows the wave output
      levels.push_back(t.volume.wave & 0xFFFF);
      EXPECT_EQ(t.volume.wave >> 16, t.volume.wave & 0xFFFF);
    }
    return levels;
  }
  TestApp t;
};

TEST_F(VolumeTest, FortyTwoStepsFromSilenceToFull) {
  t.volume.wave = 0;
  std::vector<std::uint32_t> expected;
  for (int level = 500; level <= 4000; level += 500) expected.push_back(static_cast<std::uint32_t>(level));  // 8 steps
  for (int level = 5000; level <= 10000; level += 1000)
    expected.push_back(static_cast<std::uint32_t>(level));  // 6 steps
  for (int level = 12000; level <= 64000; level += 2000)
    expected.push_back(static_cast<std::uint32_t>(level));  // 27 steps
  expected.push_back(65535);                                // the short last
  ASSERT_EQ(expected.size(), 42u);
  EXPECT_EQ(Steps(true, 42), expected);
  EXPECT_EQ(Steps(true, 1), std::vector<std::uint32_t>{65535});
}

TEST_F(VolumeTest, FortyTwoStepsFromFullToSilence) {
  t.volume.wave = 0xFFFFFFFF;
  std::vector<std::uint32_t> expected;
  for (int level = 63535; level >= 9535; level -= 2000)
    expected.push_back(static_cast<std::uint32_t>(level));  // 28 steps
  for (int level = 8535; level >= 3535; level -= 1000)
    expected.push_back(static_cast<std::uint32_t>(level));                                                  // 6 steps
  for (int level = 3035; level >= 35; level -= 500) expected.push_back(static_cast<std::uint32_t>(level));  // 7 steps
  expected.push_back(0);
  ASSERT_EQ(expected.size(), 42u);
  EXPECT_EQ(Steps(false, 42), expected);
  EXPECT_EQ(Steps(false, 1), std::vector<std::uint32_t>{0});
}

TEST_F(VolumeTest, OneStepFromEachSideOfTheBoundaries) {
  // level, after a step up, after a step down
  const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> cases[] = {
      {3999, 4499, 3499}, {4000, 5000, 3000}, {9999, 10999, 8999},   {10000, 12000, 8000},
      {500, 1000, 0},     {499, 999, 0},      {64000, 65535, 62000}, {63535, 65535, 61535},
  };
  for (const auto& [level, up, down] : cases) {
    t.volume.wave = Both(level);
    VolumeUp(t.app);
    EXPECT_EQ(t.volume.wave, Both(up)) << level;
    t.volume.wave = Both(level);
    VolumeDown(t.app);
    EXPECT_EQ(t.volume.wave, Both(down)) << level;
  }
}

TEST_F(VolumeTest, UnequalChannelsAreAveragedWithoutOverflow) {
  t.volume.wave = 0x0000FFFF;  // left full, right silent
  EXPECT_EQ(GetOutputVolume(t.app), std::make_pair(std::uint16_t{65535}, std::uint16_t{0}));
  VolumeUp(t.app);
  EXPECT_EQ(t.volume.wave, Both(32767 + 2000));
  t.volume.wave = 0xFFFF0001;  // (1 + 65535) / 2 = 32768
  VolumeDown(t.app);
  EXPECT_EQ(t.volume.wave, Both(32768 - 2000));
  t.volume.wave = 0xFFFFFFFF;
  VolumeUp(t.app);
  EXPECT_EQ(t.volume.wave, 0xFFFFFFFFu);
}

TEST_F(VolumeTest, UnreadableVolumeCountsAsSilence) {
  t.volume.readable = false;
  t.volume.wave = Both(30000);
  EXPECT_EQ(GetOutputVolume(t.app), std::make_pair(std::uint16_t{0}, std::uint16_t{0}));
  VolumeUp(t.app);
  EXPECT_EQ(t.volume.wave, Both(500));
  EXPECT_EQ(t.volume.midi, Both(500));
  VolumeDown(t.app);
  EXPECT_EQ(t.volume.wave, 0u);
  EXPECT_EQ(t.volume.midi, 0u);
}

TEST_F(VolumeTest, SecondMixerOnlyWhenTheFirstFails) {
  const std::vector<std::string> both = {MixerPrograms[0], MixerPrograms[1]};
  t.launcher.startable = {MixerPrograms[0], MixerPrograms[1]};
  OpenVolumeMixer(t.app);
  EXPECT_EQ(t.launcher.launched, std::vector<std::string>{MixerPrograms[0]});
  t.launcher.launched.clear();
  t.launcher.startable = {MixerPrograms[1]};
  OpenVolumeMixer(t.app);
  EXPECT_EQ(t.launcher.launched, both);
  t.launcher.launched.clear();
  t.launcher.startable.clear();
  OpenVolumeMixer(t.app);  // neither starts: nothing more happens
  EXPECT_EQ(t.launcher.launched, both);
}

}  // namespace
