#!/usr/bin/env bash
# Start-up time, memory and idle CPU of the Linux program under Xvfb; prints
# the median of 10 runs for each figure. Not a test: it asserts nothing.
#   bench/desktop/run.sh [path/to/tovins-timer] [idle-seconds]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../../build/tovins-timer}
idle_seconds=${2:-60}
runs=10
[ -x "$program" ] || { echo "build the program first (make build)"; exit 1; }

work=$(mktemp -d)
pids=()
xvfb_pid=""
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 51 59) $(seq 160 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done
sleep 0.5

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-unix:path=$work/no-bus}
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
rss_mb() { awk '/^VmRSS:/ {printf "%.1f\n", $2/1024}' "/proc/$1/status"; }
# CPU time of every thread of the process, in microseconds.
cpu_us() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%d\n", ns / 1000}'; }

# Start-up: from the moment just before the program is executed (stamped by
# the process that then becomes it) to the first paint of its window.
startups=()
for i in $(seq $runs); do
  log="$work/start$i.log"
  TOVINS_TIMER_REPORT_SHOWN=1 python3 -c 'import os, sys, time
print("start", time.time_ns(), flush=True)
os.execv(sys.argv[1], sys.argv[1:])' "$program" >"$log" 2>/dev/null &
  pid=$!
  for _ in $(seq 500); do grep -q '^shown ' "$log" 2>/dev/null && break; sleep 0.01; done
  startups+=("$(awk '/^start / {s = $2} /^shown / {printf "%d", ($2 - s) / 1000}' "$log")")
  kill "$pid"; wait "$pid" 2>/dev/null || true
done
printf 'start-up to first paint: median %.1f ms (load average %s)\n' \
  "$(printf '%s\n' "${startups[@]}" | median | awk '{print $1/1000}')" "$(cut -d' ' -f1 /proc/loadavg)"

# Memory and CPU: ten programs side by side, each with its own settings.
for i in $(seq $runs); do
  mkdir -p "$work/c$i"
  XDG_CONFIG_HOME="$work/c$i" "$program" >/dev/null 2>&1 &
  pids+=("$!")
done
sleep 5
idle_rss=$(for p in "${pids[@]}"; do rss_mb "$p"; done | median)
echo "resident memory 5 s after start, idle: median ${idle_rss} MB"

before=()
for p in "${pids[@]}"; do before+=("$(cpu_us "$p")"); done
sleep "$idle_seconds"
cpu=$(for i in "${!pids[@]}"; do
  echo $(( $(cpu_us "${pids[$i]}") - before[i] ))
done | median)
printf 'CPU time over %s s idle: median %.2f ms\n' "$idle_seconds" "$(awk -v us="$cpu" 'BEGIN {print us / 1000}')"

# Playing: press "g" in each window (one internal tune) and wait a while.
windows=$(xdotool search --name '^Timer$' || true)
for w in $windows; do
  xdotool key --window "$w" g 2>/dev/null || true  # sent to each window, focused or not
done
sleep 5
playing_rss=$(for p in "${pids[@]}"; do rss_mb "$p"; done | median)
echo "resident memory while a tune plays: median ${playing_rss} MB"
