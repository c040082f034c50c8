#!/usr/bin/env bash
# Smoke test of Timer.exe under Wine, driven with xdotool on the display in
# DISPLAY: the window appears, "20" and ENTER start the countdown and store
# the setting, Go writes "Temp.mid" and shows a tune title, "__" minimises
# the window, and closing it ends the program.
# Usage: smoke-test.sh <build-windows folder>; WINEPREFIX and DISPLAY set.
set -euo pipefail

build="$(cd "$1" && pwd)"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
wine_run="$repo/scripts/wine-run"
probe="$build/tests/win32/window_probe.exe"
tunes="$repo/resources/tunes/mid"

say() { echo "smoke: $*"; }
fail() {
  echo "smoke: FAIL: $*" >&2
  exit 1
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

caption() { xdotool getwindowname "$window" 2>/dev/null || true; }
caption_is() { [ "$(caption)" = "$1" ]; }

# The tune titles, read from the one table both desktops use.
mapfile -t titles < <(sed -n '/TuneTitles = {/,/};/p' "$repo/src/core/music/TuneTitles.cpp" |
  grep -o '"\([^"\\]\|\\.\)*"' | sed 's/^"//; s/"$//; s/\\"/"/g')
[ ${#titles[@]} -eq 26 ] || fail "expected 26 tune titles, read ${#titles[@]}"
title_index() {
  local i
  for i in "${!titles[@]}"; do
    if [ "${titles[$i]}" = "$1" ]; then
      echo "$i"
      return 0
    fi
  done
  return 1
}

# A clean start: no settings but an old entry, no tune file from before.
"$wine_run" reg delete 'HKCU\Software\TimerZqv2010' /f >/dev/null 2>&1 || true
"$wine_run" reg add 'HKCU\Software\TimerZqv2010\Time' /v 'String Value' /d 5 /f >/dev/null 2>&1
find "$WINEPREFIX/drive_c/users" -name Temp.mid -delete 2>/dev/null || true

"$wine_run" "$build/Timer.exe" >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

find_window() {
  window=$(xdotool search --name '^Timer$' 2>/dev/null | head -1)
  [ -n "$window" ]
}
wait_for 30 find_window || fail "the window \"Timer\" did not appear"
# The X window gets its name before it is mapped; focus needs it viewable.
viewable() { xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable'; }
wait_for 10 viewable || fail "the window \"Timer\" was never shown"
say "window \"Timer\" is up"

# The time box has the focus at once, the old entry selected: "20" replaces it.
focused() { xdotool windowfocus --sync "$window" 2>/dev/null; }
wait_for 5 focused || fail "the window \"Timer\" can't take the focus"
sleep 0.3
xdotool type --delay 60 20
xdotool key Return
wait_for 3 caption_is "19 minutes left" || fail "caption is \"$(caption)\", not \"19 minutes left\""
say "countdown shows \"19 minutes left\""

stored=$("$wine_run" reg query 'HKCU\Software\TimerZqv2010\Time' /v 'String Value' 2>/dev/null | tr -d '\r')
echo "$stored" | grep -Eq 'String Value[[:space:]]+REG_SZ[[:space:]]+20$' || fail "setting Time is not 20: $stored"
say "registry holds Time = 20"

# Six menu items and four controls have their tooltips.
tools=$("$wine_run" "$probe" tools 2>/dev/null | tr -d '\r')
[ "$tools" = 10 ] || fail "expected 10 tooltips, found \"$tools\""
say "10 tooltips registered"

# The music settings dialog ("f") takes the folder over when it closes
# (Escape acts as Done): the stored folder then ends with a backslash.
xdotool key f
find_dialog() {
  dialog=$(xdotool search --name '^Set folder for MP3 music files$' 2>/dev/null | head -1)
  [ -n "$dialog" ] && xwininfo -id "$dialog" 2>/dev/null | grep -q IsViewable
}
wait_for 10 find_dialog || fail "the music settings dialog did not open"
dialog_focused() { xdotool windowfocus --sync "$dialog" 2>/dev/null; }
wait_for 5 dialog_focused || fail "the music settings dialog can't take the focus"
sleep 0.3
xdotool key Escape
dialog_closed() { ! xwininfo -id "$dialog" 2>/dev/null | grep -q IsViewable; }
wait_for 5 dialog_closed || fail "Escape did not close the music settings dialog"
folder=$("$wine_run" reg query 'HKCU\Software\TimerZqv2010\MP3Folder' /v 'String Value' 2>/dev/null | tr -d '\r')
echo "$folder" | grep -Eq 'REG_SZ[[:space:]]+.+\\$' || fail "MP3Folder was not stored with its backslash: $folder"
say "music settings dialog opened, closed with Escape and stored the folder"
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 0.3

# Go ("g" acts as a key, not as typing).
xdotool key g
shows_title() { title_index "$(caption)" >/dev/null; }
wait_for 5 shows_title || fail "caption \"$(caption)\" is no tune title"
shown=$(caption)
say "Go shows the tune title \"$shown\""
if ls "$tunes"/?.mid >/dev/null 2>&1; then
  find_tune_file() {
    tune_file=$(find "$WINEPREFIX/drive_c/users" -name Temp.mid 2>/dev/null | head -1)
    [ -n "$tune_file" ]
  }
  wait_for 5 find_tune_file || fail "no Temp.mid in the temporary folder"
  # The file is exactly the tune whose title is shown (or, if a next tune
  # already started, one of the tunes).
  letter=$(printf "\\$(printf '%03o' $((65 + $(title_index "$shown"))))")
  if ! cmp -s "$tune_file" "$tunes/$letter.mid"; then
    matched=""
    for f in "$tunes"/?.mid; do cmp -s "$tune_file" "$f" && matched=$f; done
    [ -n "$matched" ] || fail "Temp.mid is none of the tunes"
  fi
  say "Temp.mid written ($(wc -c <"$tune_file") bytes)"
else
  say "no tunes built in yet: Temp.mid not checked"
fi

# The "__" item stands at the right end of the menu bar, the top row of the
# X window (without a window manager there is no title bar above it).
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH - 10)) $((Y + 8)) click 1
is_iconic() { "$wine_run" "$probe" iconic >/dev/null 2>&1; }
wait_for 5 is_iconic || fail "the window is not minimised after \"__\""
say "\"__\" minimised the window"

# Close it as the close box does; the process must end.
"$wine_run" "$probe" close >/dev/null 2>&1 || fail "no window to close"
ended() { ! kill -0 "$pid" 2>/dev/null; }
wait_for 10 ended || fail "Timer.exe still runs after closing its window"
trap - EXIT
say "closing the window ended the program"
say "passed"
