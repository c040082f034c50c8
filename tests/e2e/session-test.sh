#!/usr/bin/env bash
# A user session with the built program under Xvfb, its clock ten times
# faster (faketime), its sound written to a file (SDL's disk driver) and an
# MP3 folder (stored without its final "/") of broken songs only: a one-minute
# timer counts down in seconds and goes off with a built-in tune, heard within
# 3 s; Stop and Go; SIGTERM with music and the help box open. Started again:
# SIGINT with the music dialog open; then a twenty-minute timer is stored and
# SIGHUP ends it. Each signal ends it within a second with a normal exit.
set -euo pipefail

program=${1:?usage: session-test.sh path/to/tovins-timer path/to/TuneTitles.cpp}
titles_source=${2:?usage: session-test.sh path/to/tovins-timer path/to/TuneTitles.cpp}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v faketime >/dev/null ||
  { echo "SKIP: Xvfb, xdotool or faketime missing"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e-lib.sh
. "$here/e2e-lib.sh"

e2e_start_xvfb || e2e_fail "no free X display"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_WORK/sound.raw"
e2e_private_home
for n in $(seq 40); do
  mkdir -p "$E2E_WORK/broken/album$((n % 4))"
  printf '\377\373\220\144%2000s' "" >"$E2E_WORK/broken/album$((n % 4))/song$n.mp3"
  printf 'not a song %02000d' 0 >"$E2E_WORK/broken/text$n.mp3"
done
ini="$XDG_CONFIG_HOME/TimerZqv2010/Timer.ini"
mkdir -p "$(dirname "$ini")"
printf '[UseMidi]\nString%%20Value=0\n[MP3Folder]\nString%%20Value=%s\n' "$E2E_WORK/broken" >"$ini"

key() { timeout 5 xdotool key --window "$E2E_WINDOW" "$@" || e2e_fail "could not type into the window"; }
type_timer() {
  { timeout 5 xdotool key ctrl+a && timeout 5 xdotool type --delay 30 "$1" && timeout 5 xdotool key Return; } ||
    e2e_fail "could not type"
}
wait_window() { timeout 5 xdotool search --sync --name "$1" >/dev/null || e2e_fail "no window '$1' appeared"; }
playing_tune() { e2e_caption | grep -qvxE '(.* left|Timer( started)?|Time is up!|<no answer>)?'; }
stored_time() {
  awk -v want="String%20Value=$1" '/^\[/ {group=$0} group=="[Time]" && $0==want {found=1} END {exit !found}' "$ini" ||
    e2e_fail "\"$1\" is not stored as Time: $(cat "$ini")"
}
# Sends the signal and waits up to a second for a normal exit.
end_with() {
  kill -"$1" "$E2E_PROGRAM_PID"
  for _ in $(seq 100); do kill -0 "$E2E_PROGRAM_PID" 2>/dev/null && sleep 0.01 || break; done
  kill -0 "$E2E_PROGRAM_PID" 2>/dev/null && e2e_fail "SIG$1 did not end the program within a second"
  wait "$E2E_APP_PID" || e2e_fail "SIG$1: exit status $?"
  E2E_APP_PID="" E2E_PROGRAM_PID=""
  echo "SIG$1 ended the program"
}

e2e_start_program faketime -f '@2026-12-06 10:00:00 x10'
grep -q tovins-timer-sound "/proc/$E2E_PROGRAM_PID/maps" && e2e_fail "the sound module was loaded before any music"
type_timer 1
e2e_wait_caption '^[0-9]+ seconds? left$' 30 || e2e_fail "no seconds countdown: '$(e2e_caption)'"
echo "counting: $(e2e_caption)"
# "Time is up!", then the tune's title as soon as the tune is ready.
for _ in $(seq 150); do playing_tune && break; sleep 0.1; done
fired=$(e2e_caption)
grep -qF "\"$fired\"," "$titles_source" || e2e_fail "the caption '$fired' after the alarm is no tune's title"
echo "fired: $fired"
grep -q tovins-timer-sound "/proc/$E2E_PROGRAM_PID/maps" || e2e_fail "the alarm did not load the sound module"
# The sound device opens at the alarm: its first 3 s (44.1 kHz, 16-bit
# stereo) hold more than silence.
bytes=$((44100 * 4 * 3))
for _ in $(seq 100); do
  [ "$(stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0)" -ge "$bytes" ] && break
  sleep 0.1
done
peak=$(head -c "$bytes" "$SDL_DISKAUDIOFILE" | od -An -v -t d2 -w2 | awk '{v = $1 < 0 ? -$1 : $1} v > m {m = v} END {print m + 0}')
[ "$peak" -gt 1000 ] || e2e_fail "the alarm's first 3 s are silent (peak $peak)"
echo "peak in the first 3 s: $peak"
sleep 1
playing_tune || e2e_fail "the music stopped by itself: '$(e2e_caption)'"
key s
e2e_wait_caption '^Timer$' 30 || e2e_fail "Stop left the caption at '$(e2e_caption)'"
key g
for _ in $(seq 30); do playing_tune && break; sleep 0.1; done
playing_tune || e2e_fail "Go showed '$(e2e_caption)'"
stored_time 1
key h
wait_window "^Tovin's Timer$"
end_with TERM

e2e_start_program
key f
wait_window '^Set folder for MP3 music files$'
end_with INT

e2e_start_program
type_timer 20
e2e_wait_caption '^19 minutes left$' 30 || e2e_fail "caption is '$(e2e_caption)', not '19 minutes left'"
stored_time 20
end_with HUP
echo "PASS"
