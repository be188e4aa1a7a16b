#!/usr/bin/env bash
# The player on a bad day, end to end under a private X server: no sound card, damaged and
# deleted files in the play list, bookmarks it must refuse, the disc taken away while it plays,
# the skin's folder deleted under it, a configuration folder it cannot write, and a kill in the
# middle of playing. Each case checks that the player goes on, says what it refused, and loses
# no setting.
#   faults_e2e.sh APP_DIR FIXTURES_DIR OUT_DIR
# The program runs from a private copy of the application folder (its skins are deleted on the
# way), with the settings home in OUT_DIR.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"

[[ $# -eq 3 ]] || { echo "usage: faults_e2e.sh APP_DIR FIXTURES_DIR OUT_DIR" >&2; exit 2; }
BUILD_APP="$(cd "$1" && pwd)"
FIXTURES="$(cd "$2" && pwd)"
use_private_home "$(mkdir -p "$3" && cd "$3" && pwd)"
trap cleanup EXIT
trap_errors

GRAPH_TIMEOUT=20      # a disc or file starts playing
CLIP_TIMEOUT=30       # a clip plays to its end and the next starts
MESSAGE_TIMEOUT=15    # a refusal is said
EJECT_TIMEOUT=10      # the player notices the disc has gone
CLOSE_TIMEOUT=15
QUIET_SECONDS=2       # a list that cannot play shows nothing more in this time

need_tools Xvfb xdotool xdpyinfo xwininfo import convert identify ffmpeg unshare mount sha256sum
CONFIG="$XDG_CONFIG_HOME/kavoro"
SETTINGS_FILE="$CONFIG/HKEY_LOCAL_MACHINE.reg"

# The application folder: the program and its files linked, the skins copied (they are
# deleted on the way), and a copy of each skin kept aside for the button places.
E2E_APP_DIR="$E2E_OUT/app"
mkdir -p "$E2E_APP_DIR"
for f in "$BUILD_APP"/*; do
  [[ -f "$f" ]] || continue
  ln -f "$f" "$E2E_APP_DIR/" 2>/dev/null || cp -p "$f" "$E2E_APP_DIR/"
done
cp -r "$BUILD_APP/Skins" "$E2E_APP_DIR/Skins"
E2E_SKIN_COPIES="$E2E_OUT/skin-copies"
cp -r "$BUILD_APP/Skins" "$E2E_SKIN_COPIES"

# The drive E: is a link that the scenario makes and takes away.
DISC_LINK="$E2E_OUT/disc"
bind_disc_as_e "$DISC_LINK"
insert_disc() { ln -sfn "$1" "$DISC_LINK"; }
remove_disc() { rm -f "$DISC_LINK"; }

start_xvfb

close_player() {
  click_button Close
  wait_for_exit "$KAVORO_PID" "$CLOSE_TIMEOUT"
  ((EXIT_CODE == 0)) || fail "the player exited with $EXIT_CODE"
  KAVORO_PID=""
}

# The video window's context menu, from a right click on the picture.
video_menu() {
  video_inner_area
  click_at $((IX + IW / 2)) $((IY + IH / 2)) 3
  sleep "$E2E_SETTLE"
}

# bookmark_command KEY PATH: Bookmarks -> "&Save" (s) or "&Restore" (r) with PATH in the dialog.
# Subtitles shares the "b" of Bookmarks: the first press opens the first of them, Bookmarks.
bookmark_command() {
  video_menu
  xdotool key b
  sleep "$E2E_SETTLE"
  xdotool key "$1"
  open_file_in_dialog "$2"
}

# ---- 1. No sound card: files play on the clock, the mute and volume controls do not fail.
# ALSA reads a configuration without any device; the player is left to its default device.
step "1 no sound card"
printf '# no sound devices at all\n' >"$E2E_OUT/no-sound.conf"
export ALSA_CONFIG_PATH="$E2E_OUT/no-sound.conf"
E2E_AUDIO_DEVICE=""
insert_disc "$FIXTURES/DVD.iso"
start_and_wait_slide_in
[[ "$(state Skin)" == Default ]] || fail "first start uses skin '$(state Skin)'"
CLIPS="$E2E_OUT/clips"
mkdir -p "$CLIPS"
make_clip "$CLIPS/one.mpg" 3 440
make_clip "$CLIPS/two.mpg" 2 660
make_clip "$CLIPS/long.mpg" 6 550
head -c 300000 /dev/urandom >"$CLIPS/damaged.mpg"
head -c 200000 /dev/urandom >"$CLIPS/damaged-too.mpg"

click_button Open
open_file_in_dialog "$CLIPS/one.mpg"
wait_for_state PlayState Playing "$GRAPH_TIMEOUT"
wait_for_state PlayName one.mpg 5
step "1 mute twice and the volume bar, while the clip plays"
forget_messages
click_button MuteON
sleep "$E2E_SETTLE"
click_button MuteOFF
sleep "$E2E_SETTLE"
# A click in the volume bar's track moves its thumb there.
ini=$(skin_ini Default)
vol_left=$(sed -n '/^\[VolumeBar\]/,/^\[/s/^Left=//p' "$ini" | tr -d '\r')
vol_top=$(sed -n '/^\[VolumeBar\]/,/^\[/s/^Top=//p' "$ini" | tr -d '\r')
geometry "$MAIN_WIN"
click_at $((WX + vol_left + 4)) $((WY + vol_top + 10))
sleep "$E2E_SETTLE"
[[ "$(state PlayState)" == Playing ]] || fail "PlayState is $(state PlayState) after mute and volume"
expect_no_message

# ---- 2. A damaged file between two good ones; a list of damaged files only.
step "2 a damaged file between two good ones: said, then the next plays"
play_list_menu
xdotool key a                       # "&Add File ...": the dialog opens in the clips' folder
open_file_in_dialog '"damaged.mpg" "two.mpg"'
wait_for_state PlayListCount 3 5
# one.mpg plays to its end on the clock alone.
answer_message "Kavoro Player" '^Cannot play "damaged\.mpg"\.' "$CLIP_TIMEOUT"
wait_for_state PlayIndex 2 5
wait_for_state PlayName two.mpg 5
wait_for_state PlayState Playing 5
step "2 the list goes round: one.mpg again"
wait_for_state PlayIndex 0 "$CLIP_TIMEOUT"
wait_for_state PlayState Playing 5

step "2 a list of damaged files only ends stopped"
play_list_menu
xdotool key c                       # "&Clear"
wait_for_state PlayState Stopped 5
wait_for_state PlayListCount 0 5
play_list_menu
xdotool key a
open_file_in_dialog '"damaged.mpg" "damaged-too.mpg"'
wait_for_state PlayListCount 2 5
play_list_menu
xdotool key p                       # "&Play the selected file": the first line
answer_message "Kavoro Player" '^Cannot play "damaged\.mpg"\.' "$MESSAGE_TIMEOUT"
answer_message "Kavoro Player" '^Cannot play "damaged-too\.mpg"\.' "$MESSAGE_TIMEOUT"
wait_for_state PlayState Stopped 5
sleep "$QUIET_SECONDS"
expect_no_message
[[ "$(state PlayState)" == Stopped ]] || fail "the list of damaged files went on: $(state PlayState)"

# ---- 3. A file deleted while it plays.
step "3 a file deleted while it plays"
play_list_menu
xdotool key c
wait_for_state PlayListCount 0 5
click_button Open
open_file_in_dialog "$CLIPS/long.mpg"
wait_for_state PlayName long.mpg "$GRAPH_TIMEOUT"
play_list_menu
xdotool key a
open_file_in_dialog '"one.mpg"'
wait_for_state PlayListCount 2 5
rm -f "$CLIPS/long.mpg"
# What was opened plays on; round the list the file is gone: said, and the next plays.
wait_for_state PlayIndex 1 "$CLIP_TIMEOUT"
wait_for_state PlayState Playing 5
answer_message "Kavoro Player" '^Cannot play "long\.mpg"\.' "$CLIP_TIMEOUT"
wait_for_state PlayIndex 1 5
wait_for_state PlayName one.mpg 5
wait_for_state PlayState Playing 5
click_button Stop
wait_for_state PlayState Stopped 5
close_player
unset ALSA_CONFIG_PATH
E2E_AUDIO_DEVICE=none

# ---- 4. Bookmarks: one of another disc and a damaged one are refused; playback goes on.
step "4 a bookmark saved on the other disc"
insert_disc "$FIXTURES/DVD-STREAMS"
# The restore command is offered once the application folder holds a bookmark.
: >"$E2E_APP_DIR/bookmark.bmk"
start_and_wait_slide_in
forget_messages
click_button Play
wait_for_state GraphMode dvd "$GRAPH_TIMEOUT"
wait_for_state PlayState "DVD Playing 1.0X" "$GRAPH_TIMEOUT"
sleep 1
OTHER_BOOKMARK="$E2E_OUT/other-disc.bmk"
bookmark_command s "$OTHER_BOOKMARK"
deadline=$(($(now_ms) + 10000))
until [[ -s "$OTHER_BOOKMARK" ]]; do
  (($(now_ms) < deadline)) || fail "no bookmark saved to $OTHER_BOOKMARK"
  sleep "$E2E_POLL"
done
expect_no_message
click_button Stop
wait_for_state PlayState Stopped 5

step "4 the demo disc plays chapter 2"
insert_disc "$FIXTURES/DVD.iso"
click_button Play
wait_for_state PlayState "DVD Playing 1.0X" "$GRAPH_TIMEOUT"
video_inner_area
sleep 2
click_dvd_chapter2 "$(screenshot 04-menu)"
wait_for_state Chapter "Chapter: 2" "$GRAPH_TIMEOUT"
xdotool mousemove 0 0

step "4 the other disc's bookmark is refused"
bookmark_command r "$OTHER_BOOKMARK"
answer_message "Kavoro Player" 'could not be restored\. / The bookmark belongs to another disc\.$' "$MESSAGE_TIMEOUT"
step "4 a damaged bookmark is refused"
DAMAGED_BOOKMARK="$E2E_OUT/damaged.bmk"
head -c 4096 /dev/urandom >"$DAMAGED_BOOKMARK"
bookmark_command r "$DAMAGED_BOOKMARK"
answer_message "Kavoro Player" 'could not be restored\. / The file is damaged or is not a bookmark\.$' "$MESSAGE_TIMEOUT"
[[ "$(state PlayState)" == "DVD Playing 1.0X" && "$(state Title)" == "Title: 1" ]] ||
  fail "playback changed: $(state PlayState), $(state Title)"
chapter=$(number_in "$(state Chapter)")
((chapter >= 2)) || fail "playback moved back to $(state Chapter)"

# ---- 5. The disc taken away while it plays, and put back.
step "5 the disc goes while the title plays"
remove_disc
wait_for_state PlayState Stopped "$EJECT_TIMEOUT"
wait_for_state PlayListCount 0 5
expect_no_message
step "5 Play without the disc does nothing"
click_button Play
sleep 1
[[ "$(state PlayState)" == Stopped ]] || fail "Play without a disc: $(state PlayState)"
step "5 the disc back: Play plays it"
insert_disc "$FIXTURES/DVD.iso"
click_button Play
wait_for_state PlayState "DVD Playing 1.0X" "$GRAPH_TIMEOUT"
wait_for_state GraphMode dvd 5
expect_no_message

# ---- 6. Kill and restart: settings and skin as they were.
step "6 killed while playing"
settings_before=$(sha256sum <"$SETTINGS_FILE")
kill -KILL "$KAVORO_PID"
wait_for_exit "$KAVORO_PID" 10
KAVORO_PID=""
[[ "$(sha256sum <"$SETTINGS_FILE")" == "$settings_before" ]] || fail "the kill changed the settings file"
rm -f "$STATE_FILE"
start_and_wait_slide_in
[[ "$(state Skin)" == Default ]] || fail "after the kill the skin is $(state Skin)"
check_main_size Default
click_button Play
wait_for_state PlayState "DVD Playing 1.0X" "$GRAPH_TIMEOUT"
click_button Stop
wait_for_state PlayState Stopped 5

# ---- 7. The current skin's folder deleted while the player runs.
step "7 Capsule, then its folder deleted"
select_skin Capsule
wait_for_state Skin Capsule "$START_TIMEOUT"
wait_for_state Sliding 0 "$START_TIMEOUT"
sleep "$E2E_SETTLE"
rm -rf "$E2E_APP_DIR/Skins/Capsule"
step "7 nothing changes until the next load"
check_main_size Capsule
click_button Play
wait_for_state PlayState "DVD Playing 1.0X" "$GRAPH_TIMEOUT"
click_button Stop
wait_for_state PlayState Stopped 5
shot=$(screenshot 07-capsule-deleted)
geometry "$MAIN_WIN"
spread=$(region_stat "$shot" "$WW" "$WH" "$WX" "$WY" standard_deviation)
float_ge "$spread" 0.05 || fail "the main window looks blank ($shot)"
expect_no_message
close_player
grep -qxF '"SkinName"="Capsule"' "$SETTINGS_FILE" || fail "the settings lost the skin name Capsule"

step "7 the next start: said, and the player starts with Default"
rm -f "$STATE_FILE"
forget_messages
start_kavoro
answer_message "Kavoro Player" '^Load skin error\.$' "$START_TIMEOUT"
MAIN_WIN=$(wait_for_window "$MAIN_WINDOW_NAME" "$START_TIMEOUT")
VIDEO_WIN=$(wait_for_window "$VIDEO_WINDOW_NAME" "$START_TIMEOUT")
wait_for_state Sliding 0 "$START_TIMEOUT"
[[ "$(state Skin)" == Default ]] || fail "started with skin $(state Skin)"
check_main_size Default

step "7 a switch to a skin whose folder goes while the menu is open"
cp -r "$E2E_SKIN_COPIES/Capsule" "$E2E_APP_DIR/Skins/Capsule"
index=$(skin_menu_index Capsule)
open_skin_menu
rm -rf "$E2E_APP_DIR/Skins/Capsule"
choose_skin_entry "$index"
answer_message "Kavoro Player" '^Load skin error\.$' "$START_TIMEOUT"
# As written for a failed switch: the name falls back to Default and the player closes.
wait_for_exit "$KAVORO_PID" "$CLOSE_TIMEOUT"
((EXIT_CODE == 0)) || fail "the player exited with $EXIT_CODE after the failed switch"
KAVORO_PID=""
grep -qxF '"SkinName"="Default"' "$SETTINGS_FILE" || fail "the settings do not fall back to Default"

# ---- 8. A configuration folder that cannot be written: close says so, the file stays.
# The player runs in a mount namespace of its own in which the folder is read-only, or a
# small file system filled to the last byte.
cat >"$E2E_OUT/in-namespace.sh" <<'SCRIPT'
set -euo pipefail
config=$1 mode=$2
shift 2
if [[ $mode == read-only ]]; then
  mount --bind "$config" "$config"
  mount -o remount,bind,ro "$config"
else
  keep=$(mktemp -d)
  cp -a "$config/." "$keep/"
  mount -t tmpfs -o size=512k tmpfs "$config"
  cp -a "$keep/." "$config/"
  rm -rf "$keep"
  dd if=/dev/zero of="$config/.filler" bs=4k 2>/dev/null || true
fi
rc=0
"$@" || rc=$?
sha256sum <"$config/HKEY_LOCAL_MACHINE.reg" >"$config.after"
exit "$rc"
SCRIPT
for mode in read-only full; do
  step "8 a $mode configuration folder"
  settings_before=$(sha256sum <"$SETTINGS_FILE")
  rm -f "$STATE_FILE" "$CONFIG.after"
  E2E_LAUNCHER=(unshare --mount --propagation private bash "$E2E_OUT/in-namespace.sh" "$CONFIG" "$mode")
  forget_messages
  start_and_wait_slide_in
  close_player_pid=$KAVORO_PID
  click_button Close
  answer_message "Kavoro Player" '.' "$MESSAGE_TIMEOUT"
  log "close said: $MESSAGE_TEXT"
  wait_for_exit "$close_player_pid" "$CLOSE_TIMEOUT"
  ((EXIT_CODE == 0)) || fail "the player exited with $EXIT_CODE"
  KAVORO_PID=""
  [[ "$(cat "$CONFIG.after")" == "$settings_before" ]] || fail "the settings file changed in the $mode folder"
  [[ "$(sha256sum <"$SETTINGS_FILE")" == "$settings_before" ]] || fail "the settings file changed"
  E2E_LAUNCHER=()
done
step "8 the next start works and close writes again"
rm -f "$STATE_FILE"
start_and_wait_slide_in
[[ "$(state Skin)" == Default ]] || fail "started with skin $(state Skin)"
forget_messages
close_player
expect_no_message
step "done"
log "all fault cases passed; screenshots in $E2E_OUT"
