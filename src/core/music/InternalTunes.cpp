// Choosing, writing and playing an internal tune.
#include "music/InternalTunes.h"

#include "app/App.h"
#include "app/Platform.h"
#include "music/Music.h"
#include "music/Random.h"
#include "music/TuneTitles.h"

void PlayInternalTune(App& app) {
  AppState& s = app.State;
  Randomize(s.RandSeed, app.Port.Time);
  char letter = 'a';
  do {
    letter = static_cast<char>('a' + Random(s.RandSeed, 26));
  } while (s.TuneHistory.find(letter) != std::string::npos);
  s.TuneHistory = s.TuneHistory.substr(1) + letter;

  CloseChannel(app);
  std::string path = GetTempFolder(app);
  // Without a temporary folder there is nowhere safe to write: the open below
  // then fails quietly, and the title is still shown.
  if (!path.empty()) {
    if (path.back() != PathSeparator) path += PathSeparator;
    path += TuneFileName;
    WriteResourceToFile(app, std::string(1, letter), TuneResourceType, path);
  }
  OpenAndPlay(app, path);
  app.Port.Window.SetCaption(TuneTitles[static_cast<std::size_t>(letter - 'a')]);
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
