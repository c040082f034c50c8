#!/usr/bin/env bash
# The program on a Wayland desktop: under sway's headless backend (without XWayland), the window maps as a native
# Wayland window; an alarm message typed in the music window, a one-minute timer counts down in seconds in the caption
# (the clock ten times faster, faketime), and at the alarm, the user on another workspace, the alarm box shows and the
# main window asks for attention (sway marks it urgent). SIGTERM then ends it.
# Sway refuses to run as root: run as root, the test runs as the system user tovins-timer-test (made by
# scripts/install-deps).
set -euo pipefail

program=$(realpath "${1:?usage: wayland-test.sh path/to/tovins-timer}")
source "$(dirname "$0")/lib.sh"
need sway swaymsg wtype faketime
if [ "$(id -u)" -eq 0 ]; then
  user=tovins-timer-test
  id "$user" >/dev/null 2>&1 || skip "no user $user (scripts/install-deps adds it)"
  # The checkout may lie where that user cannot read (root's home): it runs a copy.
  copy=$(mktemp -d) && chmod 755 "$copy" && trap 'rm -rf "$copy"' EXIT
  cp "$(realpath "$0")" "$(dirname "$(realpath "$0")")/lib.sh" "$program" "$copy/"
  [ ! -f "$(dirname "$program")/tovins-timer-sound.so" ] || cp "$(dirname "$program")/tovins-timer-sound.so" "$copy/"
  setpriv --reuid="$user" --regid="$user" --clear-groups \
    env -i PATH=/usr/bin:/bin LANG=C.UTF-8 TIMER_NO_SKIPS="${TIMER_NO_SKIPS:-0}" \
    "$copy/$(basename "$0")" "$copy/$(basename "$program")" || exit $?
  exit 0
fi

private_home
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
printf 'xwayland disable\noutput * resolution 1024x768\n' >"$work/sway.conf"
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids=$!
wait_for 300 eval 'SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock) && WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-?)' \
  2>/dev/null || fail "sway did not start"
export SWAYSOCK WAYLAND_DISPLAY
# The headless seat has no keyboard: one held for the whole test, so the program has its keyboard before the first
# key (each wtype brings a keyboard of its own, which the seat would otherwise gain only with it).
wtype -s 600000 &
pids+=" $!"

# The program's windows in sway's tree (JSON, a key a line; a window's urgency and name before its pid, app_id and
# shell), one a line: shell, title, process id, urgency.
windows() {
  timeout 5 swaymsg -t get_tree | awk -F'"' '/"urgent":/ {urgent = $3 ~ /true/ ? "urgent" : "calm"}
    /"name":/ {name = $4} /"pid":/ {pid = $3; gsub(/[^0-9]/, "", pid)}
    /"app_id": "tovins-timer"/ {app = 1} /"shell":/ && app {print $4 "\t" name "\t" pid "\t" urgent; app = 0}'
}
has_window() { windows | grep -qP "$1"; }
type_keys() { timeout 5 wtype "$@" || fail "could not type: $*"; }

# The clock ten times faster from the start; the built-in tunes on SDL's dummy sound device.
export SDL_AUDIODRIVER=dummy XDG_SESSION_TYPE=wayland
settings UseMidi=1
faketime -f '@2026-12-06 10:00:00 x10' "$program" >"$work/app.log" 2>&1 &
app=$!
wait_for 300 has_window '^xdg_shell\tTimer\t' || fail "no native Wayland window 'Timer': $(windows)"
pid=$(windows | cut -f3)  # faketime runs the program as a child

# The message: Browse has the focus, then the folder box, then the message box; Escape closes the window.
type_keys f
wait_for 300 has_window '\tSet folder for MP3 music files\t' || fail "the music window did not open: $(windows)"
type_keys -k Tab -k Tab Tea\ time -k Escape
wait_for 300 eval '! has_window "\tSet folder"' || fail "the music window did not close"
type_keys 1 -k Return
wait_for 300 has_window '\t[0-9]+ seconds? left\t' || fail "no seconds countdown: $(windows)"
# The user has gone to another workspace: the alarm asks for attention there.
timeout 5 swaymsg workspace 2 >/dev/null || fail "could not switch to workspace 2"
wait_for 300 has_window "\tTovin's Timer\t" || fail "no alarm box: $(windows)"
wait_for 300 eval 'windows | grep -v "	Tovin'"'"'s Timer	" | grep -q "	urgent\$"' ||
  fail "the main window did not ask for attention: $(windows)"

end_with TERM
echo "PASS"
