// What the taskbar button or the launcher's icon shows of the countdown: its
// progress while it runs, a call for attention from the alarm until Stop.
#pragma once

#include <cstdint>
#include <optional>

struct AppState;

struct TaskProgress {
  bool Visible = false;
  std::int32_t PerMille = 0;  // of the countdown gone by
  bool Urgent = false;        // the alarm rang and its music plays
  bool operator==(const TaskProgress&) const = default;
};

// What was last seen: the alarm counted down to, since when, and whether it rang.
struct ProgressWatch {
  std::int64_t AlarmTime = -1;
  bool BootClock = true;  // a minutes span, not a clock time
  std::int64_t Start = 0;
  bool Ringing = false;
  TaskProgress Shown;
};

// Called after each tick: what to show now, or nothing when that is unchanged.
std::optional<TaskProgress> WatchProgress(ProgressWatch& watch, const AppState& state);
