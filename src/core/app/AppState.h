// The one record of process-wide state; every core operation works on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AppState {
  // Opaque window-system handles; only the shells give them meaning.
  std::uintptr_t MainWindow = 0;
  std::uintptr_t BackgroundBrush = 0;
  std::uintptr_t TooltipWindow = 0;

  // Music settings.
  bool UseMidi = true;
  std::string MP3Folder;
  bool SubfoldersOn = false;
  std::string AlarmMessage;  // never stored

  // Alarm state. AlarmTime is a time of day in seconds; -1 means none pending.
  std::int32_t AlarmTime = -1;
  std::int32_t NowSeconds = 0;
  bool IsPm = false;
  std::string CaptionText = "Timer";

  // Shuffled MP3 order: only song numbers are kept, never paths.
  std::vector<std::int32_t> SongOrder;
  std::int32_t SongPos = 0;
  std::int32_t SongCounter = 0;
  std::int32_t SongTarget = 0;
  std::string SongPath;
  // Songs started in a row that no tick has yet heard playing; when they
  // reach the bound, the internal tunes stand in until the next Go or alarm.
  std::int32_t SongTries = 0;
  bool Mp3Fallback = false;

  // Internal tunes and the shared random generator.
  std::string TuneHistory = "zzzzzzzzzz";
  std::uint32_t RandSeed = 0;
};
