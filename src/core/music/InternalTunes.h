// The internal tunes: a random one of 26, never one of the last ten, written
// to "Temp.mid" in the user's temporary folder to be played from there.
#pragma once

#include <string>

struct App;

inline constexpr const char* TuneFileName = "Temp.mid";
inline constexpr const char* TuneResourceType = "MIDI";

// The next tune's letter ('a' to 'z'), none of the last ten heard.
char ChooseTune(App& app);
// A tune heard playing enters the history; one that could not play does not.
void HeardTune(App& app, char letter);
// Writes the tune to "Temp.mid" and gives that file's path; "" when there is
// no temporary folder (nowhere safe to write).
std::string WriteTuneFile(App& app, char letter);
bool WriteResourceToFile(App& app, const std::string& name, const std::string& type, const std::string& path);
std::string GetTempFolder(App& app);
