#!/usr/bin/env bash
# The clock end to end: the program runs under faketime, ten times faster
# than real time; a one-minute timer counts down in seconds and goes off
# with a tune whose title takes the caption, about six real seconds later.
# The MP3 folder holds only broken songs (and is stored without its final
# "/"): an internal tune stands in, heard within 3 s in SDL's disk output.
set -euo pipefail

program=${1:?usage: faketime-test.sh path/to/tovins-timer path/to/TuneTitles.cpp}
titles_source=${2:?usage: faketime-test.sh path/to/tovins-timer path/to/TuneTitles.cpp}
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
mkdir -p "$XDG_CONFIG_HOME/TimerZqv2010"
printf '[UseMidi]\nString%%20Value=0\n[MP3Folder]\nString%%20Value=%s\n' "$E2E_WORK/broken" \
  >"$XDG_CONFIG_HOME/TimerZqv2010/Timer.ini"

e2e_start_program faketime -f '@2026-12-06 10:00:00 x10'
timeout 5 xdotool type --delay 30 "1" || e2e_fail "could not type into the window"
timeout 5 xdotool key Return || e2e_fail "could not type into the window"

# The last minute counts in seconds...
e2e_wait_caption '^[0-9]+ seconds? left$' 30 || e2e_fail "no seconds countdown: '$(e2e_caption)'"
echo "counting: $(e2e_caption)"
# ...then the alarm: "Time is up!", which the tune's title replaces as soon
# as the tune is ready (the sound stack loads at the first song).
fired=""
for _ in $(seq 150); do
  caption=$(e2e_caption)
  if [[ ! "$caption" =~ left$ && "$caption" != "Timer started" && "$caption" != "Time is up!" ]]; then
    fired=$caption
    break
  fi
  sleep 0.1
done
[ -n "$fired" ] || e2e_fail "the alarm did not go off: '$(e2e_caption)'"
grep -qF "\"$fired\"," "$titles_source" || e2e_fail "the caption '$fired' after the alarm is no tune's title"
echo "fired: $fired"
# The sound device opens at the alarm: its first 3 s (44.1 kHz, 16-bit
# stereo) must hold more than silence.
bytes=$((44100 * 4 * 3))
for _ in $(seq 100); do
  [ "$(stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0)" -ge "$bytes" ] && break
  sleep 0.1
done
peak=$(head -c "$bytes" "$SDL_DISKAUDIOFILE" | od -An -v -t d2 -w2 | awk '{v = $1 < 0 ? -$1 : $1} v > m {m = v} END {print m + 0}')
[ "$peak" -gt 1000 ] || e2e_fail "the alarm's first 3 s are silent (peak $peak)"
echo "peak in the first 3 s: $peak"
# Music goes on: still a title a few (fast) seconds later, not "Timer".
sleep 1
[ "$(e2e_caption)" != "Timer" ] || e2e_fail "the music stopped by itself"
echo "PASS"
