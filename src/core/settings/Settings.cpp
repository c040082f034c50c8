// Reading and writing the four settings through the key-value store.
#include "settings/Settings.h"

#include <cstring>

#include "app/Ids.h"
#include "app/Platform.h"

void WriteSetting(KeyValueStore& store, const std::string& name, const std::string& value) {
  KeyValueStore::Key key = 0;
  if (!store.CreateKey(SettingsKey + name, key)) return;
  // The stored text carries its terminating NUL.
  store.SetValue(key, SettingsValueName, std::string_view(value.c_str(), value.size() + 1));
  store.CloseKey(key);
}

std::string ReadSetting(KeyValueStore& store, const std::string& name, const std::string& defaultText) {
  std::string result = defaultText;
  KeyValueStore::Key key = 0;
  if (!store.OpenKey(SettingsKey + name, key)) return result;
  char buffer[SettingsReadBuffer];
  std::uint32_t size = sizeof buffer;
  if (store.QueryValue(key, SettingsValueName, buffer, size)) {
    if (size > sizeof buffer) size = sizeof buffer;  // never trust a port past the buffer
    result.assign(buffer, strnlen(buffer, size));
  }
  store.CloseKey(key);
  return result;
}

std::string SpecialFolderPath(UserFolders& folders, int folderId) {
  std::string path = folders.SpecialFolderPath(folderId);
  while (!path.empty() && path.back() == '\0') path.pop_back();
  return path;
}

void LoadSettings(App& app) {
  KeyValueStore& store = app.Port.Store;
  app.Port.Window.SetItemText(IdTimeEdit, ReadSetting(store, SettingTime.Name, SettingTime.Default));
  app.State.UseMidi = FlagFromText(ReadSetting(store, SettingUseMidi.Name, SettingUseMidi.Default));
  const std::string musicFolder = SpecialFolderPath(app.Port.Folders, CsidlMyMusic);
  app.State.MP3Folder = ReadSetting(store, SettingMP3Folder.Name, musicFolder);
  app.State.SubfoldersOn = FlagFromText(ReadSetting(store, SettingSubfoldersOn.Name, SettingSubfoldersOn.Default));
}
