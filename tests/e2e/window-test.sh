#!/usr/bin/env bash
# Runs the program under Xvfb with its own home and settings folder, types
# into it with xdotool and reads the window caption back.
set -euo pipefail

program=${1:?usage: window-test.sh path/to/tovins-timer}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "SKIP: Xvfb or xdotool missing"; exit 77; }

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

fail() {
  echo "FAIL: $*"
  [ -f "$work/app.log" ] && sed 's/^/  program: /' "$work/app.log"
  exit 1
}

# A display of our own: the first number whose lock is free and whose server
# comes up (another test may take a number between the check and the start).
start_xvfb() {
  local n
  for n in $(seq 51 59) $(seq 160 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -noreset -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      if [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdotool getmouselocation >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  done
  return 1
}
start_xvfb || fail "no free X display"

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=dummy
# No session bus: a missing one would be started on demand and outlive the test.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

"$program" >"$work/app.log" 2>&1 &
app_pid=$!
window=$(timeout 10 xdotool search --sync --name '^Timer$' | head -n1) || fail "no window appeared"

caption() { xdotool getwindowname "$window"; }
# Waits up to $2 tenths of a second for the caption to match the pattern.
wait_caption() {
  local pattern=$1 tries=${2:-30}
  for _ in $(seq "$tries"); do
    [[ "$(caption)" =~ $pattern ]] && return 0
    sleep 0.1
  done
  return 1
}
# Waits the same way for the caption to be anything but the given text.
wait_caption_not() {
  local text=$1 tries=${2:-30}
  for _ in $(seq "$tries"); do
    [ "$(caption)" != "$text" ] && return 0
    sleep 0.1
  done
  return 1
}

# No window manager gives the focus: a click on the time box does.
height=$(xwininfo -id "$window" | awk '/Height:/ {print $2}')
xdotool mousemove --window "$window" 30 $((height - 15)) click 1
sleep 0.2

# The sound stack waits for the first song.
grep -q tovins-timer-sound "/proc/$app_pid/maps" && fail "the sound module was loaded before any music"

# Go plays a tune: its title takes the caption. Stop puts "Timer" back.
xdotool key --window "$window" g
wait_caption_not "Timer" 30 || fail "Go left the caption at '$(caption)'"
playing=$(caption)
[[ "$playing" == *" left" || "$playing" == "Timer started" || -z "$playing" ]] && fail "Go showed '$playing'"
echo "playing: $playing"
grep -q tovins-timer-sound "/proc/$app_pid/maps" || fail "Go did not load the sound module"
xdotool key --window "$window" s
wait_caption '^Timer$' 30 || fail "Stop left the caption at '$(caption)'"

# Twenty minutes from now: one tick later the caption counts down.
xdotool type --delay 30 "20"
xdotool key Return
wait_caption '^19 minutes left$' 30 || fail "caption is '$(caption)', not '19 minutes left'"
ini="$XDG_CONFIG_HOME/TimerZqv2010/Timer.ini"
[ -f "$ini" ] || fail "no settings file at $ini"
awk '/^\[/ {group=$0} group=="[Time]" && /^String%20Value=20$/ {found=1} END {exit !found}' "$ini" \
  || fail "\"20\" is not stored as Time: $(cat "$ini")"

# SIGTERM ends the program promptly.
kill -TERM "$app_pid"
for _ in $(seq 30); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program ignored SIGTERM"
app_pid=""
echo "PASS"
