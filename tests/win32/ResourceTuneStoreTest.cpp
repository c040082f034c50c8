// The tune resources of the program file: found by letter in either case, and
// written to a file byte for byte, replacing a longer one; failures reported.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Win32.h"
#include "Win32Adapters.h"
#include "music/InternalTunes.h"

TEST(ResourceTuneStore, FindsAndWritesTheTune) {
  ResourceTuneStore tunes;
  const auto tune = tunes.FindResource("a", TuneResourceType);
  ASSERT_TRUE(tune.has_value());
  EXPECT_EQ(tune->size(), static_cast<std::size_t>(TEST_TUNE_SIZE));
  EXPECT_EQ(tunes.FindResource("A", TuneResourceType), tune);
  EXPECT_FALSE(tunes.FindResource("b", TuneResourceType).has_value());

  const std::string path = "AdapterTest-" + std::to_string(GetCurrentProcessId()) + ".mid";
  std::ofstream(path, std::ios::binary) << std::string(5000, 'z');
  ASSERT_TRUE(tunes.WriteFile(path, *tune));
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_EQ(bytes.str(), std::string(*tune));
  DeleteFileA(path.c_str());
  EXPECT_FALSE(tunes.WriteFile("C:\\no such folder\\Temp.mid", *tune));
}
