// Music is endless: every song start closes the channel, prepares the file,
// opens and plays it, then shows its name in the caption.
#include "music/Music.h"

#include <algorithm>

#include "app/App.h"
#include "app/Platform.h"
#include "music/InternalTunes.h"
#include "music/Mp3Library.h"
#include "music/TuneTitles.h"

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

void PlayInternalTune(App& app) {
  const char letter = ChooseTune(app);
  CloseChannel(app);  // before its file is rewritten
  // Without a temporary folder the open fails quietly; the title still shows.
  OpenAndPlay(app, WriteTuneFile(app, letter));
  app.Port.Window.SetCaption(TuneTitles[static_cast<std::size_t>(letter - 'a')]);
}

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
    if (s.SongPath.empty()) continue;  // gone since the shuffle
    OpenAndPlay(app, s.SongPath);
    if (Sounding(app.Port.Sound.Mode())) {
      app.Port.Window.SetCaption(SongCaption(s.SongPath));
      return;
    }
    CloseChannel(app);
  }
  // A built-in tune stands in for this song start only; the next one goes on
  // through the order where this one stopped.
  s.SongTries = 0;
  PlayInternalTune(app);
}

void PlayNextSong(App& app) {
  app.State.RetryTicks = 0;
  if (app.State.UseMidi || app.State.Mp3Fallback) {
    PlayInternalTune(app);
  } else {
    PlayMp3Song(app);
  }
}

void KeepPlaying(App& app) {
  AppState& s = app.State;
  // Asked at every tick, music or not: the channel lets its device go when
  // nothing has been open since the last question.
  std::string mode = app.Port.Sound.Mode();
  if (mode.size() > 255) mode.resize(255);  // the reply buffer's size
  if (!s.MusicOn) return;
  if (mode.empty()) {
    // Nothing could be opened (no sound device yet, or one held by another
    // program): a fresh start now and then, until one is heard or Stop.
    if (++s.RetryTicks < MusicRetryTicks) return;
  } else if (mode.find("stopped") == std::string::npos) {
    s.SongTries = 0;  // heard playing: the tree has a good song
    return;
  }
  PlayNextSong(app);
}

void BeginMusic(App& app) {
  AppState& s = app.State;
  s.MusicOn = true;
  s.AlarmPrepared = false;  // the song start below closes it
  s.SongTries = 0;
  s.Mp3Fallback = !s.UseMidi && !ShuffleSongs(app);
}

void StartMusic(App& app) {
  BeginMusic(app);
  PlayNextSong(app);
}

void StopMusic(App& app) {
  app.State.MusicOn = false;
  app.State.AlarmPrepared = false;
  CloseChannel(app);
  app.Port.Notifier.WithdrawAlarm();
  if (app.State.CaptionText.empty()) app.State.CaptionText = "Timer";
  app.Port.Window.SetCaption(app.State.CaptionText);
}

void PrepareAlarmMusic(App& app) {
  AppState& s = app.State;
  if (s.MusicOn || s.AlarmPrepared) return;  // what Go plays goes on until the alarm
  s.AlarmPrepared = true;
  s.SongTries = 0;
  s.Mp3Fallback = !s.UseMidi && !ShuffleSongs(app);
  CloseChannel(app);
  if (s.UseMidi || s.Mp3Fallback) {
    const char letter = ChooseTune(app);
    app.Port.Sound.Open(WriteTuneFile(app, letter));
    s.PreparedCaption = TuneTitles[static_cast<std::size_t>(letter - 'a')];
  } else {
    ++s.SongTries;
    NextSongPath(app);
    app.Port.Sound.Open(s.SongPath);
    s.PreparedCaption = SongCaption(s.SongPath);
  }
}

void DropAlarmMusic(App& app) {
  if (!app.State.AlarmPrepared) return;
  app.State.AlarmPrepared = false;
  CloseChannel(app);
}

void StartAlarmMusic(App& app) {
  AppState& s = app.State;
  if (!s.AlarmPrepared) {
    BeginMusic(app);
    PlayNextSong(app);
    return;
  }
  s.AlarmPrepared = false;
  s.MusicOn = true;
  s.RetryTicks = 0;
  app.Port.Sound.Play();
  if (Sounding(app.Port.Sound.Mode())) {
    app.Port.Window.SetCaption(s.PreparedCaption);
  } else {
    PlayNextSong(app);  // it did not open or play: the usual start
  }
}
