// The settings store on the real registry: the key layout, the value's name
// and type, the read limit, and the shell folders behind the defaults.
#include <gtest/gtest.h>

#include "RegistryKeyValueStore.h"
#include "Win32.h"
#include "settings/Settings.h"

namespace {
// Test settings of their own, so the program's settings stay untouched.
const char* const TestNames[] = {"AdapterTestTime", "AdapterTestLong", "AdapterTestEmpty",
                                 "AdapterTestAbsent"};

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteTestKeys(); }
  void TearDown() override { DeleteTestKeys(); }

  static void DeleteTestKeys() {
    for (const char* name : TestNames) RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(SettingsKey) + name).c_str());
  }

  // The raw value as the registry holds it, read without the store.
  static bool ReadRaw(const std::string& keyPath, DWORD& type, std::string& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char buffer[1024] = {};
    DWORD size = sizeof buffer;
    const LONG result = RegQueryValueExA(key, "String Value", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    data.assign(buffer, size);
    return true;
  }

  RegistryKeyValueStore store;
};
}  // namespace

TEST_F(RegistryStoreTest, WritesOneSubkeyPerSettingWithATextValue) {
  WriteSetting(store, "AdapterTestTime", "8:30 pm");
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(ReadRaw("Software\\TimerZqv2010\\AdapterTestTime", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, std::string("8:30 pm\0", 8));  // the text with its one NUL
  EXPECT_EQ(ReadSetting(store, "AdapterTestTime", "default"), "8:30 pm");

  WriteSetting(store, "AdapterTestTime", "20");  // a shorter text replaces it whole
  EXPECT_EQ(ReadSetting(store, "AdapterTestTime", "default"), "20");
  EXPECT_EQ(ReadSetting(store, "AdapterTestAbsent", "1"), "1");  // absent: the default; empty is no default
  WriteSetting(store, "AdapterTestEmpty", "");
  EXPECT_EQ(ReadSetting(store, "AdapterTestEmpty", "1"), "");
}

TEST_F(RegistryStoreTest, TextsUpTo255CharactersFitTheReadBuffer) {
  const std::string fits(255, 'x');
  WriteSetting(store, "AdapterTestLong", fits);
  EXPECT_EQ(ReadSetting(store, "AdapterTestLong", "default"), fits);

  // 256 characters and the NUL are 257 bytes: too many, so the default.
  const std::string tooLong(256, 'y');
  WriteSetting(store, "AdapterTestLong", tooLong);
  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(ReadRaw("Software\\TimerZqv2010\\AdapterTestLong", type, data));
  EXPECT_EQ(data.size(), 257u);  // it was stored whole
  EXPECT_EQ(ReadSetting(store, "AdapterTestLong", "default"), "default");
}

TEST(ShellUserFolders, MusicAndTemporaryFoldersExist) {
  ShellUserFolders folders;
  const std::string music = SpecialFolderPath(folders, 13);  // CSIDL_MYMUSIC
  ASSERT_FALSE(music.empty());
  EXPECT_NE(music.back(), '\\');  // no trailing backslash, not a drive root
  EXPECT_NE(GetFileAttributesA(music.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

  const std::string temp = folders.TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_EQ(temp.find('\0'), std::string::npos);
  const DWORD attributes = GetFileAttributesA(temp.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}
