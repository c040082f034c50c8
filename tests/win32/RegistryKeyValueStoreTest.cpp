// The settings store on the real registry: a text round trip in its own key,
// and the 256-byte read limit (a longer value reads as the default).
#include <gtest/gtest.h>

#include "RegistryKeyValueStore.h"
#include "Win32.h"
#include "settings/Settings.h"

TEST(RegistryKeyValueStore, RoundTripAndReadLimit) {
  const std::string key = std::string(SettingsKey) + "AdapterTest";  // not one of the program's settings
  RegistryKeyValueStore store;
  const struct {
    std::string written, read;
  } rows[] = {{"8:30 pm", "8:30 pm"},
              {"20", "20"},
              {"", ""},
              {std::string(255, 'x'), std::string(255, 'x')},
              {std::string(256, 'y'), "default"}};
  for (const auto& row : rows) {
    WriteSetting(store, "AdapterTest", row.written);
    EXPECT_EQ(ReadSetting(store, "AdapterTest", "default"), row.read) << row.written.size();
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  EXPECT_EQ(ReadSetting(store, "AdapterTest", "default"), "default");
}
