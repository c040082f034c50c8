#!/usr/bin/env bash
# Start-up, memory and idle CPU of the Linux program under Xvfb, measured from
# outside beside a bare Qt window and, when installed, GNOME Clocks and KTimer.
# Prints figures and ratios; asserts nothing.
#   bench/desktop/run.sh [path/to/tovins-timer] [idle-seconds, default 60] [start-up runs, default 10]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../../build/tovins-timer}
idle_seconds=${2:-60}
runs=${3:-10}
bare=$(dirname "$program")/bench/bare-window
[ -x "$program" ] || { echo "build the program first (make build)"; exit 1; }
[ -x "$bare" ] || { echo "build the bare window first (cmake --build build --target bare-window)"; exit 1; }

work=$(mktemp -d)
pids=()
xvfb_pid=""
bus_pid=""
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 51 59) $(seq 160 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 3200x1200x24 -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done
[ -n "$xvfb_pid" ] || { echo "no free X display"; exit 1; }
sleep 0.5

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Every program gets the same private session bus (the peers need one).
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
bus_pid=$(sed -n 2p <<<"$bus")

names=(tovins-timer bare-window)
commands=("$program" "$bare")
for peer in gnome-clocks ktimer; do
  if command -v "$peer" >/dev/null; then
    names+=("$peer")
    commands+=("$(command -v "$peer")")
  else
    echo "($peer is not installed: not measured)"
  fi
done

median() { sort -n | awk '{a[NR]=$1} END {if (NR == 0) print "-"; else if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
rss_mb() { awk '/^VmRSS:/ {printf "%.1f\n", $2/1024}' "/proc/$1/status"; }
# CPU time of every thread of the process, in microseconds.
cpu_us() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%d\n", ns / 1000}'; }
now_us() { echo $(($(date +%s%N) / 1000)); }
visible_window() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1; }
# CPU time of each given process over one idle span, into span_us (in the
# order given). perf counts threads that end meanwhile too; without it, the
# threads alive at the end are summed.
cpu_over_idle_span() {
  span_us=()
  if perf stat -e task-clock -p $$ -- true >/dev/null 2>&1; then
    local i perfs=()
    for i in $(seq 0 $(($# - 1))); do
      perf stat -x, -e task-clock -o "$work/perf$i" -p "${@:i+1:1}" -- sleep "$idle_seconds" 2>/dev/null &
      perfs+=("$!")
    done
    wait "${perfs[@]}" 2>/dev/null || true
    for i in $(seq 0 $(($# - 1))); do
      span_us+=("$(awk -F, '/task-clock/ {v = ($1 ~ /^[0-9.]+$/) ? $1 : 0; printf "%d", v * 1000}' "$work/perf$i")")
    done
  else
    local before=() p
    for p in "$@"; do before+=("$(cpu_us "$p")"); done
    sleep "$idle_seconds"
    local i=0
    for p in "$@"; do span_us+=("$(($(cpu_us "$p") - before[i]))"); i=$((i + 1)); done
  fi
}
# CPU over the idle span, as milliseconds per minute.
per_minute() { awk -v us="$1" -v s="$idle_seconds" 'BEGIN {printf "%.1f", us / 1000 * 60 / s}'; }

# Start-up: from just before exec to the window mapped on the X server, seen
# by polling from outside. The programs take turns, one at a time.
declare -A startup
for i in $(seq "$runs"); do
  for k in "${!names[@]}"; do
    t0=$(now_us)
    "${commands[$k]}" >/dev/null 2>&1 &
    pid=$!
    found=""
    for _ in $(seq 5000); do
      [ -n "$(visible_window "$pid")" ] && { found=1; break; }
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.002
    done
    t1=$(now_us)
    [ -n "$found" ] && startup[$k]+="$((t1 - t0)) "
    kill "$pid" 2>/dev/null || true
    { wait "$pid"; } 2>/dev/null || true
  done
done

# Memory and idle CPU: every program running at once, one copy each.
pid_of=()
for k in "${!names[@]}"; do
  "${commands[$k]}" >/dev/null 2>&1 &
  pid_of[$k]=$!
  pids+=("$!")
done
# Side by side, so that no window hides another (a hidden window is not
# painted, which would flatter its idle figure).
sleep 5
x=0
for k in "${!names[@]}"; do
  w=$(visible_window "${pid_of[$k]}")
  [ -n "$w" ] && xdotool windowmove "$w" "$x" 0
  x=$((x + 800))
done
sleep 3
declare -A idle_rss idle_cpu
for k in "${!names[@]}"; do idle_rss[$k]=$(rss_mb "${pid_of[$k]}"); done
cpu_over_idle_span "${pid_of[@]}"
for k in "${!names[@]}"; do idle_cpu[$k]=$(per_minute "${span_us[$k]}"); done

# Ours plays one internal tune ("g"), then Stop ("s"); memory and CPU after.
ours=${pid_of[0]}
window=$(visible_window "$ours")
# Keys are sent to the window without focusing it: a focused time box
# blinks its cursor, which is not the clock's cost.
xdotool key --window "$window" g
sleep 6
playing_rss=$(rss_mb "$ours")
xdotool key --window "$window" s
sleep 4
stop_rss=$(rss_mb "$ours")
cpu_over_idle_span "$ours"
stop_cpu=$(per_minute "${span_us[0]}")
# Focused, the time box's cursor blinks while input is recent, then rests.
xdotool windowfocus --sync "$window"
sleep 12
cpu_over_idle_span "$ours"
focused_cpu=$(per_minute "${span_us[0]}")

echo "Xvfb $DISPLAY, $runs start-up runs, idle spans of $idle_seconds s, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-14s %12s %8s %10s %15s %14s\n' program "start-up ms" "vs bare" "idle MB" "after Stop MB" "CPU ms/idle min"
bare_ms=$(tr ' ' '\n' <<<"${startup[1]:-}" | grep . | median | awk '{print $1 / 1000}')
for k in "${!names[@]}"; do
  ms=$(tr ' ' '\n' <<<"${startup[$k]:-}" | grep . | median | awk '$1 != "-" {printf "%.1f", $1 / 1000} $1 == "-" {print "-"}')
  ratio=$(awk -v a="$ms" -v b="$bare_ms" 'BEGIN {if (a == "-" || b == 0) print "-"; else printf "%.2f", a / b}')
  after="-"
  [ "$k" -eq 0 ] && after=$stop_rss
  printf '%-14s %12s %8s %10s %15s %14s\n' "${names[$k]}" "$ms" "$ratio" "${idle_rss[$k]}" "$after" "${idle_cpu[$k]}"
done
echo "tovins-timer: idle CPU before the first song ${idle_cpu[0]} ms/min, after Stop $stop_cpu ms/min," \
  "focused $focused_cpu ms/min; memory while a tune plays $playing_rss MB"
for k in "${!names[@]}"; do
  [ "$k" -lt 2 ] && continue
  printf '%s against tovins-timer: start-up x%s, idle memory x%s, idle CPU x%s\n' "${names[$k]}" \
    "$(awk -v a="$(tr ' ' '\n' <<<"${startup[$k]:-}" | grep . | median)" -v b="$(tr ' ' '\n' <<<"${startup[0]:-}" | grep . | median)" 'BEGIN {if (a == "-" || b == "-") print "-"; else printf "%.1f", a / b}')" \
    "$(awk -v a="${idle_rss[$k]}" -v b="${idle_rss[0]}" 'BEGIN {printf "%.1f", a / b}')" \
    "$(awk -v a="${idle_cpu[$k]}" -v b="${idle_cpu[0]}" 'BEGIN {if (b == 0) print "-"; else printf "%.2f", a / b}')"
done
