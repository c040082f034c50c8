// The settings store's five operations on HKEY_CURRENT_USER, and the shell's
// user folders (music and temporary folder).
#pragma once

#include "app/Ports.h"

class RegistryKeyValueStore : public KeyValueStore {
 public:
  bool CreateKey(const std::string& path, Key& key) override;
  bool SetValue(Key key, const std::string& valueName, std::string_view data) override;
  bool OpenKey(const std::string& path, Key& key) override;
  bool QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) override;
  void CloseKey(Key key) override;
};

class ShellUserFolders : public UserFolders {
 public:
  std::string SpecialFolderPath(int folderId) override;
  std::string TempFolder() override;
};
