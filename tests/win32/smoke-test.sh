#!/usr/bin/env bash
# Smoke test of Timer.exe under Wine, one session driven with xdotool: "20"
# typed at once starts the countdown and is stored, Go plays a tune and Stop
# ends it, an alarm with a message fires while the window is minimised and
# shows the message in a box, and closing the window ends the program. Then from the command line: a bad entry,
# "Timer.exe 1", --stop of a ringing copy, and /minimized.
# Usage: smoke-test.sh <build-windows folder>; WINEPREFIX and DISPLAY set.
set -euo pipefail

build="$(cd "$1" && pwd)"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
run="$repo/scripts/wine-run"
source "$repo/tests/e2e/lib.sh"
probe() { "$run" "$build/tests/win32/window_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
setting() { "$run" reg query "HKCU\\Software\\TimerZqv2010\\$1" /v 'String Value' 2>/dev/null | tr -d '\r'; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# The first visible window named $2 (a regular expression), as $1.
find_window() { eval "$1=\$(xdotool search --name '$2' 2>/dev/null | head -1)" && [ -n "${!1}" ] && viewable "${!1}"; }

# A clean start: an old entry "5", no tune file from before.
if "$run" reg query 'HKCU\Software\TimerZqv2010' >/dev/null 2>&1; then
  "$run" reg delete 'HKCU\Software\TimerZqv2010' /f >/dev/null 2>&1 || fail "could not clear the stored settings"
fi
"$run" reg add 'HKCU\Software\TimerZqv2010\Time' /v 'String Value' /d 5 /f >/dev/null 2>&1 ||
  fail "could not store the old entry"
find "$WINEPREFIX/drive_c" -name Temp.mid -delete || fail "could not delete an old Temp.mid"
"$run" "$build/Timer.exe" >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
wait_for 300 find_window window '^Timer$' || fail "the window \"Timer\" did not appear"
wait_for 50 xdotool windowfocus --sync "$window" || fail "the window can't take the focus"

# The time box has the focus with the old entry selected: "20" replaces it.
xdotool type --delay 60 20
xdotool key Return
wait_for 30 shows '^19 minutes left$' || fail "caption is \"$(caption)\", not \"19 minutes left\""
setting Time | grep -Eq 'REG_SZ[[:space:]]+20$' || fail "setting Time is not 20: $(setting Time)"

# Go writes one of the tunes to Temp.mid and shows its title ("Timer started" is the countdown's, with Temp.mid
# left from before); Stop puts the countdown back.
xdotool key g
tune_played() {
  local f=$(find "$WINEPREFIX/drive_c/users" -name Temp.mid | head -1)
  [ -n "$f" ] && [[ "$(caption)" != *left && "$(caption)" != "<no answer>" && "$(caption)" != "Timer started" ]] && for t in "$repo"/resources/tunes/mid/?.mid; do cmp -s "$f" "$t" && return 0; done
  return 1
}
wait_for 50 tune_played || fail "Go: caption \"$(caption)\", Temp.mid none of the tunes"
xdotool key s
wait_for 30 shows '^19 minutes left$' || fail "Stop left the caption \"$(caption)\""

# The alarm message, typed in the music settings dialog ("f"; Escape takes it over).
xdotool key f
wait_for 100 find_window dialog '^Set folder for MP3 music files$' || fail "the music settings dialog did not open"
probe message "Tea is ready" || fail "no message box in the dialog"
wait_for 50 xdotool windowfocus --sync "$dialog" || fail "the dialog can't take the focus"
xdotool key Escape
wait_for 50 eval '! viewable "$dialog"' || fail "Escape did not close the dialog"

# "__" at the right end of the menu bar (the window's top row: no window
# manager) minimises; an alarm set now ("0" minutes) fires at the next tick.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH - 10)) $((Y + 8)) click 1
wait_for 50 probe iconic || fail "\"__\" did not minimise the window"
probe timer 0 || fail "no window for the Timer command"
box_text() { text=$(probe box) && [ -n "$text" ]; }
wait_for 100 box_text || fail "no alarm message box"
[ "$text" = "Tea is ready" ] || fail "the alarm message box says \"$text\""

# Closing the window as its close box does ends the program.
closed() { probe close && wait_for 100 eval '! kill -0 "$pid" 2>/dev/null'; }
closed || fail "Timer.exe does not end when its window is closed"

# From the command line: a bad entry is told in a box and ends with status 2, storing nothing; "1" counts down at
# once and is stored; --stop stops the music of a ringing copy, and with no copy left ends with status 1.
exit_status() { status=0 && wait "$1" || status=$?; }
"$run" "$build/Timer.exe" 99:99 >/dev/null 2>&1 &
pid=$!
wait_for 100 box_text || fail "no box for the entry 99:99"
[ "$(head -n1 <<<"$text")" = "Timer.exe: '99:99' is not a time to count down to." ] || fail "99:99: the box says \"$text\""
exit_status "$pid" && [ "$status" = 2 ] || fail "99:99: exit status $status"
setting Time | grep -Eq 'REG_SZ[[:space:]]+0$' || fail "99:99 changed the stored entry: $(setting Time)"
"$run" "$build/Timer.exe" 1 >/dev/null 2>&1 &
pid=$!
wait_for 300 find_window window '^([0-9]+ seconds left|1 minute left)$' || fail "\"Timer.exe 1\" did not count down"
setting Time | grep -Eq 'REG_SZ[[:space:]]+1$' || fail "setting Time is not 1: $(setting Time)"
probe timer 0 || fail "no window for the Timer command"
wait_for 50 tune_played || fail "the alarm: caption \"$(caption)\", Temp.mid none of the tunes"
"$run" "$build/Timer.exe" --stop >/dev/null 2>&1 || fail "--stop found no copy"
wait_for 30 shows '^Timer$' || fail "--stop left the caption \"$(caption)\""
closed || fail "\"Timer.exe 1\" does not end when its window is closed"
"$run" "$build/Timer.exe" /stop >/dev/null 2>&1 &
exit_status $! && [ "$status" = 1 ] || fail "/stop with no copy running: exit status $status"
"$run" "$build/Timer.exe" /minimized >/dev/null 2>&1 &
pid=$!
wait_for 300 eval 'probe iconic; iconic=$?; [ "$iconic" != 2 ]' && [ "$iconic" = 0 ] || fail "/minimized: not minimised"
closed || fail "the minimised window did not close"
echo "smoke: passed"
