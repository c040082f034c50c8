#!/usr/bin/env bash
# The volume in the sound server: Ctrl+wheel steps set the level of the
# program's stream in a real PulseAudio server (null sink, private runtime
# folder), heard on the sink's monitor, kept across a restart of the
# program, and taken also while no stream exists; a stuck server never holds
# the program up. Prints the levels.
#   volume-test.sh path/to/tovins-timer
set -euo pipefail

program=$1
for tool in Xvfb xdotool pulseaudio pactl parec sox; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
here=$(cd "$(dirname "$0")" && pwd)
export SDL_AUDIODRIVER=pulseaudio
# shellcheck source=e2e-lib.sh
. "$here/e2e-lib.sh"
e2e_private_home

pulse_pid=""
pulse_cleanup() {
  [ -n "$pulse_pid" ] && kill -CONT "$pulse_pid" 2>/dev/null
  pulseaudio --kill 2>/dev/null || true
  e2e_cleanup
}
trap pulse_cleanup EXIT

pulseaudio -n --daemonize=yes --exit-idle-time=-1 --log-target=file:"$E2E_WORK/pulse.log" \
  -L module-null-sink -L module-native-protocol-unix -L module-stream-restore 2>/dev/null ||
  e2e_fail "the sound server did not start"
for _ in $(seq 50); do timeout 5 pactl info >/dev/null 2>&1 && break; sleep 0.1; done
e2e_start_xvfb || e2e_fail "no virtual display"

# A steady tone as the one song of the MP3 folder (the player goes by content).
mkdir -p "$E2E_WORK/music" "$XDG_CONFIG_HOME/TimerZqv2010"
sox -n -r 22050 -c 1 -b 16 -t wav "$E2E_WORK/music/tone.mp3" synth 60 sine 440 gain -6
printf '[UseMidi]\nString%%20Value=0\n[MP3Folder]\nString%%20Value=%s/\n' "$E2E_WORK/music" \
  >"$XDG_CONFIG_HOME/TimerZqv2010/Timer.ini"

# The left volume of our stream in the server, "" while there is none.
stream_volume() { timeout 5 pactl list sink-inputs | awk '/^[ \t]*Volume: front-left:/ {print $3; exit}'; }
# Plays, waits for the stream's volume and prints the RMS level in dB of the
# monitor, after the sink has played out what it held.
play_at() {
  timeout 5 xdotool key g
  for _ in $(seq 50); do [ "$(stream_volume)" = "$1" ] && break; sleep 0.1; done
  [ "$(stream_volume)" = "$1" ] || e2e_fail "stream volume is $(stream_volume), expected $1"
  { timeout 10 parec -d null.monitor --raw --format=s16le --rate=44100 --channels=2 2>/dev/null || true; } |
    head -c $((44100 * 4 * 4)) >"$E2E_WORK/recorded.raw"
  sox -t raw -r 44100 -e signed -b 16 -c 2 "$E2E_WORK/recorded.raw" -n trim 2.5 stats 2>&1 |
    awk '/^RMS lev dB/ {print $4}'
}
wheel_down() { timeout 5 xdotool keydown ctrl click --repeat "$1" --delay 30 5 keyup ctrl; }
quit_program() {
  kill -TERM "$E2E_APP_PID"
  wait "$E2E_APP_PID" 2>/dev/null || true
  E2E_APP_PID=""
}
near() { awk -v a="$1" -v b="$2" 'BEGIN {d = a - b; exit !(d < 1 && d > -1)}'; }

# First start: full volume, then ten steps of 2000 down to 45535 (the
# server's 45536 of 65536), which its cubic scale makes 9.5 dB quieter.
e2e_start_program
default=$(play_at 65536)
wheel_down 10
stepped=$(play_at 45536)
quit_program

# Second start: the server gives the new stream the stored level.
e2e_start_program
restarted=$(play_at 45536)
quit_program

# Third start: five steps before any music, while no stream exists, reach
# the stored entry; the stream starts at 35535 (35536), 16 dB below full.
e2e_start_program
wheel_down 5
[ -z "$(stream_volume)" ] || e2e_fail "a stream exists before the first song"
silent_steps=$(play_at 35536)
quit_program

# A stopped server: the steps give up on it at once, and the keys after
# them are handled.
e2e_start_program
pulse_pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid")
kill -STOP "$pulse_pid"
wheel_down 10
timeout 5 xdotool type 5
timeout 5 xdotool key Return
e2e_wait_caption '^(Timer started|4 minutes left)$' 50 || e2e_fail "a stopped server held the program up"
kill -CONT "$pulse_pid"
quit_program

echo "recorded levels (dB RMS): default $default, after 10 steps down $stepped," \
  "after a restart $restarted, after 5 more steps taken with no stream $silent_steps"
near "$(awk -v a="$default" -v b="$stepped" 'BEGIN {print a - b}')" 9.5 || e2e_fail "10 steps: $default -> $stepped dB"
near "$restarted" "$stepped" || e2e_fail "after a restart: $restarted dB, before $stepped dB"
near "$(awk -v a="$default" -v b="$silent_steps" 'BEGIN {print a - b}')" 15.9 ||
  e2e_fail "15 steps: $default -> $silent_steps dB"
echo "PASS"
