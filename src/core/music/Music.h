// The sound channel's operations: starting, continuing and stopping music.
#pragma once

#include <string>

struct App;

void CloseChannel(App& app);
void OpenAndPlay(App& app, const std::string& path);
void PlayMp3Song(App& app);
// The next song of the music source in force (internal tunes or MP3 songs).
void PlayNextSong(App& app);
// The once-a-second check: when the song has ended, the next one starts.
void KeepPlaying(App& app);
void StartMusic(App& app);
void StopMusic(App& app);

// A song's caption: its file name without folder and, when longer than four
// characters, without its last four (the extension).
std::string SongCaption(const std::string& path);
