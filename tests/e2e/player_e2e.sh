#!/usr/bin/env bash
# The player end to end under a private X server: start-up, the demo disc's menu and chapters,
# files through the Open dialog and the play list, a skin switch and back, full screen, closing
# and the single-instance rule. Drives the real program with xdotool and reads its state file.
#   player_e2e.sh APP_DIR DISC_IMAGE OUT_DIR
# HOME and XDG_CONFIG_HOME/XDG_RUNTIME_DIR come from the caller (CTest gives the test its own);
# the player's settings under XDG_CONFIG_HOME are wiped first. Screenshots and logs stay in
# OUT_DIR.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"

[[ $# -eq 3 ]] || { echo "usage: player_e2e.sh APP_DIR DISC_IMAGE OUT_DIR" >&2; exit 2; }
start_scenario "$1" "$2" "$3"

# Time limits of the conditions: generous, the machine may be busy with builds.
START_TIMEOUT=20      # windows up and slid in
GRAPH_TIMEOUT=20      # a disc or file starts playing
CLIP_TIMEOUT=30       # a clip plays to its end and the next starts
SECOND_START_EXIT=3   # a second start ends within this
CLOSE_TIMEOUT=15

# A picture shows something when its brightness varies this much (0..1) over the region.
MIN_PICTURE_SPREAD=0.05
# In full screen the picture spans at least this share (percent) of the screen both ways.
MIN_FULL_SCREEN_PERCENT=90
# The menu's background fills most of the picture: at least this share of the video area.
MIN_MENU_SHARE=0.3

need_tools Xvfb xdotool xdpyinfo xwininfo import convert identify ffmpeg
SETTINGS_FILE="$CONFIG/HKEY_LOCAL_MACHINE.reg"   # the player keeps its settings machine-wide

start_xvfb

# ---- 1. Start.
step "1 start: both windows mapped, slide-in finished"
t0=$(now_ms)
start_and_wait_slide_in
log "windows up and slid in after $(($(now_ms) - t0)) ms"
[[ "$(state Skin)" == Default ]] || fail "first start uses skin '$(state Skin)', not Default"
[[ "$(state WindowMode)" == normal ]] || fail "WindowMode is $(state WindowMode)"

# ---- 2. The disc's title menu.
step "2 Play: the disc plays its title menu"
click_button Play
wait_for_state GraphMode dvd "$GRAPH_TIMEOUT"
wait_for_state PlayState "DVD Playing 1.0X" "$GRAPH_TIMEOUT"
video_inner_area
deadline=$(($(now_ms) + GRAPH_TIMEOUT * 1000))
while :; do
  sleep 0.5
  shot=$(screenshot 02-dvd-menu)
  spread=$(region_stat "$shot" "$IW" "$IH" "$IX" "$IY" standard_deviation)
  share=$(convert "$shot" -crop "${IW}x${IH}+${IX}+${IY}" +repage -fuzz 6% -fill white \
    -opaque "$MENU_BACKGROUND" -fill black +opaque white -colorspace Gray -format '%[fx:mean]' info:)
  float_ge "$spread" "$MIN_PICTURE_SPREAD" && float_ge "$share" "$MIN_MENU_SHARE" && break
  (($(now_ms) < deadline)) || fail "no menu picture in the video window (spread $spread, menu colour share $share; $shot)"
done
log "menu shown: spread $spread, menu colour share $share ($shot)"

# ---- 3. A menu button.
step "3 the menu's \"Chapter 2\" button plays title 1 from chapter 2"
click_dvd_chapter2 "$shot"
wait_for_state Chapter "Chapter: 2" "$GRAPH_TIMEOUT"
wait_for_state Title "Title: 1" 5
xdotool mousemove 0 0            # off the picture: no further button choices

# ---- 4. Next and Previous.
step "4 Next: chapter 3"
click_button Next
wait_for_state Chapter "Chapter: 3" 10
step "4 Previous: back to chapter 2"
click_button Previous
wait_for_state Chapter "Chapter: 2" 10
[[ "$(state Title)" == "Title: 1" ]] || fail "Title is $(state Title) after Previous"

# ---- 5. Stop.
step "5 Stop"
click_button Stop
wait_for_state PlayState Stopped 10
wait_for_state PlayListCount 0 5
wait_for_state Title "Title: 0" 5

# ---- 6. Files: Open dialog, play list, playing on to the next and round.
step "6 two clips made with ffmpeg"
CLIP_A="$E2E_OUT/clip one.mpg"      # a space: the path must survive the dialog whole
CLIP_B="$E2E_OUT/clip-two.mpg"
make_clip "$CLIP_A" 3 440
make_clip "$CLIP_B" 2 880

step "6 Open File: the first clip"
click_button Open
open_file_in_dialog "$CLIP_A"
wait_for_state PlayState Playing "$GRAPH_TIMEOUT"
wait_for_state PlayName "$(basename "$CLIP_A")" 5
wait_for_state GraphMode normal 5
[[ "$(state PlayListCount)" == 1 ]] || fail "PlayListCount is $(state PlayListCount) after Open File"

step "6 play list: Add File the second clip"
click_button PlayList
sleep "$E2E_SETTLE"
video_inner_area
# The list lies below the panel's title row; its lower half is empty with one line in it.
click_at $((IX + IW / 2)) $((IY + IH * 3 / 4)) 3
sleep "$E2E_SETTLE"
xdotool key a                       # "&Add File ..."
open_file_in_dialog "$CLIP_B"
wait_for_state PlayListCount 2 5
[[ "$(state PlayListLine1)" == *"$(basename "$CLIP_B")" ]] || fail "second line is '$(state PlayListLine1)'"

step "6 the first clip ends, the second plays"
wait_for_state PlayIndex 1 "$CLIP_TIMEOUT"
wait_for_state PlayName "$(basename "$CLIP_B")" 5
wait_for_state PlayState Playing 5
step "6 the second ends, the list starts over"
wait_for_state PlayIndex 0 "$CLIP_TIMEOUT"
wait_for_state PlayName "$(basename "$CLIP_A")" 5
click_button PlayList              # the list away: the video shows again
sleep "$E2E_SETTLE"

# ---- 7. Skins.
for skin in Capsule Default; do
  step "7 Select Skin $skin"
  select_skin "$skin"
  wait_for_state Sliding 1 10
  wait_for_state Sliding 0 "$START_TIMEOUT"
  wait_for_state Skin "$skin" 5
  sleep "$E2E_SETTLE"
  MAIN_WIN=$(wait_for_window "$MAIN_WINDOW_NAME" 5)
  VIDEO_WIN=$(wait_for_window "$VIDEO_WINDOW_NAME" 5)
  shot=$(screenshot "07-skin-$skin")
  check_main_size "$skin"
  geometry "$MAIN_WIN"
  spread=$(region_stat "$shot" "$WW" "$WH" "$WX" "$WY" standard_deviation)
  float_ge "$spread" "$MIN_PICTURE_SPREAD" || fail "main window looks blank after the switch ($shot)"
  log "skin $skin: main ${WW}x${WH} ($shot)"
done

# ---- 8. Full screen.
step "8 Fullscreen while a clip plays"
[[ "$(state PlayState)" == Playing ]] || fail "no clip plays before full screen"
click_button Fullscreen
wait_for_state WindowMode fullscreen 10
sleep 1
shot=$(screenshot 08-fullscreen)
# The clip fills the screen: what is not black spans nearly all of it (the clip's own
# proportions leave thin bars at most).
box=$(convert "$shot" -bordercolor black -border 1 -fuzz 10% -format '%@' info:)
[[ "$box" =~ ^([0-9]+)x([0-9]+) ]] || fail "nothing but black on the full screen ($shot)"
pw=${BASH_REMATCH[1]} ph=${BASH_REMATCH[2]}
((pw * 100 >= E2E_SCREEN_WIDTH * MIN_FULL_SCREEN_PERCENT && ph * 100 >= E2E_SCREEN_HEIGHT * MIN_FULL_SCREEN_PERCENT)) ||
  fail "the picture covers only ${pw}x${ph} of the full screen ($shot)"
spread=$(region_stat "$shot" "$E2E_SCREEN_WIDTH" "$E2E_SCREEN_HEIGHT" 0 0 standard_deviation)
float_ge "$spread" "$MIN_PICTURE_SPREAD" || fail "the full screen is uniform ($shot)"
log "full screen shows the picture ($shot)"
step "8 Escape leaves full screen"
xdotool key Escape
wait_for_state WindowMode normal 10

# ---- 9. Closing, and a second start.
step "9 Close"
last_skin=$(state Skin)
click_button Close
wait_for_exit "$KAVORO_PID" "$CLOSE_TIMEOUT"
((EXIT_CODE == 0)) || fail "the player exited with $EXIT_CODE"
KAVORO_PID=""
[[ -f "$SETTINGS_FILE" ]] || fail "no settings file $SETTINGS_FILE"
grep -qxF "\"SkinName\"=\"$last_skin\"" "$SETTINGS_FILE" ||
  fail "settings hold no SkinName $last_skin: $(grep -i skin "$SETTINGS_FILE" || echo none)"

step "9 start again, then a second start"
rm -f "$STATE_FILE"
start_and_wait_slide_in
first_pid=$KAVORO_PID
start_kavoro "$E2E_OUT/kavoro-second.log"
second_pid=$KAVORO_PID
KAVORO_PID=$first_pid
# Watched while it runs: a second main window must not show even for a moment.
deadline=$(($(now_ms) + SECOND_START_EXIT * 1000))
while kill -0 "$second_pid" 2>/dev/null && [[ "$(ps -o stat= -p "$second_pid")" != Z* ]]; do
  mains=$(count_windows "$MAIN_WINDOW_NAME")
  ((mains <= 1)) || fail "$mains main windows while the second start runs"
  (($(now_ms) < deadline)) || fail "the second start still runs after ${SECOND_START_EXIT}s"
  sleep "$E2E_POLL"
done
wait_for_exit "$second_pid" 1
((EXIT_CODE == 0)) || fail "the second start exited with $EXIT_CODE"
mains=$(count_windows "$MAIN_WINDOW_NAME")
((mains == 1)) || fail "$mains main windows after the second start"
kill -0 "$first_pid" 2>/dev/null || fail "the first player ended on the second start"

step "9 close the first"
click_button Close
wait_for_exit "$first_pid" "$CLOSE_TIMEOUT"
((EXIT_CODE == 0)) || fail "the player exited with $EXIT_CODE"
KAVORO_PID=""
step "done"
log "all steps passed; screenshots in $E2E_OUT"
