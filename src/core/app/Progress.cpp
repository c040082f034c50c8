// The countdown's progress for the taskbar and the launcher (see Progress.h).
#include "app/Progress.h"

#include <algorithm>

#include "app/AppState.h"

namespace {
// A minutes span counts on the boot clock, a clock time on the wall clock.
std::int64_t Now(const AppState& state, bool bootClock) { return bootClock ? state.NowBoot : state.NowUtc; }
}  // namespace

std::optional<TaskProgress> WatchProgress(ProgressWatch& watch, const AppState& state) {
  if (state.AlarmTime != watch.AlarmTime) {
    // An alarm that ends at or after its time rang; one that ends before was cancelled.
    watch.Ringing = state.AlarmTime == -1 && watch.AlarmTime != -1 && Now(state, watch.BootClock) >= watch.AlarmTime;
    watch.AlarmTime = state.AlarmTime;
    watch.BootClock = state.AlarmTimeOfDay == -1;
    watch.Start = Now(state, watch.BootClock);
  }
  if (!state.MusicOn) watch.Ringing = false;

  TaskProgress now;
  if (watch.Ringing) {
    now = {true, 1000, true};
  } else if (state.AlarmTime != -1) {
    const std::int64_t span = state.AlarmTime - watch.Start;
    const std::int64_t gone = Now(state, watch.BootClock) - watch.Start;
    now.Visible = true;
    now.PerMille = span <= 0 ? 1000 : static_cast<std::int32_t>(std::clamp<std::int64_t>(gone * 1000 / span, 0, 1000));
  }
  if (now == watch.Shown) return std::nullopt;
  watch.Shown = now;
  return now;
}
