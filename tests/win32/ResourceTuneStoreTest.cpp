// A tune resource written to "Temp.mid" in the temporary folder is a byte-for-
// byte copy of the resource, whatever the file held before.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Fakes.h"
#include "RegistryKeyValueStore.h"
#include "Win32.h"
#include "Win32Adapters.h"
#include "music/InternalTunes.h"

namespace {
std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

class ResourceTuneStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = GetTempFolder(app);
    ASSERT_FALSE(path.empty());
    path += "AdapterTest-" + std::to_string(GetCurrentProcessId()) + "-Temp.mid";
  }
  void TearDown() override { DeleteFileA(path.c_str()); }

  TestApp fakes;
  ResourceTuneStore tunes;
  ShellUserFolders folders;
  App app{AppState{}, Ports{fakes.window, fakes.sound, fakes.store, folders, fakes.listing, fakes.clock, fakes.volume,
                            tunes, fakes.launcher, fakes.chooser}};
  std::string path;
};
}  // namespace

TEST_F(ResourceTuneStoreTest, FindsTheTuneByItsLowerCaseLetter) {
  const auto bytes = tunes.FindResource("a", TuneResourceType);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->size(), static_cast<std::size_t>(TEST_TUNE_SIZE));
  EXPECT_EQ(bytes->substr(0, 4), "MThd");
  EXPECT_EQ(tunes.FindResource("A", TuneResourceType), bytes);
  EXPECT_FALSE(tunes.FindResource("b", TuneResourceType).has_value());
  EXPECT_FALSE(tunes.FindResource("a", "WAVE").has_value());
}

TEST_F(ResourceTuneStoreTest, WrittenFileIsByteIdenticalAndReplacesAnOlderOne) {
  // A longer file from before must not leave a tail behind.
  {
    std::ofstream old(path, std::ios::binary);
    old << std::string(5000, 'z');
  }
  ASSERT_TRUE(WriteResourceToFile(app, "a", TuneResourceType, path));
  const auto bytes = tunes.FindResource("a", TuneResourceType);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(ReadWholeFile(path), std::string(*bytes));
}

TEST_F(ResourceTuneStoreTest, MissingTuneOrUnwritableFileIsReported) {
  {
    std::ofstream old(path, std::ios::binary);
    old << "previous tune";
  }
  EXPECT_FALSE(WriteResourceToFile(app, "q", TuneResourceType, path));
  EXPECT_EQ(ReadWholeFile(path), "previous tune");  // left alone
  EXPECT_FALSE(WriteResourceToFile(app, "a", TuneResourceType, "C:\\no such folder\\Temp.mid"));
}
