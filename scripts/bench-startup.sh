#!/usr/bin/env bash
# Start-up time of the player under a private Xvfb: five starts, each timed from the moment the
# program is executed to both windows mapped and to the end of the slide-in (Sliding=0 in the
# state file), then the medians. Target: windows mapped within 300 ms.
#   scripts/bench-startup.sh            (build folder: KAVORO_BUILD_DIR or build/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KAVORO_BUILD_DIR:-$root/build}"
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

RUNS=5
TARGET_MAPPED_MS=300
POLL=0.005            # a tight poll: the figure is in milliseconds
MAX_WAIT_MS=30000
BOTH_WINDOWS_NAME='^(Kavoro Player|Video)$'

cmake --build "$build" --target kavoro >/dev/null
E2E_APP_DIR="$build/app"
# A settings home of its own, never the user's.
use_private_home "$build/bench-startup"
trap cleanup EXIT
trap_errors
need_tools Xvfb xdotool xdpyinfo xwininfo
start_xvfb

# The pointer in a corner, away from the windows' buttons.
xdotool mousemove 0 0

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

mapped_all=()
slid_all=()
for ((run = 1; run <= RUNS; run++)); do
  rm -f "$STATE_FILE" "$E2E_OUT/t0"
  # The clock is read in the process that then becomes the player.
  KAVORO_STATE_FILE="$STATE_FILE" KAVORO_AUDIO_DEVICE=none QT_QPA_PLATFORM=xcb \
    bash -c 'date +%s%N >"$1"; exec "$2"' _ "$E2E_OUT/t0" "$E2E_APP_DIR/kavoro" \
    >>"$E2E_OUT/kavoro.log" 2>&1 &
  KAVORO_PID=$!
  E2E_STARTED_PIDS+=("$KAVORO_PID")
  mapped="" slid=""
  while [[ -z "$slid" ]]; do
    now=$(date +%s%N)
    if [[ -s "$E2E_OUT/t0" ]]; then
      elapsed=$(((now - $(cat "$E2E_OUT/t0")) / 1000000))
      ((elapsed < MAX_WAIT_MS)) || fail "start $run: not up after ${MAX_WAIT_MS} ms"
      # One search for both windows: each look costs a process start, which blurs the figure.
      if [[ -z "$mapped" ]] &&
        (($(count_windows "$BOTH_WINDOWS_NAME") >= 2)); then
        mapped=$elapsed
      fi
      # The slide-in ends after the windows show: its end counts only once both are mapped.
      if [[ -n "$mapped" && "$(state Sliding)" == 0 ]]; then
        slid=$(((now - $(cat "$E2E_OUT/t0")) / 1000000))
      fi
    fi
    kill -0 "$KAVORO_PID" 2>/dev/null || fail "start $run: the player ended"
    sleep "$POLL"
  done
  printf 'start %d: windows mapped %5d ms, slide-in finished %5d ms\n' "$run" "$mapped" "$slid"
  mapped_all+=("$mapped")
  slid_all+=("$slid")
  click_button Close
  wait_for_exit "$KAVORO_PID" 15
  KAVORO_PID=""
done

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores (a busy machine starts slower)"
mapped_median=$(printf '%s\n' "${mapped_all[@]}" | median)
slid_median=$(printf '%s\n' "${slid_all[@]}" | median)
printf 'median:  windows mapped %5d ms (target %d ms: %s), slide-in finished %5d ms\n' \
  "$mapped_median" "$TARGET_MAPPED_MS" \
  "$( ((mapped_median <= TARGET_MAPPED_MS)) && echo met || echo missed)" "$slid_median"
