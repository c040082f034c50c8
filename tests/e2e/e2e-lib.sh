# Shared pieces of the end-to-end scripts (sourced, not run): a virtual X
# display, a private home, starting the program and reading its caption.

E2E_WORK=$(mktemp -d)
E2E_XVFB_PID=""
E2E_APP_PID=""      # what was started: the program, or a wrapper such as faketime
E2E_PROGRAM_PID=""  # the program itself, the owner of the window
E2E_WINDOW=""

e2e_cleanup() {
  for pid in $E2E_PROGRAM_PID $E2E_APP_PID; do kill -KILL "$pid" 2>/dev/null || true; done
  [ -n "$E2E_XVFB_PID" ] && kill "$E2E_XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

e2e_fail() {
  echo "FAIL: $*" >&2
  [ -f "$E2E_WORK/app.log" ] && sed 's/^/  program: /' "$E2E_WORK/app.log"
  exit 1
}

# A display of our own: Xvfb takes the first free number and writes it
# once it is ready.
e2e_start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$E2E_WORK/display" >"$E2E_WORK/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$E2E_WORK/display" ] && export DISPLAY=":$(cat "$E2E_WORK/display")" && return 0
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Home, settings, cache and runtime folders of our own; no session bus (one
# started on demand would outlive the test); sound to SDL's dummy driver.
e2e_private_home() {
  export HOME="$E2E_WORK/home" XDG_CONFIG_HOME="$E2E_WORK/config" XDG_CACHE_HOME="$E2E_WORK/cache"
  export XDG_RUNTIME_DIR="$E2E_WORK/run" SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_WORK/no-bus"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

# Starts the program (with any command put before it, such as faketime),
# waits for its window and gives the time box the focus.
e2e_start_program() {
  "$@" "$program" >"$E2E_WORK/app.log" 2>&1 &
  E2E_APP_PID=$!
  E2E_WINDOW=""
  for _ in $(seq 100); do
    E2E_WINDOW=$(timeout 5 xdotool search --pid "$E2E_APP_PID" --name '^Timer$' 2>/dev/null | head -n1) &&
      [ -n "$E2E_WINDOW" ] && break
    kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the program ended at start-up"
    sleep 0.1
  done
  [ -n "$E2E_WINDOW" ] || e2e_fail "no window appeared"
  E2E_PROGRAM_PID=$(timeout 5 xdotool getwindowpid "$E2E_WINDOW") || e2e_fail "the window has no process"
  # No window manager gives the focus: a click on the time box does.
  local height
  height=$(timeout 5 xwininfo -id "$E2E_WINDOW" | awk '/Height:/ {print $2}')
  [ -n "$height" ] || e2e_fail "the window did not answer"
  timeout 5 xdotool mousemove --window "$E2E_WINDOW" 30 $((height - 15)) click 1 || e2e_fail "could not click the window"
  sleep 0.2
}

# Every X call is bounded, so a stuck server or program fails the test with
# a message instead of stalling it.
e2e_caption() { timeout 5 xdotool getwindowname "$E2E_WINDOW" || echo "<no answer>"; }

# Waits up to $2 tenths of a second for the caption to match the pattern
# (with "!" before it: to stop matching it).
e2e_wait_caption() {
  local negate=""
  [ "$1" = "!" ] && negate=1 && shift
  for _ in $(seq "${2:-30}"); do
    if [[ "$(e2e_caption)" =~ $1 ]]; then [ -z "$negate" ] && return 0; else [ -n "$negate" ] && return 0; fi
    sleep 0.1
  done
  return 1
}
