#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP end the real program within a second: idle,
# while music plays, while the help box is open and while the music
# settings dialog is open. Runs it under Xvfb and drives it with xdotool.
set -euo pipefail

program=${1:?usage: signals-test.sh path/to/tovins-timer}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "SKIP: Xvfb or xdotool missing"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e-lib.sh
. "$here/e2e-lib.sh"

e2e_start_xvfb || e2e_fail "no free X display"
e2e_private_home

# Puts the program into a state: idle, music, help or dialog.
enter_state() {
  local state=$1
  case $state in
    idle) ;;
    music)
      timeout 5 xdotool key --window "$E2E_WINDOW" g || e2e_fail "could not type into the window"
      e2e_wait_caption_not "Timer" 100 || e2e_fail "Go did not start music"
      ;;
    help)
      timeout 5 xdotool key --window "$E2E_WINDOW" h || e2e_fail "could not type into the window"
      timeout 5 xdotool search --sync --name "^Tovin's Timer$" >/dev/null || e2e_fail "no help box appeared"
      ;;
    dialog)
      timeout 5 xdotool key --window "$E2E_WINDOW" f || e2e_fail "could not type into the window"
      timeout 5 xdotool search --sync --name '^Set folder for MP3 music files$' >/dev/null ||
        e2e_fail "no music settings dialog appeared"
      ;;
  esac
}

worst=0
for state in idle music help dialog; do
  for signal in TERM INT HUP; do
    e2e_start_program
    echo "SIG$signal while $state: started"
    enter_state "$state"
    start=$(date +%s%N)
    kill -"$signal" "$E2E_APP_PID"
    ended=""
    for _ in $(seq 100); do
      if ! kill -0 "$E2E_APP_PID" 2>/dev/null; then
        ended=$(( ($(date +%s%N) - start) / 1000000 ))
        break
      fi
      sleep 0.01
    done
    [ -n "$ended" ] || e2e_fail "SIG$signal did not end the program ($state) within a second"
    wait "$E2E_APP_PID" 2>/dev/null && status=0 || status=$?
    # The program quits through its event loop: a normal exit, no core dump.
    [ "$status" -eq 0 ] || e2e_fail "SIG$signal ($state): exit status $status"
    E2E_APP_PID=""
    [ "$ended" -gt "$worst" ] && worst=$ended
    echo "SIG$signal while $state: ended after $ended ms"
  done
done
echo "PASS (slowest: $worst ms)"
