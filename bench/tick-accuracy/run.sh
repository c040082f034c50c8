#!/usr/bin/env bash
# Tick accuracy of the real program under Xvfb: for every tick, how many
# milliseconds after the start of its wall-clock second the clock was read;
# prints the median, 99th percentile and maximum, and the count of clock
# seconds skipped or read twice. Not a test: it asserts nothing.
#   bench/tick-accuracy/run.sh [path/to/tovins-timer-bench] [seconds, default 600]
# The benchmark build (tovins-timer-bench) is the one that can log its ticks.
# Goal: 99th percentile at most 20 ms, no second skipped or repeated.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../../build/tovins-timer-bench}
seconds=${2:-600}
[ -x "$program" ] || { echo "build the program first (make build)"; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is missing"; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 71 79); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done
[ -n "$xvfb_pid" ] || { echo "no free X display among :71 to :79"; exit 1; }

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-unix:path=$work/no-bus}
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

echo "running $program for $seconds s on $DISPLAY ..."
TOVINS_TIMER_TICK_LOG="$work/ticks.log" "$program" >"$work/app.log" 2>&1 &
app_pid=$!
sleep "$seconds"
kill -TERM "$app_pid"
wait "$app_pid" || true
app_pid=""

# Each line: milliseconds since the epoch at a clock reading. The first is
# the reading at start-up, not a tick.
tail -n +2 "$work/ticks.log" | awk '
  {
    second = int($1 / 1000); offset = $1 - second * 1000
    offsets[++n] = offset
    if (n > 1) {
      if (second == last) repeated++
      else if (second > last + 1) skipped += second - last - 1
    }
    last = second
  }
  END {
    if (n == 0) { print "no ticks logged"; exit 1 }
    # Sort the offsets (insertion sort is plenty for a few thousand).
    for (i = 2; i <= n; i++) { v = offsets[i]; j = i - 1; while (j > 0 && offsets[j] > v) { offsets[j + 1] = offsets[j]; j-- } offsets[j + 1] = v }
    median = (n % 2) ? offsets[(n + 1) / 2] : (offsets[n / 2] + offsets[n / 2 + 1]) / 2
    p99 = offsets[int(0.99 * (n - 1)) + 1]
    printf "ticks:               %d\n", n
    printf "offset median:       %d ms\n", median
    printf "offset 99th pct:     %d ms\n", p99
    printf "offset max:          %d ms\n", offsets[n]
    printf "seconds skipped:     %d\n", skipped
    printf "seconds repeated:    %d\n", repeated
  }'
