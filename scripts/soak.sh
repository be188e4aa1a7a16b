#!/usr/bin/env bash
# Soak: the real player for MINUTES under a private Xvfb with a home of its own, alternating
# every few minutes between a play list of generated clips (MPEG-1 and MPEG-2 program streams,
# MP4 with H.264 and AAC, Matroska with MPEG-4 and Vorbis) that the player plays round and round
# by itself, and the demo disc (Play, the menu's "Chapter 2" button, the title plays on into the
# looping root menu, whose "Chapter 2" is pressed again each time it shows). Every 10 s it
# prints the player's resident memory and open file descriptors; at the end the first, last
# and largest of each and the growth after the first round of both phases against the target.
# Exits non-zero when the player died or hung (state file unchanged, windows gone) or the
# target was missed. Not part of CI.
#   scripts/soak.sh MINUTES        (build folder: KAVORO_BUILD_DIR or build/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KAVORO_BUILD_DIR:-$root/build}"
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

[[ $# -eq 1 && "$1" =~ ^[0-9]+$ && "$1" -ge 1 ]] || { echo "usage: soak.sh MINUTES" >&2; exit 2; }
TOTAL_SECONDS=$(($1 * 60))

SAMPLE_SECONDS=10
LONGEST_PHASE=300           # files, then the disc, this long each...
SHORTEST_PHASE=30
PHASES_AT_LEAST=4           # ...but short runs still see two rounds of both
HANG_SECONDS=60             # the state file changes at least this often while anything plays
TARGET_GROWTH_MB=5
LOG_LIMIT_BYTES=$((1024 * 1024))  # the player's log is cut back to its tail beyond this
LOG_KEEP_LINES=200
START_TIMEOUT=30
GRAPH_TIMEOUT=30
MENU_TIMEOUT=30
CLOSE_TIMEOUT=20
CLIP_SECONDS=4

phase_seconds=$((TOTAL_SECONDS / PHASES_AT_LEAST))
((phase_seconds > LONGEST_PHASE)) && phase_seconds=$LONGEST_PHASE
((phase_seconds < SHORTEST_PHASE)) && phase_seconds=$SHORTEST_PHASE
round_seconds=$((2 * phase_seconds))

cmake --build "$build" --target kavoro kavoro-skins kavoro-sounds kavoro-resource-library >/dev/null
E2E_APP_DIR="$build/app"
use_private_home "$build/soak"
trap cleanup EXIT
trap_errors
need_tools Xvfb xdotool xdpyinfo xwininfo import convert identify ffmpeg

bash "$root/tools/make-fixtures/make-dvd.sh" "$build/fixtures" >/dev/null
bind_disc_as_e "$build/fixtures/DVD.iso"

# ---- The clips: a few seconds of test picture and tone each, in the containers and codecs the
# player meets most.
CLIPS="$E2E_OUT/clips"
mkdir -p "$CLIPS"
make_clip() {  # make_clip NAME TONE VIDEO-AND-AUDIO-OPTIONS...
  local name=$1 tone=$2
  shift 2
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=s=352x288:r=25:d=$CLIP_SECONDS" \
    -f lavfi -i "sine=f=$tone:r=44100:d=$CLIP_SECONDS" "$@" "$CLIPS/$name" ||
    fail "ffmpeg could not make $name"
}
CLIP_NAMES=(mpeg1.mpg mpeg2.vob h264.mp4 mpeg4.mkv)
make_clip mpeg1.mpg 440 -c:v mpeg1video -b:v 1200k -c:a mp2 -b:a 128k -f mpeg
make_clip mpeg2.vob 550 -c:v mpeg2video -b:v 2000k -c:a mp2 -b:a 192k -ar 48000 -f vob
make_clip h264.mp4 660 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 128k
make_clip mpeg4.mkv 770 -c:v mpeg4 -q:v 5 -c:a libvorbis -q:a 3

# ---- Driving the player.

start_xvfb
log "phases of ${phase_seconds}s; samples every ${SAMPLE_SECONDS}s for $((TOTAL_SECONDS / 60)) min"
start_and_wait_slide_in

stop_playing() {
  [[ "$(state PlayState)" == Stopped ]] && return 0
  click_button Stop
  wait_for_state PlayState Stopped "$GRAPH_TIMEOUT"
}

# The play list: Open File the first clip, Add File the others (the dialog now starts in their
# folder, so their names, quoted, choose all of them at once).
start_files() {
  local names="" i
  stop_playing
  click_button Open
  open_file_in_dialog "$CLIPS/${CLIP_NAMES[0]}"
  wait_for_state PlayState Playing "$GRAPH_TIMEOUT"
  play_list_menu
  xdotool key a
  for ((i = 1; i < ${#CLIP_NAMES[@]}; i++)); do names+="\"${CLIP_NAMES[i]}\" "; done
  open_file_in_dialog "$names"
  wait_for_state PlayListCount "${#CLIP_NAMES[@]}" 10
  click_button PlayList
  sleep "$E2E_SETTLE"
  xdotool mousemove 0 0
}

# menu_on_screen: true when the video area shows a disc menu (its background colour covers a
# good part of it); sets PX PY PW PH to the picture's rectangle then. The screenshot is one file,
# overwritten each time and removed.
MIN_MENU_SHARE=0.3
menu_on_screen() {
  local shot="$E2E_OUT/menu-probe.png" share box
  import -window root "$shot" 2>/dev/null || return 1
  video_inner_area
  share=$(convert "$shot" -crop "${IW}x${IH}+${IX}+${IY}" +repage -fuzz 6% -fill white \
    -opaque "$MENU_BACKGROUND" -fill black +opaque white -colorspace Gray -format '%[fx:mean]' info:)
  if ! float_ge "$share" "$MIN_MENU_SHARE"; then
    rm -f "$shot"
    return 1
  fi
  box=$(convert "$shot" -crop "${IW}x${IH}+${IX}+${IY}" +repage -fuzz 6% \
    -fill white -opaque "$MENU_BACKGROUND" -fill black +opaque white \
    -bordercolor black -border 1 -format '%@' info:)
  rm -f "$shot"
  [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
  PW=${BASH_REMATCH[1]} PH=${BASH_REMATCH[2]}
  PX=$((IX + BASH_REMATCH[3] - 1)) PY=$((IY + BASH_REMATCH[4] - 1))
}

# press_chapter2: the "Chapter 2" button of the menu on screen (same place in both menus).
press_chapter2() {
  local bx=$((PX + CHAPTER2_X * PW / DVD_WIDTH)) by=$((PY + CHAPTER2_Y * PH / DVD_HEIGHT))
  move_pointer $((bx - 20)) "$by"
  sleep 0.2
  click_at "$bx" "$by"
  xdotool mousemove 0 0
}

start_disc() {
  local deadline
  stop_playing
  click_button Play
  wait_for_state PlayState "DVD Playing 1.0X" "$GRAPH_TIMEOUT"
  deadline=$(($(now_ms) + MENU_TIMEOUT * 1000))
  until menu_on_screen; do
    (($(now_ms) < deadline)) || fail "the disc's title menu did not show"
    sleep 0.5
  done
  press_chapter2
  wait_for_state Chapter "Chapter: 2" "$GRAPH_TIMEOUT"
}

# ---- Watching.

kb_of() { sed -n "s/^$1:[[:space:]]*\([0-9]*\) kB/\1/p" "/proc/$KAVORO_PID/status"; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
fd_count() { find "/proc/$KAVORO_PID/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l; }

# The player's log is kept short: its tail survives a cut (it is opened for appending).
trim_player_log() {
  local file="$E2E_OUT/kavoro.log"
  [[ -f "$file" ]] || return 0
  (($(stat -c %s "$file") > LOG_LIMIT_BYTES)) || return 0
  tail -n "$LOG_KEEP_LINES" "$file" >"$file.tail"
  : >"$file"
  log "player log cut back to its last $LOG_KEEP_LINES lines ($file.tail)"
}

state_stamp() { cksum <"$STATE_FILE" 2>/dev/null || echo none; }

check_alive() {
  local stat
  stat=$(ps -o stat= -p "$KAVORO_PID" 2>/dev/null || true)
  [[ -n "$stat" && "$stat" != Z* ]] || fail "the player died"
  (($(count_windows "$MAIN_WINDOW_NAME") == 1)) || fail "the main window is gone"
  (($(count_windows "$VIDEO_WINDOW_NAME") == 1)) || fail "the video window is gone"
}

first_rss="" first_fds="" max_rss=0 max_fds=0 round_rss="" round_fds="" last_rss=0 last_fds=0
t0=$(now_ms)
elapsed() { echo $((($(now_ms) - t0) / 1000)); }

sample() {
  local rss fds
  rss=$(kb_of VmRSS) fds=$(fd_count)
  [[ -n "$rss" ]] || fail "no memory figure for the player"
  [[ -n "$first_rss" ]] || { first_rss=$rss first_fds=$fds; }
  ((rss > max_rss)) && max_rss=$rss
  ((fds > max_fds)) && max_fds=$fds
  last_rss=$rss last_fds=$fds
  printf '%5d s  %-5s %-18s %-12s %-16s RSS %7s MB  fds %4d\n' "$(elapsed)" "$1" \
    "$(state PlayState)" "$(state Chapter)" "$(state PlayName)" "$(mb "$rss")" "$fds"
}

# run_phase NAME UNTIL-SECONDS: samples and watches until the elapsed time reaches UNTIL.
run_phase() {
  local name=$1 until=$2 next_sample stamp changed_at now
  next_sample=$(($(elapsed) + SAMPLE_SECONDS))
  stamp=$(state_stamp) changed_at=$(elapsed)
  while (($(elapsed) < until)); do
    sleep 1
    check_alive
    now=$(elapsed)
    if [[ "$(state_stamp)" != "$stamp" ]]; then
      stamp=$(state_stamp) changed_at=$now
    elif ((now - changed_at > HANG_SECONDS)); then
      fail "the state file did not change for ${HANG_SECONDS}s"
    fi
    case $name in
      files) [[ "$(state GraphMode)" == normal && "$(state PlayState)" == Playing ]] ||
        fail "the play list stopped playing" ;;
      disc)
        [[ "$(state GraphMode)" == dvd ]] || fail "the disc stopped playing"
        # Back in the looping root menu: its "Chapter 2" plays the title on again.
        if ((now - changed_at > SAMPLE_SECONDS)) && menu_on_screen; then
          log "root menu: Chapter 2 again"
          press_chapter2
        fi ;;
    esac
    if ((now >= next_sample)); then
      sample "$name"
      next_sample=$((next_sample + SAMPLE_SECONDS))
      trim_player_log
    fi
  done
}

step "soak"
phase_end=0
while ((phase_end < TOTAL_SECONDS)); do
  phase_end=$((phase_end + phase_seconds))
  ((phase_end > TOTAL_SECONDS)) && phase_end=$TOTAL_SECONDS
  if (((phase_end - 1) / phase_seconds % 2 == 0)); then
    step "files until $phase_end s"
    start_files
    run_phase files "$phase_end"
  else
    step "disc until $phase_end s"
    start_disc
    run_phase disc "$phase_end"
  fi
  # The figures at the end of the first round of both phases are the baseline of the growth.
  if [[ -z "$round_rss" ]] && ((phase_end >= round_seconds)); then
    round_rss=$last_rss round_fds=$last_fds
    log "first round done: RSS $(mb "$round_rss") MB, $round_fds fds"
  fi
done

step "close"
click_button Close
wait_for_exit "$KAVORO_PID" "$CLOSE_TIMEOUT"
((EXIT_CODE == 0)) || fail "the player exited with $EXIT_CODE"
KAVORO_PID=""

echo "resident memory: first $(mb "$first_rss") MB, last $(mb "$last_rss") MB, largest $(mb "$max_rss") MB"
echo "open descriptors: first $first_fds, last $last_fds, largest $max_fds"
trap - ERR
if [[ -z "$round_rss" ]]; then
  echo "FAILED: the run was too short for a full round of both phases: no growth figure" >&2
  exit 1
fi
growth_kb=$((last_rss - round_rss))
met=$( ((growth_kb < TARGET_GROWTH_MB * 1024)) && echo met || echo missed)
printf 'growth after the first round: %s MB memory (target under %d MB: %s), %+d descriptors\n' \
  "$(mb "$growth_kb")" "$TARGET_GROWTH_MB" "$met" $((last_fds - round_fds))
if [[ "$met" != met ]]; then
  echo "FAILED: memory grew by $(mb "$growth_kb") MB after the first round" >&2
  exit 1
fi
