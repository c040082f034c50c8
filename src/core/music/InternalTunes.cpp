// Choosing and writing an internal tune.
#include "music/InternalTunes.h"

#include "app/App.h"
#include "app/Platform.h"
#include "music/Random.h"

char ChooseTune(App& app) {
  AppState& s = app.State;
  Randomize(s.RandSeed, app.Port.Time);
  char letter = 'a';
  do {
    letter = static_cast<char>('a' + Random(s.RandSeed, 26));
  } while (s.TuneHistory.find(letter) != std::string::npos);
  return letter;
}

void HeardTune(App& app, char letter) {
  AppState& s = app.State;
  s.TuneHistory = s.TuneHistory.substr(1) + letter;
}

std::string WriteTuneFile(App& app, char letter) {
  std::string path = GetTempFolder(app);
  if (path.empty()) return path;
  if (path.back() != PathSeparator) path += PathSeparator;
  path += TuneFileName;
  WriteResourceToFile(app, std::string(1, letter), TuneResourceType, path);
  return path;
}

bool WriteResourceToFile(App& app, const std::string& name, const std::string& type, const std::string& path) {
  const auto bytes = app.Port.Tunes.FindResource(name, type);
  if (!bytes) return false;
  return app.Port.Tunes.WriteFile(path, *bytes);
}

std::string GetTempFolder(App& app) {
  const std::string folder = app.Port.Folders.TempFolder();
  return folder.substr(0, folder.find('\0'));
}
