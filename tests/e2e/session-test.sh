#!/usr/bin/env bash
# The Debian package, then one user session with the program unpacked from it, under Xvfb. The package: its desktop
# entry and AppStream file validate, lintian finds no error, the program and its sound module are hardened as Debian
# builds its packages, the help's guide is in it with the pictures it shows. The session: with the clock ten times
# faster (faketime), sound written to a file (SDL's disk driver) and an MP3 folder (stored without its final "/") of
# broken songs only, a one-minute timer counts down in seconds and goes off with a built-in tune from the packaged sound
# module, heard within a second; Stop and Go; SIGTERM with the help box open. From the command line: a bad entry, a
# timer with its message, the launcher's progress on the session bus, the desktop entry's "Stop music", and --minimized
# after one of Qt's own options. Then in a real PulseAudio server: the stream shows in the mixer as "Tovin's Timer:
# Music" with the program's icon, and Ctrl+wheel steps its volume (the server's side is the volume adapter's test).
# Each signal ends it, normally. (What a screen reader hears is the Orca session's.)
set -euo pipefail

deb=${1:?usage: session-test.sh path/to/tovins-timer_VERSION_ARCH.deb}
source "$(dirname "$0")/lib.sh"
need Xvfb xdotool xprop faketime pulseaudio pactl sox lintian dbus-daemon hardening-check
# A home and runtime folder of our own; no session bus (one started on demand would outlive the test).
private_home
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/tovins-timer.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "AppStream file"
tags=$(lintian --fail-on error "$deb" 2>&1) || fail "lintian found errors: $tags"
program="$root/usr/bin/tovins-timer"
# The icon, the manual, the copyright, the guide the help names and each picture the guide shows.
guide=$(tr '\0' '\n' <"$program" | grep -o 'The guide: /.*' | head -n1 | cut -d' ' -f3)
for file in /usr/share/{icons/hicolor/scalable/apps/tovins-timer.svg,man/man1/tovins-timer.1.gz,doc/tovins-timer/copyright} \
  "$guide" $(grep -o '!\[[^]]*\]([^)]*)' "$root$guide" 2>/dev/null | sed "s|.*(\(.*\))|${guide%/*}/\1|"); do
  [ -f "$root$file" ] || fail "no '$file' in the package (the help's guide: '$guide')"
