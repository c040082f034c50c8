#!/usr/bin/env bash
# The program read by the screen reader itself, as a blind user hears it: Orca under Xvfb, on a session bus and an
# AT-SPI bus of its own, speaking through speech-dispatcher with a voice that says nothing (a generic module running
# `true`). Orca's debug log records every line it speaks ("SPEECH OUTPUT"). With the clock ten times faster
# (faketime): the time box's content when it gets focus and again after Tab back; the timer's start with the time
# left; the tune that Go plays; the alarm, the focus elsewhere; the caption when asked for
# (Orca+KP_Enter), and never a countdown second unasked.
set -euo pipefail

program=$(realpath "${1:?usage: orca-test.sh path/to/tovins-timer}")
source "$(dirname "$0")/lib.sh"
need Xvfb xdotool faketime dbus-daemon orca speech-dispatcher /usr/libexec/at-spi-bus-launcher
private_home
log="$work/orca.debug"

xvfb
session_bus
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
launcher=$!
# The AT-SPI bus is a daemon of the launcher's that outlives it: ended with it.
wait_for 100 eval 'bus=$(pgrep -P $launcher dbus-daemon)' || fail "the AT-SPI bus did not start"
pids+=" $launcher $bus"

# A voice that says nothing keeps Orca fast; it still hands every line to speech-dispatcher.
mkdir -p "$work/speechd/modules"
printf '%s\n' 'AddModule "silent" "sd_generic" "silent.conf"' 'DefaultModule silent' 'LanguageDefaultModule "en" "silent"' \
  'AudioOutputMethod "libao"' >"$work/speechd/speechd.conf"
printf 'GenericExecuteSynth "true"\nAddVoice "en" "MALE1" "silent"\n' >"$work/speechd/modules/silent.conf"
speech-dispatcher --run-single --timeout 0 --config-dir "$work/speechd" >"$work/speechd.log" 2>&1 &
pids+=" $!"
wait_for 100 test -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock" || fail "speech-dispatcher did not start"

# Orca writes its log through a buffer; line by line, each spoken line can be waited for as it is said.
mkdir -p "$work/python"
cat >"$work/python/sitecustomize.py" <<'EOF'
import builtins, os
def _open(file, *args, _builtin=builtins.open, **kwargs):
    return _builtin(file, *args, **kwargs, **({"buffering": 1} if file == os.environ["ORCA_TEST_LOG"] else {}))
builtins.open = _open
EOF
ORCA_TEST_LOG="$log" PYTHONPATH="$work/python" orca --replace --user-prefs "$work/orca" --debug-file="$log" \
  >"$work/orca.log" 2>&1 &
pids+=" $!"

# The spoken lines, one a line, without Orca's time stamps.
spoken() { sed -n "s/.* - SPEECH OUTPUT: '\(.*\)' *{.*/\1/p" "$log" 2>/dev/null; }
# Waits up to ten seconds (or the tenths given) for Orca to say a line that matches the extended regular expression
# given, after the lines said before this step; $heard is that line.
said=0
step() { said=$(spoken | wc -l); }
hear() {
  line=$1
  wait_for "${2:-100}" eval 'heard=$(spoken | tail -n +$((said + 1)) | grep -xE -m1 -- "$line")' ||
    fail "Orca did not say '$line'; it said: $(spoken | tail -n +$((said + 1)) | paste -sd '|')"
  echo "heard: $heard"
}
wait_for 600 eval 'spoken | grep -qx "Screen reader on."' || fail "Orca did not start"

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 SDL_AUDIODRIVER=dummy
settings Time=7 UseMidi=1
launch '^Timer$' faketime -f '@2026-12-06 10:00:00 x10' "$program"
key() { step && timeout 5 xdotool key --window "$window" "$@" 2>/dev/null || fail "could not type $*"; }

# No window manager: the window is given the focus, and the time box holds it.
timeout 5 xdotool windowfocus --sync "$window" || fail "could not focus the window"
hear '7 selected\.'
key 2 0 Return
hear 'notification Timer started, 20 minutes left\.'
key End  # after Enter, KP_Enter would be a double press
# Asked once the caption counts down (on a loaded machine the first tick can come after the keys).
wait_for 50 shows '^1[0-9] minutes left$' || fail "no countdown in the caption: '$(caption)'"
key Insert+KP_Enter
hear '1[0-9] minutes left'
asked=$heard
key Tab
hear 'Timer push button\.'
key shift+Tab
hear '20\.'
key g
# The title, read as soon as it shows: ten times faster, the next minute's countdown soon replaces it.
wait_for 50 eval 'title=$(caption); [[ "$title" == *" - "* ]]' || fail "no tune's title in the caption: '$title'"
# Orca ends a sentence with a full stop unless it ends in a closing bracket ("Largo (New World)").
hear 'notification .+ - .+'
[ "${heard%.}" = "notification $title" ] || fail "Orca said '$heard', the caption was '$title'"

# The alarm, the button focused (its message is the Qt shell test's).
key ctrl+a 2 Return
hear 'notification Timer started, 2 minutes left\.'
key Tab
hear 'notification Time is up!' 600

# The countdown was never said unasked (the window's title, said as the window comes back, is the user's doing).
unasked=$(spoken | grep -xE '[0-9]+ (seconds?|minutes?) left\.?' | grep -vxF "$asked") &&
  fail "the countdown was said unasked: $(paste -sd '|' <<<"$unasked")"
end_with TERM
echo "PASS"
