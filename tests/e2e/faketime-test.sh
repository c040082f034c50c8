#!/usr/bin/env bash
# The clock end to end: the program runs under faketime, ten times faster
# than real time; a one-minute timer counts down in seconds and goes off
# with a tune whose title takes the caption, about six real seconds later.
set -euo pipefail

program=${1:?usage: faketime-test.sh path/to/tovins-timer path/to/TuneTitles.cpp}
titles_source=${2:?usage: faketime-test.sh path/to/tovins-timer path/to/TuneTitles.cpp}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v faketime >/dev/null ||
  { echo "SKIP: Xvfb, xdotool or faketime missing"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e-lib.sh
. "$here/e2e-lib.sh"

e2e_start_xvfb || e2e_fail "no free X display"
e2e_private_home

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
# Music goes on: still a title a few (fast) seconds later, not "Timer".
sleep 1
[ "$(e2e_caption)" != "Timer" ] || e2e_fail "the music stopped by itself"
echo "PASS"
