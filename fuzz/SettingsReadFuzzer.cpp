// Fuzzes the settings read with any stored bytes: the text read is the data up
// to its first NUL, or the default when it does not fit; every key is closed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Fakes.h"
#include "settings/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TestApp t;
  t.store.PutRaw(std::string(SettingsKey) + SettingTime.Name, SettingsValueName, bytes);
  LoadSettings(t.app);
  const std::string expected = size > SettingsReadBuffer ? "" : bytes.substr(0, bytes.find('\0'));
  if (t.window.ItemText(IdTimeEdit) != expected || !t.store.openKeys.empty()) __builtin_trap();
  return 0;
}
