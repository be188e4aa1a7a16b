#!/usr/bin/env bash
# Peak resident memory of the player while it plays the demo disc under a private Xvfb: Play
# (the title menu), then the menu's "Chapter 2" button (the title plays on, then the looping
# root menu), sampling VmRSS and VmHWM from /proc every second for a minute. Target: peak under
# 150 MB.
#   scripts/bench-memory.sh             (build folder: KAVORO_BUILD_DIR or build/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KAVORO_BUILD_DIR:-$root/build}"
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

SAMPLES=60            # one a second
MENU_SECONDS=5        # the title menu is shown this long before the button is clicked
TARGET_PEAK_MB=150

cmake --build "$build" --target kavoro kavoro-skins kavoro-sounds kavoro-resource-library >/dev/null
E2E_APP_DIR="$build/app"
use_private_home "$build/bench-memory"
trap cleanup EXIT
trap_errors
need_tools Xvfb xdotool xdpyinfo xwininfo import convert identify

bash "$root/tools/make-fixtures/make-dvd.sh" "$build/fixtures" >/dev/null
bind_disc_as_e "$build/fixtures/DVD.iso"

start_xvfb
start_kavoro
wait_for_window "$MAIN_WINDOW_NAME" 20 >/dev/null
VIDEO_WIN=$(wait_for_window "$VIDEO_WINDOW_NAME" 20)
wait_for_state Sliding 0 20
click_button Play
wait_for_state PlayState "DVD Playing 1.0X" 20

kb_of() { sed -n "s/^$1:[[:space:]]*\([0-9]*\) kB/\1/p" "/proc/$KAVORO_PID/status"; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

peak_rss=0
for ((s = 1; s <= SAMPLES; s++)); do
  sleep 1
  kill -0 "$KAVORO_PID" 2>/dev/null || fail "the player ended after ${s}s"
  if ((s == MENU_SECONDS)); then
    video_inner_area
    click_dvd_chapter2 "$(screenshot menu)"
    xdotool mousemove 0 0
  fi
  rss=$(kb_of VmRSS) hwm=$(kb_of VmHWM)
  ((rss > peak_rss)) && peak_rss=$rss
  printf '%3d s  %-18s %-12s RSS %7s MB  HWM %7s MB\n' "$s" "$(state PlayState)" \
    "$(state Chapter)" "$(mb "$rss")" "$(mb "$hwm")"
done
[[ "$(state GraphMode)" == dvd ]] || fail "the disc stopped playing during the minute"
hwm=$(kb_of VmHWM)
click_button Close
wait_for_exit "$KAVORO_PID" 15
KAVORO_PID=""
printf 'peak resident memory: %s MB (VmHWM), highest sample %s MB (VmRSS); target under %d MB: %s\n' \
  "$(mb "$hwm")" "$(mb "$peak_rss")" "$TARGET_PEAK_MB" \
  "$( ((hwm < TARGET_PEAK_MB * 1024)) && echo met || echo missed)"
