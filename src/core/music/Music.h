// The sound channel's operations: starting, continuing and stopping music.
#pragma once

#include <cstdint>
#include <string>

struct App;

void CloseChannel(App& app);
void OpenAndPlay(App& app, const std::string& path);
// Songs tried in a row, without one heard playing, before a built-in tune
// stands in (fewer when the order holds fewer songs: one full pass).
inline constexpr std::int32_t MaxSongTries = 8;
// Ticks between two starts while music is in force but nothing could open.
inline constexpr std::int32_t MusicRetryTicks = 5;
// Milliseconds of song tries in one tick; the rest wait for the next tick.
inline constexpr std::uint32_t SongStartBudgetMs = 100;
// The caption over the program's own tone when the platform cannot say what
// is missing.
inline constexpr const char* NoMusicCaption = "No song or tune can be played";

// A built-in tune: chosen, written to its file, played, its title shown;
// the program's own tone when it cannot play but the device opens.
void PlayInternalTune(App& app);
// The next MP3 song that opens and plays; a broken one is followed at once by
// the next of the order. When none plays within the bound, a built-in tune
// stands in for this one start.
void PlayMp3Song(App& app);
// A song start that ran out of its time goes on; true while it has tries
// left for a later go. The shells call it as soon as the window has
// answered what waits, rather than a tick later.
bool ContinueSongStart(App& app);
// The next song of the music source in force (internal tunes or MP3 songs).
void PlayNextSong(App& app);
// The once-a-second check: while music is in force, the next song starts
// when one has ended, and a start that opened nothing is tried again (the
// same song or tune).
void KeepPlaying(App& app);
// Go, Play and the alarm: music is in force until Stop; the MP3 folder is
// tried afresh (order rebuilt when MP3 songs are the source; a tree without
// songs means internal tunes).
void BeginMusic(App& app);
void StartMusic(App& app);
void StopMusic(App& app);

// The countdown's last seconds: the sound device opened and what the alarm
// will play (the first song that opens, the tune standing in, or the tone)
// opened without sound (not while music plays). Dropped when the
// countdown is cancelled or restarted; played at the alarm.
void PrepareAlarmMusic(App& app);
void DropAlarmMusic(App& app);
// The alarm's music: the prepared song when it plays, else the next song.
void StartAlarmMusic(App& app);

// A song's caption: its file name without folder and, when longer than four
// characters, without its last four (the extension).
std::string SongCaption(const std::string& path);
