#!/usr/bin/env bash
# Start-up of keyglow against the emulated keyboard: the time from launching the process to
# the first paint of its main window, and the resident memory once it is shown.
# Usage: bench/startup.sh [build-dir] [runs]   (default: build, 10 runs)
# Uses the offscreen platform unless QT_QPA_PLATFORM is set (run under xvfb-run for X11).
# Exits 1 when the median misses 300 ms or the largest resident size misses 80 MB.
set -euo pipefail
build="${1:-build}"
runs="${2:-10}"
program="$build/bin/keyglow"
[[ -x "$program" ]] || { echo "no $program; build the keyglow target first" >&2; exit 2; }
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export KEYGLOW_STARTUP_TIMING=1
runtime="$(mktemp -d)"
export XDG_RUNTIME_DIR="$runtime"
trap 'rm -rf "$runtime"' EXIT

times=()
rss_max=0
for ((i = 0; i < runs; i++)); do
  fifo="$runtime/out.$i"
  mkfifo "$fifo"
  start=$(date +%s%N)
  "$program" --emulator --quit-after 3000 >"$fifo" 2>/dev/null &
  pid=$!
  shown=""
  while IFS= read -r line; do
    if [[ -z "$shown" && "$line" == *"first paint"* ]]; then
      shown=$(date +%s%N)
      # Resident memory with the window shown and the worker running.
      sleep 0.3
      rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
      ((rss > rss_max)) && rss_max=$rss
      kill -TERM "$pid" 2>/dev/null || true
    fi
  done <"$fifo"
  wait "$pid" || true
  rm -f "$fifo"
  [[ -n "$shown" ]] || { echo "run $i: the window never painted" >&2; exit 1; }
  times+=($(((shown - start) / 1000000)))
done

sorted=($(printf '%s\n' "${times[@]}" | sort -n))
median=${sorted[$((runs / 2))]}
echo "keyglow --emulator start-up to the first paint ($QT_QPA_PLATFORM, $runs runs)"
echo "  ms: ${times[*]}"
echo "  min ${sorted[0]} ms, median $median ms, max ${sorted[$((runs - 1))]} ms"
echo "  resident memory, largest: $((rss_max / 1024)) MB ($rss_max kB)"
fail=0
((median < 300)) && echo "target < 300 ms: met" || { echo "target < 300 ms: missed"; fail=1; }
((rss_max < 80 * 1024)) && echo "target < 80 MB: met" || { echo "target < 80 MB: missed"; fail=1; }
exit $fail
