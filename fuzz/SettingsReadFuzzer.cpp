// Fuzzes the settings read path with arbitrary stored bytes of any length:
// reading never fails, never overruns its buffer and keeps the other settings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Fakes.h"
#include "app/Ids.h"
#include "settings/Settings.h"

namespace {
void Check(bool condition) {
  if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string key = std::string(SettingsKey);
  TestApp t;
  t.folders.musicFolder = "/music";
  WriteSetting(t.store, SettingSubfoldersOn.Name, "0");
  // The same garbage in three of the four settings.
  for (const char* name : {SettingTime.Name, SettingUseMidi.Name, SettingMP3Folder.Name}) {
    t.store.PutRaw(key + name, SettingsValueName, bytes);
  }
  LoadSettings(t.app);

  const std::string time = t.window.ItemText(IdTimeEdit);
  if (size > SettingsReadBuffer) {
    Check(time.empty());
    Check(t.state.MP3Folder == "/music");
    Check(t.state.UseMidi);
  } else {
    Check(time == bytes.substr(0, bytes.find('\0')));
    Check(t.state.MP3Folder == time);
    Check(t.state.UseMidi == (time == "1"));
  }
  Check(!t.state.SubfoldersOn);  // an intact setting stays intact
  Check(t.store.openKeys.empty());
  return 0;
}
