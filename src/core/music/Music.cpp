// Music is endless: every song start closes the channel, prepares the file,
// opens and plays it, then shows its name in the caption.
#include "music/Music.h"

#include <algorithm>

#include "alarm/Countdown.h"
#include "app/App.h"
#include "app/Platform.h"
#include "app/Text.h"
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

std::string TuneTitle(char letter) { return TuneTitles[static_cast<std::size_t>(letter - 'a')]; }

std::string ToneCaption(App& app) {
  const std::string lacking = app.Port.Sound.Lacking();
  return lacking.empty() ? NoMusicCaption : lacking;
}

// Opened without sound, ready for the alarm's Play; closed again when not.
bool OpenedSilently(App& app, const std::string& path) {
  app.Port.Sound.Open(path);
  if (!app.Port.Sound.Mode().empty()) return true;
  CloseChannel(app);
  return false;
}

bool TrySong(App& app, const std::string& path) {
  CloseChannel(app);
  OpenAndPlay(app, path);
  if (!Sounding(app.Port.Sound.Mode())) {
    CloseChannel(app);
    return false;
  }
  app.Port.Window.SetCaption(SongCaption(path));
  return true;
}

bool TryTune(App& app, char letter) {
  CloseChannel(app);  // before its file is rewritten
  // Without a temporary folder the open fails quietly; the title still shows.
  OpenAndPlay(app, WriteTuneFile(app, letter));
  app.Port.Window.SetCaption(TuneTitle(letter));
  if (!Sounding(app.Port.Sound.Mode())) return false;
  HeardTune(app, letter);
  return true;
}

// Nothing else can be heard but the device opens: the program's own tone,
// with the caption saying what is missing. False when no device opens.
bool SoundTone(App& app) {
  CloseChannel(app);
  if (!app.Port.Sound.OpenTone()) return false;
  app.Port.Sound.Play();
  app.Port.Window.SetCaption(ToneCaption(app));
  return true;
}

bool NothingTried(const AppState& s) { return s.RetryPath.empty() && s.RetryLetter == 0; }

enum class SongStart { Opened, OutOfTries, OutOfTime };

// The songs of the order tried in turn until `open` takes one (SongPath is
// then that song), the start has had its tries, or, with a time budget, the
// budget is spent after a try. Each try is one walk and one open, so the
// bound keeps a tree of broken files from holding the tick; tries that end
// before a tick heard them count on at the next song start.
SongStart TrySongs(App& app, bool (*open)(App&, const std::string&), bool budgeted) {
  AppState& s = app.State;
  const auto songs = static_cast<std::int32_t>(s.SongOrder.empty() ? 0 : s.SongOrder.size() - 1);
  const std::uint32_t began = app.Port.Time.MillisecondsSinceStart();
  for (int tried = 0; s.SongTries < std::min(songs, MaxSongTries); ++tried) {
    if (budgeted && tried > 0 && app.Port.Time.MillisecondsSinceStart() - began >= SongStartBudgetMs) {
      return SongStart::OutOfTime;
    }
    ++s.SongTries;
    NextSongPath(app);
    if (s.SongPath.empty()) continue;  // gone since the shuffle
    if (NothingTried(s)) s.RetryPath = s.SongPath;
    if (open(app, s.SongPath)) return SongStart::Opened;
  }
  return SongStart::OutOfTries;
}

// The retry of a start that opened nothing: the same song or tune again. When
// it still fails but the tone sounds, the device is back and the song itself
// is broken, so the start goes on through the folder.
void RetryStart(App& app) {
  AppState& s = app.State;
  s.RetryTicks = 0;
  if (NothingTried(s)) {
    PlayNextSong(app);
    return;
  }
  const bool heard = !s.RetryPath.empty() ? TrySong(app, s.RetryPath) : TryTune(app, s.RetryLetter);
  if (heard || !SoundTone(app)) return;
  if (!s.RetryPath.empty() && !s.UseMidi && !s.Mp3Fallback) PlayMp3Song(app);
}
}  // namespace

void PlayInternalTune(App& app) {
  const char letter = ChooseTune(app);
  if (NothingTried(app.State)) app.State.RetryLetter = letter;
  if (!TryTune(app, letter)) SoundTone(app);
}

