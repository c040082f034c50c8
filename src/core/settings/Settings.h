// The settings store: four text settings, each in its own key under
// Software\TimerZqv2010\, in the value "String Value".
#pragma once

#include <string>

#include "app/App.h"
#include "app/Platform.h"  // SettingsReadBuffer: longer data reads as the default

inline constexpr const char* SettingsKey = "Software\\TimerZqv2010\\";
inline constexpr const char* SettingsValueName = "String Value";

// The four settings, each with its name and default: start-up reads them
// (LoadSettings), the commands and the music dialog write them.
struct SettingInfo {
  const char* Name;
  const char* Default;  // nullptr: the default comes from the shell (music folder)
};

inline constexpr SettingInfo SettingTime{"Time", ""};
inline constexpr SettingInfo SettingUseMidi{"UseMidi", "1"};
inline constexpr SettingInfo SettingMP3Folder{"MP3Folder", nullptr};
inline constexpr SettingInfo SettingSubfoldersOn{"SubfoldersOn", "1"};

void WriteSetting(KeyValueStore& store, const std::string& name, const std::string& value);
std::string ReadSetting(KeyValueStore& store, const std::string& name, const std::string& defaultText);
std::string SpecialFolderPath(UserFolders& folders, int folderId);

// Flags are stored as "1" or "0" and are true only for exactly "1".
inline bool FlagFromText(const std::string& text) { return text == "1"; }
inline const char* FlagText(bool flag) { return flag ? "1" : "0"; }

// Start-up: the stored settings into AppState and the time box.
void LoadSettings(App& app);
