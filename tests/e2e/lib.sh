# Helpers of the end-to-end scripts, sourced by them. A script keeps its logs as
# $work/*.log, and end_with takes the program's $pid and the started $app.
fail() {
  echo "FAIL: $*" >&2
  for log in "${work:-/nonexistent}"/*.log; do
    [ ! -f "$log" ] || tail -n 20 "$log" | sed "s/^/  $(basename "$log" .log): /" >&2
  done
  exit 1
}
# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  for _ in $(seq "$1"); do "${@:2}" && return 0; sleep 0.1; done
  return 1
}
# Sends the signal and waits up to a second for a normal exit.
end_with() {
  local start=$(date +%s%N)
  kill -"$1" "$pid"
  wait_for 10 eval '! kill -0 "$pid" 2>/dev/null' || fail "SIG$1 did not end the program within a second"
  echo "SIG$1 ended it within $((($(date +%s%N) - start) / 1000000)) ms"
  wait "$app" || fail "SIG$1: exit status $?"
  app="" pid=""
}
