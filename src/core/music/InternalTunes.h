// The internal tunes: a random one of 26, never one of the last ten, written
// to "Temp.mid" in the user's temporary folder and played from there.
#pragma once

#include <string>

struct App;

inline constexpr const char* TuneFileName = "Temp.mid";
inline constexpr const char* TuneResourceType = "MIDI";

void PlayInternalTune(App& app);
bool WriteResourceToFile(App& app, const std::string& name, const std::string& type, const std::string& path);
std::string GetTempFolder(App& app);
