// The internal tunes: a random one of 26, never one of the last ten, written
// to "Temp.mid" in the user's temporary folder to be played from there.
#pragma once

#include <string>

struct App;

inline constexpr const char* TuneFileName = "Temp.mid";
inline constexpr const char* TuneResourceType = "MIDI";

// The next tune's letter ('a' to 'z'), kept in the history.
char ChooseTune(App& app);
// Writes the tune to "Temp.mid" and gives that file's path; "" when there is
// no temporary folder (nowhere safe to write).
std::string WriteTuneFile(App& app, char letter);
bool WriteResourceToFile(App& app, const std::string& name, const std::string& type, const std::string& path);
std::string GetTempFolder(App& app);
