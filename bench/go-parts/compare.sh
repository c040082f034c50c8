#!/usr/bin/env bash
# Go's SoundFont load with FluidSynth's OpenMP threads (one a core, the
# library's default) against one thread (what the program sets), on a quiet
# machine and with the cores kept busy as on a working desktop. The two are
# alternated process by process, so both meet the same machine; prints the
# medians of go_parts' totals and their ratio. Asserts nothing.
#   bench/go-parts/compare.sh [build folder, default build] [rounds, default 9]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
rounds=${2:-9}
[ -x "$build/bench/go_parts" ] || { echo "build first: cmake --build $build --target go_parts"; exit 1; }

busy=()
cleanup() { [ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null || true; }
trap cleanup EXIT

# The total of one go_parts process of 3 runs, in ms.
total() { env "$@" SDL_AUDIODRIVER=dummy "$build/bench/go_parts" "$build/tovins-timer-sound.so" 3 | sed -n 's/.*total \([0-9.]*\).*/\1/p'; }
median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

for load in quiet busy; do
  if [ "$load" = busy ]; then
    for _ in $(seq "$(nproc)"); do
      (while :; do :; done) >/dev/null 2>&1 &
      busy+=($!)
    done
  fi
  cores="" one=""
  for _ in $(seq "$rounds"); do
    cores+=" $(total -u OMP_NUM_THREADS)"
    one+=" $(total OMP_NUM_THREADS=1)"
  done
  a=$(echo "$cores" | median) b=$(echo "$one" | median)
  printf '%-6s a thread a core: median %6.1f ms   one thread: median %6.1f ms   ratio %.2f\n' \
    "$load" "$a" "$b" "$(awk -v a="$a" -v b="$b" 'BEGIN {print a / b}')"
  cleanup
  busy=()
done
