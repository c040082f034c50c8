#!/usr/bin/env bash
# How long the Linux program takes to end after SIGTERM in a desktop-like session: Xvfb with openbox, dunst as the
# notification service, a session bus and PulseAudio (each used when installed). Idle; playing after an alarm (its
# notification shown); playing with the music window open. Prints milliseconds; asserts nothing.
#   bench/quit-time/run.sh [path/to/tovins-timer] [runs of each, default 5]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../../build/tovins-timer}
runs=${2:-5}
[ -x "$program" ] || { echo "build the program first (make build)"; exit 1; }
for tool in Xvfb xdotool dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 1; }
done

work=$(mktemp -d)
helpers=()
app=""
cleanup() {
  [ -z "$app" ] || kill -KILL "$app" 2>/dev/null || true
  for p in "${helpers[@]}"; do kill "$p" 2>/dev/null || true; done
  { [ -n "${PULSE_STARTED:-}" ] && pulseaudio --kill; } 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -screen 0 1280x800x24 -noreset -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
helpers+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
helpers+=("$(sed -n 2p <<<"$bus")")
session="Xvfb, session bus"
if command -v openbox >/dev/null; then
  openbox --sm-disable >/dev/null 2>&1 &
  helpers+=($!)
  session+=", openbox"
fi
if command -v dunst >/dev/null; then
  dunst >/dev/null 2>&1 &
  helpers+=($!)
  session+=", dunst"
fi
export SDL_AUDIODRIVER=dummy
if command -v pulseaudio >/dev/null; then
  pulseaudio -n --daemonize=yes --exit-idle-time=-1 -L module-null-sink -L module-native-protocol-unix \
    -L module-stream-restore >/dev/null 2>&1 && PULSE_STARTED=1 SDL_AUDIODRIVER=pulseaudio
  session+=", PulseAudio"
fi
sleep 1
echo "session: $session"

# One run: starts the program, does what $1 names, then times SIGTERM until the process is gone.
run() {
  "$program" >>"$work/app.log" 2>&1 &
  app=$!
  local window
  window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$app" --name '^Timer$' | head -n1)
  timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || true
  case $1 in
    alarm | dialog)
      timeout 5 xdotool type --window "$window" 0 2>/dev/null
      timeout 5 xdotool key --window "$window" Return 2>/dev/null
      sleep 3 ;;
  esac
  if [ "$1" = dialog ]; then
    timeout 5 xdotool key --window "$window" f 2>/dev/null
    timeout 5 xdotool search --sync --pid "$app" --name '^Set folder' >/dev/null
    sleep 0.5
  fi
  sleep 0.5
  local start end
  start=$(date +%s%N)
  kill -TERM "$app"
  wait "$app" || true
  end=$(date +%s%N)
  app=""
  echo $(((end - start) / 1000000))
}

for what in idle alarm dialog; do
  times=()
  for _ in $(seq "$runs"); do times+=("$(run "$what")"); done
  sorted=$(printf '%s\n' "${times[@]}" | sort -n)
  echo "$what: ${times[*]} ms (median $(sed -n "$(((runs + 1) / 2))p" <<<"$sorted"), max $(tail -n1 <<<"$sorted"))"
done
