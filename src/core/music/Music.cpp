// Music is endless: every song start closes the channel, prepares the file,
// opens and plays it, then shows its name in the caption.
#include "music/Music.h"

#include <algorithm>

#include "app/App.h"
#include "app/Platform.h"
#include "music/InternalTunes.h"
#include "music/Mp3Library.h"

void CloseChannel(App& app) { app.Port.Sound.Close(); }

void OpenAndPlay(App& app, const std::string& path) {
  app.Port.Sound.Open(path);
  app.Port.Sound.Play();
}

std::string SongCaption(const std::string& path) {
  std::string name = path;
  const std::size_t lastSeparator = name.rfind(PathSeparator);
  if (lastSeparator != std::string::npos) name.erase(0, lastSeparator + 1);
  if (name.size() > 4) name.resize(name.size() - 4);
  return name;
}

namespace {
// Open and not already ended: a song that cannot play reads as stopped at once.
bool Sounding(const std::string& mode) { return !mode.empty() && mode.find("stopped") == std::string::npos; }
}  // namespace

void PlayMp3Song(App& app) {
  AppState& s = app.State;
  CloseChannel(app);  // silent while the next file is looked for
  const auto songs = static_cast<std::int32_t>(s.SongOrder.empty() ? 0 : s.SongOrder.size() - 1);
  // Each try is one walk and one open, so the bound keeps a tree of broken
  // files from holding the tick; tries that end before a tick heard them
  // count on at the next song start.
  while (s.SongTries < std::min(songs, MaxSongTries)) {
    ++s.SongTries;
    NextSongPath(app);
    if (s.SongPath.empty()) continue;
    OpenAndPlay(app, s.SongPath);
    if (Sounding(app.Port.Sound.Mode())) {
      app.Port.Window.SetCaption(SongCaption(s.SongPath));
      return;
    }
    CloseChannel(app);
  }
  s.Mp3Fallback = true;
  PlayInternalTune(app);
}

void PlayNextSong(App& app) {
  if (app.State.UseMidi || app.State.Mp3Fallback) {
    PlayInternalTune(app);
  } else {
    PlayMp3Song(app);
  }
}

void KeepPlaying(App& app) {
  std::string mode = app.Port.Sound.Mode();
  if (mode.size() > 255) mode.resize(255);  // the reply buffer's size
  if (mode.find("stopped") == std::string::npos) {
    if (!mode.empty()) app.State.SongTries = 0;  // heard playing: the tree has a good song
    return;
  }
  PlayNextSong(app);
  // Not even an internal tune could be opened (no sound device): the music
  // has ended, and with it the alarm.
  if (app.Port.Sound.Mode().empty()) app.Port.Notifier.WithdrawAlarm();
}

void BeginMusic(App& app) {
  AppState& s = app.State;
  s.SongTries = 0;
  s.Mp3Fallback = !s.UseMidi && !ShuffleSongs(app);
}

void StartMusic(App& app) {
  BeginMusic(app);
  PlayNextSong(app);
}

void StopMusic(App& app) {
  CloseChannel(app);
  app.Port.Notifier.WithdrawAlarm();
  if (app.State.CaptionText.empty()) app.State.CaptionText = "Timer";
  app.Port.Window.SetCaption(app.State.CaptionText);
}