void PlayMp3Song(App& app) {
  AppState& s = app.State;
  CloseChannel(app);  // silent while the next file is looked for
  s.StartPending = false;
  const SongStart start = TrySongs(app, TrySong, true);
  if (start == SongStart::Opened) return;
  // Past the time budget the tries go on at the next tick, so the window
  // keeps answering.
  if (start == SongStart::OutOfTime) {
    s.StartPending = true;
    return;
  }
  // A built-in tune stands in for this song start only; the next one goes on
  // through the order where this one stopped.
  s.SongTries = 0;
  PlayInternalTune(app);
}

bool ContinueSongStart(App& app) {
  AppState& s = app.State;
  if (s.MusicOn && s.StartPending) PlayMp3Song(app);
  return s.MusicOn && s.StartPending;
}

void PlayNextSong(App& app) {
  AppState& s = app.State;
  s.RetryTicks = 0;
  s.RetryPath.clear();
  s.RetryLetter = 0;
  if (s.UseMidi || s.Mp3Fallback) {
    PlayInternalTune(app);
  } else {
    PlayMp3Song(app);
  }
}

void KeepPlaying(App& app) {
  AppState& s = app.State;
  if (!s.MusicOn) {
    app.Port.Sound.Release();  // the music is over (an alarm's song waits open)
    return;
  }
  std::string mode = app.Port.Sound.Mode();
  if (mode.size() > 255) mode.resize(255);  // the reply buffer's size
  if (mode.empty()) {
    if (s.StartPending) {
      PlayMp3Song(app);  // the start that ran out of time goes on
      return;
    }
    // Nothing could be opened (no sound device yet, or one held by another
    // program): the same start now and then, until one is heard or Stop.
    if (++s.RetryTicks < MusicRetryTicks) return;
    RetryStart(app);
    return;
  } else if (mode == OpeningMode) {
    return;  // not heard yet: the tries stand until it plays or stops
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
  s.StartPending = false;
  s.Mp3Fallback = !s.UseMidi && !ShuffleSongs(app);
}

void StartMusic(App& app) {
  BeginMusic(app);
  PlayNextSong(app);
}

void StopMusic(App& app) {
  AppState& s = app.State;
  s.MusicOn = false;
  s.AlarmPrepared = false;
  s.StartPending = false;
  CloseChannel(app);
  app.Port.Notifier.WithdrawAlarm();
  if (s.CaptionText.empty()) s.CaptionText = TimerCaption;
  app.Port.Window.SetCaption(s.CaptionText);
  // A Stop in the alarm's last seconds: its song is ready again at once,
  // before the next tick would let the device go.
  if (s.AlarmTime != -1 && SecondsToAlarm(s) <= PrepareSeconds) PrepareAlarmMusic(app);
}

void PrepareAlarmMusic(App& app) {
  AppState& s = app.State;
  if (s.MusicOn || s.AlarmPrepared) return;  // what Go plays goes on until the alarm
  s.AlarmPrepared = true;
  s.SongTries = 0;
  s.RetryPath.clear();
  s.RetryLetter = s.PreparedLetter = 0;
  s.Mp3Fallback = !s.UseMidi && !ShuffleSongs(app);
  CloseChannel(app);
  // Whatever the alarm will play, opened now: the first song that opens,
  // else the tune standing in, else the tone.
  if (!s.UseMidi && !s.Mp3Fallback) {
    if (TrySongs(app, OpenedSilently, false) == SongStart::Opened) {
      s.RetryPath = s.SongPath;
      s.PreparedCaption = SongCaption(s.SongPath);
      return;
    }
    s.SongTries = 0;
  }
  const char letter = ChooseTune(app);
  if (NothingTried(s)) s.RetryLetter = letter;
  s.PreparedCaption = TuneTitle(letter);
  if (OpenedSilently(app, WriteTuneFile(app, letter))) {
    s.PreparedLetter = letter;
  } else if (app.Port.Sound.OpenTone()) {
    s.PreparedCaption = ToneCaption(app);
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
    if (s.PreparedLetter != 0) HeardTune(app, s.PreparedLetter);
    return;
  }
  // It did not open, or stopped at once: the same song or tune once more,
  // then the tone or the next song.
  RetryStart(app);
}
