// The settings store's layout, limits and flag rule, and loading at start-up.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/Ids.h"
#include "settings/Settings.h"

namespace {

const std::string Key = "Software\\TimerZqv2010\\";

TEST(Settings, WriteStoresTextWithItsNulUnderTheSettingsKey) {
  MemoryKeyValueStore store;
  WriteSetting(store, "Time", "8:30 pm");
  ASSERT_EQ(store.keys.count(Key + "Time"), 1u);
  EXPECT_EQ(store.keys[Key + "Time"]["String Value"], std::string("8:30 pm\0", 8));
  EXPECT_TRUE(store.openKeys.empty()) << "every key is closed again";
}

TEST(Settings, ReadGivesTheStoredTextOrTheDefault) {
  MemoryKeyValueStore store;
  EXPECT_EQ(ReadSetting(store, "Time", "dflt"), "dflt");  // missing key
  store.keys[Key + "Time"];                               // key without its value
  EXPECT_EQ(ReadSetting(store, "Time", "dflt"), "dflt");
  WriteSetting(store, "Time", "");
  EXPECT_EQ(ReadSetting(store, "Time", "dflt"), "");  // empty is not the default
  WriteSetting(store, "Time", "20");
  EXPECT_EQ(ReadSetting(store, "Time", "dflt"), "20");
  EXPECT_TRUE(store.openKeys.empty());
}

// Windows reads through the registry's 256 bytes; Linux fits any path.
TEST(Settings, ReadsThroughTheDesktopsBuffer) {
#ifdef _WIN32
  constexpr std::size_t Limit = 256;
#else
  constexpr std::size_t Limit = 4096;
#endif
  MemoryKeyValueStore store;
  const std::string fits(Limit - 1, 'a');
  WriteSetting(store, "MP3Folder", fits);
  EXPECT_EQ(ReadSetting(store, "MP3Folder", "dflt"), fits);
  WriteSetting(store, "MP3Folder", std::string(Limit, 'b'));
  EXPECT_EQ(ReadSetting(store, "MP3Folder", "dflt"), "dflt");
  WriteSetting(store, "MP3Folder", std::string(5000, 'c'));
  EXPECT_EQ(ReadSetting(store, "MP3Folder", "dflt"), "dflt");
  // A full buffer without a NUL still fits and reads whole.
  store.PutRaw(Key + "MP3Folder", "String Value", std::string(Limit, 'd'));
  EXPECT_EQ(ReadSetting(store, "MP3Folder", "dflt"), std::string(Limit, 'd'));
  // Data is taken up to its first NUL.
  store.PutRaw(Key + "MP3Folder", "String Value", std::string("ab\0cd", 5));
  EXPECT_EQ(ReadSetting(store, "MP3Folder", "dflt"), "ab");
}

TEST(Settings, StoreFailuresAreSilent) {
  MemoryKeyValueStore store;
  store.failCreate = true;
  WriteSetting(store, "Time", "20");
  EXPECT_TRUE(store.keys.empty());
  store.failCreate = false;
  WriteSetting(store, "Time", "20");
  store.failOpen = true;
  EXPECT_EQ(ReadSetting(store, "Time", "x"), "x");
}

TEST(Settings, FlagsAreTrueOnlyForExactlyOne) {
  const std::pair<const char*, bool> cases[] = {{"1", true},   {"0", false},    {"", false},   {"1 ", false},
                                                {" 1", false}, {"true", false}, {"01", false}, {"11", false}};
  for (const auto& [text, flag] : cases) EXPECT_EQ(FlagFromText(text), flag) << "'" << text << "'";
  EXPECT_STREQ(FlagText(true), "1");
  EXPECT_STREQ(FlagText(false), "0");
}

TEST(Settings, FirstStartUsesTheDefaults) {
  TestApp t;
  t.folders.musicFolder = std::string("/home/u/Music\0\0", 15);
  t.state.UseMidi = false;
  LoadSettings(t.app);
  EXPECT_EQ(t.window.items[IdTimeEdit], "");
  EXPECT_TRUE(t.state.UseMidi);
  EXPECT_TRUE(t.state.SubfoldersOn);
  EXPECT_EQ(t.state.MP3Folder, "/home/u/Music");
  EXPECT_TRUE(t.store.keys.empty()) << "reading writes nothing";
}

TEST(Settings, StartUpTakesStoredValues) {
  TestApp t;
  t.folders.musicFolder = "/home/u/Music";
  WriteSetting(t.store, "Time", "8:30 pm");
  WriteSetting(t.store, "UseMidi", "1 ");
  WriteSetting(t.store, "MP3Folder", "");
  WriteSetting(t.store, "SubfoldersOn", "0");
  LoadSettings(t.app);
  EXPECT_EQ(t.window.items[IdTimeEdit], "8:30 pm");
  EXPECT_FALSE(t.state.UseMidi);
  EXPECT_EQ(t.state.MP3Folder, "");
  EXPECT_FALSE(t.state.SubfoldersOn);
  EXPECT_EQ(t.state.AlarmTime, -1) << "start-up never starts the timer";
}

TEST(Settings, NoMusicFolderGivesAnEmptyDefault) {
  TestApp t;
  LoadSettings(t.app);
  EXPECT_EQ(t.state.MP3Folder, "");
}

}  // namespace
