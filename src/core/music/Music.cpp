// Music is endless: every song start closes the channel, prepares the file,
// opens and plays it, then shows its name in the caption.
#include "music/Music.h"

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

void PlayMp3Song(App& app) {
  CloseChannel(app);  // silent while the next file is looked for
  NextSongPath(app);
  OpenAndPlay(app, app.State.SongPath);
  app.Port.Window.SetCaption(SongCaption(app.State.SongPath));
}

void PlayNextSong(App& app) {
  if (app.State.UseMidi) {
    PlayInternalTune(app);
  } else {
    PlayMp3Song(app);
  }
}

void KeepPlaying(App& app) {
  std::string mode = app.Port.Sound.Mode();
  if (mode.size() > 255) mode.resize(255);  // the reply buffer's size
  if (mode.find("stopped") == std::string::npos) return;
  PlayNextSong(app);
  // The next song could not be opened: the music has ended, and with it the alarm.
  if (app.Port.Sound.Mode().empty()) app.Port.Notifier.WithdrawAlarm();
}

void StartMusic(App& app) {
  if (!app.State.UseMidi) ShuffleSongs(app);
  PlayNextSong(app);
}

void StopMusic(App& app) {
  CloseChannel(app);
  app.Port.Notifier.WithdrawAlarm();
  if (app.State.CaptionText.empty()) app.State.CaptionText = "Timer";
  app.Port.Window.SetCaption(app.State.CaptionText);
}