done
# PIE, stack protector, fortified functions, full RELRO, immediate binding (Debian 12's flags add no control-flow
# protection). The module's only libc copies take sizes known at run time, which no fortified function can check.
hardening-check --nocfprotection "$program" >"$work/hardening" || fail "the program is not hardened: $(cat "$work/hardening")"
hardening-check --nocfprotection --nofortify "$root"/usr/lib/*/tovins-timer/tovins-timer-sound.so >"$work/hardening" ||
  fail "the sound module is not hardened: $(cat "$work/hardening")"

xvfb

# No window manager gives the program's window the focus: keys are sent to the window, and reach the widget that the
# program focused. Every X call is bounded, so a stuck server or program fails the test with a message instead of
# stalling it. Typing warns that no window has the focus (there is no window manager): that is expected, so it is not
# shown.
key() { timeout 5 xdotool key --window "$window" "$@" 2>/dev/null || fail "could not type into the window"; }
playing_tune() { caption | grep -qvxE '(.* left|Timer( started)?|Time is up!|<no answer>)?'; }

for n in $(seq 40); do
  mkdir -p "$work/broken/album$((n % 4))" && printf '\377\373\220\144%2000s' "" >"$work/broken/album$((n % 4))/song$n.mp3"
  printf 'not a song %02000d' 0 >"$work/broken/text$n.mp3"
done
settings UseMidi=0 MP3Folder="$work/broken"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw"
launch '^Timer$' faketime -f '@2026-12-06 10:00:00 x10' "$program"
grep -q tovins-timer-sound "/proc/$pid/maps" && fail "the sound module was loaded before any music"
timeout 5 xdotool type --window "$window" --delay 30 1 2>/dev/null && key Return || fail "could not type"
wait_for 30 shows '^[0-9]+ seconds? left$' || fail "no seconds countdown: '$(caption)'"
# "Time is up!", then the tune's title as soon as the tune is ready.
wait_for 150 playing_tune || fail "no tune's title in the caption after the alarm: '$(caption)'"
grep -qF "\"$(caption)\"," "$(dirname "$0")/../../src/core/music/TuneTitles.cpp" || fail "the caption '$(caption)' after the alarm is no tune's title"
grep -q "$root/usr/lib/.*tovins-timer-sound" "/proc/$pid/maps" || fail "the alarm did not load the packaged sound module"
# The sound device opens at the alarm: its first 10 s of samples (44.1 kHz, 16-bit stereo) hold more than silence. The
# disk driver writes at the faked clock's pace, so that is one real second, and the tune's loading is seconds of it.
bytes=$((44100 * 4 * 10))
wait_for 100 eval '[ "$(stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0)" -ge "$bytes" ]' ||
  fail "the alarm's first 10 s of sound were not written: $(stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0) bytes"
peak=$(head -c "$bytes" "$SDL_DISKAUDIOFILE" | od -An -v -t d2 -w2 | awk '{v = $1 < 0 ? -$1 : $1} v > m {m = v} END {print m + 0}')
[ "$peak" -gt 1000 ] || fail "the alarm's first second is silent (peak $peak)"
key s
wait_for 30 shows '^Timer$' || fail "Stop left the caption at '$(caption)'"
key g
wait_for 30 playing_tune || fail "Go showed '$(caption)'"
grep -A1 -Fx '[Time]' "$ini" | grep -qx "String%20Value=1" || fail "Time is not stored as 1: $(cat "$ini")"
key h
timeout 5 xdotool search --sync --name "^Tovin's Timer$" >/dev/null || fail "no help box appeared"
end_with TERM

# From the command line, on a session bus of its own: a bad entry opens nothing; "1 -m Tea" counts
# down with the launcher's progress, rings with "Tea" and asks for attention; the desktop entry's "Stop music" action
# (a second copy's --stop) stops the first copy's music and takes the progress away; with no copy left it fails.
session_bus
dbus-monitor "interface='com.canonical.Unity.LauncherEntry'" "interface='org.freedesktop.Notifications',member='Notify'" \
  >"$work/bus.txt" 2>&1 &
pids+=" $!"
status=0 && "$program" 99:99 2>"$work/error.txt" || status=$?
[ "$status" = 2 ] && grep -qFx "tovins-timer: '99:99' is not a time to count down to." "$work/error.txt" ||
  fail "99:99: status $status, '$(cat "$work/error.txt")'"
launch '^(Timer started|[0-9]+ seconds? left)$' faketime -f '@2026-12-06 10:00:00 x10' "$program" 1 -m Tea
# The launcher's Update signals, one a line: progress, progress-visible, urgent.
updates() { awk '/member=/ {u = /member=Update/} u && /variant/ {printf "%s%s", $3, (++v % 3 ? " " : "\n")}' "$work/bus.txt"; }
wait_for 30 eval 'updates | grep -q "^0\.[0-9]* true false$"' || fail "no launcher progress: $(updates | tail -n1)"
wait_for 150 playing_tune || fail "no music at the alarm: '$(caption)'"
wait_for 30 eval 'grep -A8 member=Notify "$work/bus.txt" | grep -qx "   string \"Tea\""' || fail "the alarm did not show 'Tea'"
wait_for 30 eval 'updates | grep -qx "1 true true"' || fail "the launcher does not ask for attention: $(updates | tail -n1)"
stop_action=$(sed -n '/^\[Desktop Action stop\]/,/^$/s/^Exec=//p' "$root/usr/share/applications/tovins-timer.desktop")
PATH="$root/usr/bin:$PATH" $stop_action || fail "'$stop_action' found no copy"
wait_for 30 shows '^Timer$' || fail "--stop left the caption at '$(caption)'"
wait_for 30 eval 'updates | tail -n1 | grep -qx "0 false false"' || fail "the launcher still shows $(updates | tail -n1)"
end_with TERM
status=0 && "$program" --stop 2>/dev/null || status=$?
[ "$status" = 1 ] || fail "--stop with no copy running: status $status"
# --minimized, after one of Qt's own options: the window asks to start hidden (no window manager here to make it so).
launch '^Timer$' "$program" -platform xcb --minimized
timeout 5 xprop -id "$window" _NET_WM_STATE | grep -q '_NET_WM_STATE_HIDDEN' || fail "--minimized: the window does not ask to start hidden"
end_with TERM

# A steady tone as the one song of the MP3 folder (the player goes by content), stored with its final "/".
pulseaudio -n --daemonize=yes --exit-idle-time=-1 --log-target=file:"$work/pulse.log" \
  -L module-null-sink -L module-native-protocol-unix -L module-stream-restore 2>/dev/null || fail "no sound server"
pids+=" $(cat "$XDG_RUNTIME_DIR/pulse/pid")"
export SDL_AUDIODRIVER=pulseaudio
mkdir "$work/music" && sox -n -r 22050 -c 1 -b 16 -t wav "$work/music/tone.mp3" synth 60 sine 440 gain -6
settings UseMidi=0 MP3Folder="$work/music/"
# Our stream's left volume, name, media name and icon, as the mixer shows them.
stream() {
  timeout 5 pactl list sink-inputs | sed -n -e 's/^[ \t]*Volume: front-left: \([0-9]*\) .*/\1/p' \
    -e 's/^[ \t]*\(application\.name\|media\.name\|application\.icon_name\) = "\(.*\)"$/\1=\2/p' | sort | paste -sd ' '
}
# Full volume, then ten steps of 2000 down to 45535 (the server's 45536 of 65536).
identity="application.icon_name=tovins-timer application.name=Tovin's Timer media.name=Music"
launch '^Timer$' "$program"
key g
wait_for 50 eval '[ "$(stream)" = "65536 $identity" ]' || fail "the mixer shows the stream as: $(stream)"
timeout 5 xdotool mousemove --window "$window" 20 20 keydown ctrl click --repeat 10 --delay 30 5 keyup ctrl
wait_for 50 eval '[ "$(stream)" = "45536 $identity" ]' || fail "after ten steps down the stream is: $(stream)"
end_with HUP
echo "PASS"
