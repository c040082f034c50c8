// The one record of process-wide state; every core operation works on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Text.h"

struct AppState {
  // Music settings.
  bool UseMidi = true;
  std::string MP3Folder;
  bool SubfoldersOn = false;
  std::string AlarmMessage;  // never stored

  // Alarm state; AlarmTime -1 means none pending. A minutes entry
  // (AlarmTimeOfDay -1) is a span of real time: AlarmTime is the boot
  // clock's reading at its end, so sleep counts but daylight saving, a zone
  // change or a wall clock set forward or back never move it, and it rings
  // however late. A clock-time entry follows the wall clock: AlarmTimeOfDay
  // is its local time of day, and AlarmTime (UTC seconds) the moment it
  // means, found again at every tick.
  std::int64_t AlarmTime = -1;
  std::int32_t AlarmTimeOfDay = -1;
  // The last tick's reading: UTC seconds, the boot clock, the local time of day.
  std::int64_t NowUtc = 0;
  std::int64_t NowBoot = 0;
  std::int32_t NowSeconds = 0;
  bool IsPm = false;
  std::string CaptionText = TimerCaption;

  // Shuffled MP3 order: only song numbers are kept, never paths.
  std::vector<std::int32_t> SongOrder;
  std::int32_t SongPos = 0;
  std::string SongPath;
  // Songs started in a row that no tick has yet heard playing; at the bound
  // a built-in tune stands in for that one song start.
  std::int32_t SongTries = 0;
  // No song at all in the folder at the last Go or alarm: built-in tunes.
  bool Mp3Fallback = false;

  // Music in force, from the alarm or Go until Stop: a start that opened
  // nothing is tried again every few ticks.
  bool MusicOn = false;
  std::int32_t RetryTicks = 0;
  // The song or tune the last start tried first, which a retry opens again
  // (no walk, no new choice); a letter of 0 when it was a song.
  std::string RetryPath;
  char RetryLetter = 0;
  // The song start ran out of time for this tick and goes on at the next.
  bool StartPending = false;
  // The alarm's first song, opened without sound in the countdown's last
  // seconds so that it is heard on the alarm's second; its caption.
  bool AlarmPrepared = false;
  std::string PreparedCaption;
  char PreparedLetter = 0;  // the tune prepared, 0 for a song or the tone

  // Internal tunes and the shared random generator.
  std::string TuneHistory = "zzzzzzzzzz";
  std::uint32_t RandSeed = 0;
};
