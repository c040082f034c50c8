# Helpers of the end-to-end scripts, sourced by them. A script keeps its logs as
# $work/*.log, and end_with takes the program's $pid and the started $app.
fail() {
  echo "FAIL: $*" >&2
  for log in "${work:-/nonexistent}"/*.log; do [ ! -f "$log" ] || tail -n 20 "$log" | sed "s|^|  ${log##*/}: |" >&2; done
  exit 1
}
# Skips the test (exit 77), or fails it where every test must run (TIMER_NO_SKIPS, as `make test` sets).
skip() { [ "${TIMER_NO_SKIPS:-0}" = 0 ] || fail "$* (every test must run here)"; echo "SKIP: $*"; exit 77; }
# Skips the test unless each command given is installed.
need() { for tool; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done; }
# A home, configuration and runtime folder of our own in $work; at exit, $pid, $app and the processes in $pids are
# killed and $work removed. $ini is the program's settings file, written by `settings KEY=VALUE...`.
private_home() {
  work=$(mktemp -d) pids="" pid="" app=""
  trap 'for p in $pid $app $pids; do kill -KILL "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$work"' EXIT
  export HOME="$work" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/.config" XDG_CACHE_HOME="$work/.cache"
  unset XDG_DATA_HOME
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  ini="$XDG_CONFIG_HOME/TimerZqv2010/Timer.ini"
}
settings() {
  mkdir -p "${ini%/*}" && for kv; do printf '[%s]\nString%%20Value=%s\n' "${kv%%=*}" "${kv#*=}"; done >"$ini"
}
# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  for _ in $(seq "$1"); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}
# Sends the signal and waits for a normal exit: a bound, not a timing (a loaded machine is slow); only a program
# still running after ten seconds fails.
end_with() {
  kill -"$1" "$pid"
  wait_for 100 eval '! kill -0 "$pid" 2>/dev/null' || fail "SIG$1 did not end the program"
  wait "$app" || fail "SIG$1: exit status $?"
  app="" pid=""
}
# An X server of our own (Xvfb, no window manager) as $DISPLAY, killed at exit.
xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=" $!"
  wait_for 100 test -s "$work/display" && export DISPLAY=":$(cat "$work/display")" || fail "Xvfb did not start"
}
# A session bus of our own as $DBUS_SESSION_BUS_ADDRESS, killed at exit.
session_bus() {
  local bus
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || fail "no session bus"
  export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
  pids+=" ${bus##*$'\n'}"
}
# Starts the command after $1 as $app (its output in app.log) and finds its window named like $1.
launch() {
  "${@:2}" >"$work/app.log" 2>&1 &
  app=$!
  find_window "$1"
}
# The program's visible window named like $1 as $window, its process as $pid, and its caption.
find_window() {
  # A first start after installing can be slow (font and icon caches): a bound, not a timing.
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -n1) ||
    fail "no window '$1' appeared (the program $(kill -0 "${app:-0}" 2>/dev/null && echo runs || echo had ended))"
  pid=$(timeout 5 xdotool getwindowpid "$window") || fail "the window has no process"
}
caption() { timeout 5 xdotool getwindowname "$window" 2>/dev/null || echo "<no answer>"; }
shows() { [[ "$(caption)" =~ $1 ]]; }
