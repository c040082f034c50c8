// Registry access for the settings: every call opens its key, does one read
// or write and closes it again, so nothing is cached between calls.
#include "RegistryKeyValueStore.h"

#include "Win32.h"

namespace {
HKEY ToHkey(KeyValueStore::Key key) { return reinterpret_cast<HKEY>(key); }
KeyValueStore::Key FromHkey(HKEY key) { return reinterpret_cast<KeyValueStore::Key>(key); }
}  // namespace

bool RegistryKeyValueStore::CreateKey(const std::string& path, Key& key) {
  HKEY hkey = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hkey,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  key = FromHkey(hkey);
  return true;
}

bool RegistryKeyValueStore::SetValue(Key key, const std::string& valueName, std::string_view data) {
  return RegSetValueExA(ToHkey(key), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool RegistryKeyValueStore::OpenKey(const std::string& path, Key& key) {
  HKEY hkey = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS) return false;
  key = FromHkey(hkey);
  return true;
}

bool RegistryKeyValueStore::QueryValue(Key key, const std::string& valueName, char* buffer, std::uint32_t& size) {
  DWORD length = size;
  // The stored type is not looked at: whatever comes back is the text.
  if (RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length) !=
      ERROR_SUCCESS) {
    return false;
  }
  size = length;
  return true;
}

void RegistryKeyValueStore::CloseKey(Key key) { RegCloseKey(ToHkey(key)); }

std::string ShellUserFolders::SpecialFolderPath(int folderId) {
  char path[MAX_PATH] = {};
  // A missing folder is not created: the default then is simply empty.
  if (!SHGetSpecialFolderPathA(nullptr, path, folderId, FALSE)) return {};
  path[MAX_PATH - 1] = '\0';
  return path;
}

std::string ShellUserFolders::TempFolder() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(MAX_PATH, path);
  if (length == 0 || length > MAX_PATH) return {};  // no usable answer
  return path;
}
