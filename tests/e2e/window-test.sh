#!/usr/bin/env bash
# Runs the program under Xvfb with its own home and settings folder, types
# into it with xdotool and reads the window caption back.
set -euo pipefail

program=${1:?usage: window-test.sh path/to/tovins-timer}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "SKIP: Xvfb or xdotool missing"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e-lib.sh
. "$here/e2e-lib.sh"

e2e_start_xvfb || e2e_fail "no free X display"
e2e_private_home
e2e_start_program
window=$E2E_WINDOW
sound_loaded() { grep -q tovins-timer-sound "/proc/$E2E_APP_PID/maps"; }

# The sound stack waits for the first song.
sound_loaded && e2e_fail "the sound module was loaded before any music"

# Go plays a tune: its title takes the caption. Stop puts "Timer" back.
timeout 5 xdotool key --window "$window" g
e2e_wait_caption_not "Timer" 30 || e2e_fail "Go left the caption at '$(e2e_caption)'"
playing=$(e2e_caption)
[[ "$playing" == *" left" || "$playing" == "Timer started" || -z "$playing" ]] && e2e_fail "Go showed '$playing'"
echo "playing: $playing"
sound_loaded || e2e_fail "Go did not load the sound module"
timeout 5 xdotool key --window "$window" s
e2e_wait_caption '^Timer$' 30 || e2e_fail "Stop left the caption at '$(e2e_caption)'"

# Twenty minutes from now: one tick later the caption counts down.
timeout 5 xdotool type --delay 30 "20"
timeout 5 xdotool key Return
e2e_wait_caption '^19 minutes left$' 30 || e2e_fail "caption is '$(e2e_caption)', not '19 minutes left'"
ini="$XDG_CONFIG_HOME/TimerZqv2010/Timer.ini"
[ -f "$ini" ] || e2e_fail "no settings file at $ini"
awk '/^\[/ {group=$0} group=="[Time]" && /^String%20Value=20$/ {found=1} END {exit !found}' "$ini" \
  || e2e_fail "\"20\" is not stored as Time: $(cat "$ini")"
echo "PASS"
