// The settings store's layout, limits and flag rule, and loading at start-up.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/Ids.h"
#include "settings/Settings.h"

namespace {

const std::string Key = "Software\\TimerZqv2010\\";

// Windows reads through the registry's 256 bytes; Linux fits any path.
TEST(Settings, TextIsStoredWithItsNulAndReadThroughTheDesktopsBuffer) {
#ifdef _WIN32
  constexpr std::size_t Limit = 256;
#else
  constexpr std::size_t Limit = 4096;
#endif
  MemoryKeyValueStore store;
  EXPECT_EQ(ReadSetting(store, "Time", "dflt"), "dflt");  // missing key
  WriteSetting(store, "Time", "8:30 pm");
  EXPECT_EQ(store.keys[Key + "Time"]["String Value"], std::string("8:30 pm\0", 8));
  // stored data -> what is read
  const std::pair<std::string, std::string> cases[] = {
      {std::string("", 1), ""},  // empty is not the default
      {std::string(Limit - 1, 'a') + '\0', std::string(Limit - 1, 'a')},
      {std::string(Limit, 'b') + '\0', "dflt"},
      {std::string(Limit, 'd'), std::string(Limit, 'd')},  // a full buffer without a NUL still fits
      {std::string("ab\0cd", 5), "ab"},
  };
  for (const auto& [data, read] : cases) {
    store.PutRaw(Key + "MP3Folder", "String Value", data);
    EXPECT_EQ(ReadSetting(store, "MP3Folder", "dflt"), read);
  }
  EXPECT_TRUE(store.openKeys.empty()) << "every key is closed again";
}

TEST(Settings, StartUpTakesStoredValuesOrTheDefaults) {
  TestApp t;
  t.folders.musicFolder = std::string("/home/u/Music\0\0", 15);
  t.state.UseMidi = false;
  LoadSettings(t.app);
  EXPECT_EQ(t.window.items[IdTimeEdit], "");
  EXPECT_TRUE(t.state.UseMidi);
  EXPECT_TRUE(t.state.SubfoldersOn);
  EXPECT_EQ(t.state.MP3Folder, "/home/u/Music");
  EXPECT_TRUE(t.store.keys.empty()) << "reading writes nothing";

  WriteSetting(t.store, "Time", "8:30 pm");
  WriteSetting(t.store, "UseMidi", "1 ");  // flags are true only for exactly "1"
  WriteSetting(t.store, "MP3Folder", "");
  WriteSetting(t.store, "SubfoldersOn", "0");
  LoadSettings(t.app);
  EXPECT_EQ(t.window.items[IdTimeEdit], "8:30 pm");
  EXPECT_FALSE(t.state.UseMidi);
  EXPECT_EQ(t.state.MP3Folder, "");
  EXPECT_FALSE(t.state.SubfoldersOn);
  EXPECT_EQ(t.state.AlarmTime, -1) << "start-up never starts the timer";
  WriteSetting(t.store, "UseMidi", "1");
  LoadSettings(t.app);
  EXPECT_TRUE(t.state.UseMidi);
  EXPECT_FALSE(t.state.SubfoldersOn);
}

}  // namespace
