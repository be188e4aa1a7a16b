# shellcheck shell=bash disable=SC2034  # the variables set here are read by the scripts that source it
# Helpers for driving the real player under a private X server: the server, the program, its
# state file, its windows and skin buttons, screenshots and pixel checks. Sourced by the
# end-to-end scenario and the benchmark scripts; expects `set -euo pipefail` in the caller.
#
# Variables the caller sets before use:
#   E2E_APP_DIR   the application folder (kavoro, Skins/)
#   E2E_OUT       a folder for the logs and the screenshots
#   STATE_FILE    the file the player reports its state in
#   (use_private_home sets E2E_OUT and STATE_FILE together with a home of its own)
#   VIDEO_WIN     the video window's id, for the disc helpers

E2E_SCREEN_WIDTH=1280
E2E_SCREEN_HEIGHT=1024
E2E_FIRST_DISPLAY=90
E2E_LAST_DISPLAY=199
E2E_POLL=0.05             # seconds between two looks at a condition
E2E_SETTLE=0.3            # seconds for a redraw after a condition is met
MAIN_WINDOW_NAME='^Kavoro Player$'
VIDEO_WINDOW_NAME='^Video$'

XVFB_PID=""
KAVORO_PID=""
E2E_STEP="setup"
E2E_STARTED_PIDS=()

# Makes the configuration folder and the runtime folder, which Qt insists is the user's alone.
make_private_folders() {
  : "${XDG_CONFIG_HOME:?}" "${XDG_RUNTIME_DIR:?}"
  mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/kavoro"
  chmod 0700 "$XDG_RUNTIME_DIR"
}

# A fresh output folder OUT with a settings home of its own inside, never the user's: sets
# E2E_OUT, STATE_FILE, HOME and the XDG folders.
use_private_home() {
  E2E_OUT="$1"
  rm -rf "$E2E_OUT"
  mkdir -p "$E2E_OUT"
  STATE_FILE="$E2E_OUT/state.txt"
  local home="$E2E_OUT/home"
  export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_RUNTIME_DIR="$home/run" XDG_CACHE_HOME="$home/cache"
  make_private_folders
}

# start_scenario APP_DIR DISC OUT_DIR: the common start of a scenario run by CTest with a home
# of its own: a fresh output folder (E2E_OUT, STATE_FILE), the program's folder (E2E_APP_DIR),
# the player's settings wiped and DISC (an image or folder) bound as drive E:; cleanup on exit
# and errors named. Sets CONFIG, the player's settings folder.
start_scenario() {
  E2E_APP_DIR="$(cd "$1" && pwd)"
  rm -rf "$3"
  mkdir -p "$3"
  E2E_OUT="$(cd "$3" && pwd)"
  STATE_FILE="$E2E_OUT/state.txt"
  trap cleanup EXIT
  trap_errors
  [[ -x "$E2E_APP_DIR/kavoro" ]] || fail "no program $E2E_APP_DIR/kavoro"
  [[ -e "$2" ]] || fail "no disc $2"
  CONFIG="$XDG_CONFIG_HOME/kavoro"
  rm -rf "$CONFIG"
  make_private_folders
  bind_disc_as_e "$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
}

# Binds a disc image or DVD folder (an absolute path) as drive E: in the player's drives file.
bind_disc_as_e() { printf '[Drives]\nE=%s\n' "$1" >"$XDG_CONFIG_HOME/kavoro/drives.ini"; }

log() { printf '[%s] %s\n' "$(date +%H:%M:%S.%3N)" "$*"; }

step() {
  E2E_STEP="$*"
  log "STEP: $E2E_STEP"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# fail MESSAGE: says which step failed and what the player showed, keeps the screenshots.
fail() {
  E2E_FAILING=1
  echo "FAILED in step '$E2E_STEP': $*" >&2
  if [[ -n "${STATE_FILE:-}" && -f "$STATE_FILE" ]]; then
    echo "--- state file $STATE_FILE:" >&2
    cat "$STATE_FILE" >&2
  fi
  if [[ -n "${DISPLAY:-}" && -n "$XVFB_PID" ]] && kill -0 "$XVFB_PID" 2>/dev/null; then
    import -window root "$E2E_OUT/failure.png" 2>/dev/null && echo "--- screenshot: $E2E_OUT/failure.png" >&2
  fi
  if [[ -f "$E2E_OUT/kavoro.log" ]]; then
    echo "--- last lines of $E2E_OUT/kavoro.log:" >&2
    tail -n 30 "$E2E_OUT/kavoro.log" >&2
  fi
  echo "--- screenshots kept in $E2E_OUT" >&2
  exit 1
}

# An unexpected failing command ends the script through fail, so that it is named too.
E2E_FAILING=0
on_error() {
  ((E2E_FAILING)) && return 0
  E2E_FAILING=1
  fail "command failed (line $1): $2"
}
trap_errors() {
  set -E
  trap 'on_error "$LINENO" "$BASH_COMMAND"' ERR
}

# count_windows NAME-REGEX: how many visible windows have that name. A window that goes while
# xdotool looks at it makes xdotool fail: that counts as gone.
count_windows() {
  { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; } | wc -l
}

need_tools() {
  local t
  for t in "$@"; do
    command -v "$t" >/dev/null 2>&1 || fail "$t is missing (scripts/setup.sh installs it)"
  done
}

# Ends what this script started, newest first, and only that.
cleanup() {
  local i pid
  for ((i = ${#E2E_STARTED_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${E2E_STARTED_PIDS[i]}
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${E2E_STARTED_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  E2E_STARTED_PIDS=()
}

forget_pid() {
  local keep=() p
  for p in "${E2E_STARTED_PIDS[@]}"; do [[ "$p" == "$1" ]] || keep+=("$p"); done
  E2E_STARTED_PIDS=("${keep[@]}")
}

# ---- X server.

# start_xvfb: a private server on the first display number from E2E_FIRST_DISPLAY that is free;
# another user may take a number between the look and the start, so a server that dies is
# retried on the next number.
start_xvfb() {
  local n waited
  for ((n = E2E_FIRST_DISPLAY; n <= E2E_LAST_DISPLAY; n++)); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 "${E2E_SCREEN_WIDTH}x${E2E_SCREEN_HEIGHT}x24" -nolisten tcp -noreset \
      >"$E2E_OUT/xvfb.log" 2>&1 &
    XVFB_PID=$!
    E2E_STARTED_PIDS+=("$XVFB_PID")
    for ((waited = 0; waited < 100; waited++)); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      if [[ -S /tmp/.X11-unix/X$n ]] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$n"
        log "Xvfb on $DISPLAY (pid $XVFB_PID)"
        return 0
      fi
      sleep "$E2E_POLL"
    done
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    forget_pid "$XVFB_PID"
    XVFB_PID=""
  done
  fail "no free X display between :$E2E_FIRST_DISPLAY and :$E2E_LAST_DISPLAY"
}

# ---- The program.

# The sound device the player is started with ("none": no device; empty: the system's default),
# and a command (an array) that the program is started through, for a namespace of its own.
E2E_AUDIO_DEVICE=none
E2E_LAUNCHER=()

# start_kavoro [LOG]: starts the player in the background with the state file; sets KAVORO_PID.
start_kavoro() {
  local logfile=${1:-$E2E_OUT/kavoro.log}
  # The windows of an earlier player are gone, and X may hand their ids to the new one's.
  [[ -n "${KAVORO_PID:-}" ]] && kill -0 "$KAVORO_PID" 2>/dev/null || MAIN_WIN="" VIDEO_WIN=""
  KAVORO_STATE_FILE="$STATE_FILE" KAVORO_AUDIO_DEVICE="$E2E_AUDIO_DEVICE" QT_QPA_PLATFORM=xcb \
    "${E2E_LAUNCHER[@]}" "$E2E_APP_DIR/kavoro" >>"$logfile" 2>&1 &
  KAVORO_PID=$!
  E2E_STARTED_PIDS+=("$KAVORO_PID")
}

# wait_for_exit PID TIMEOUT: the exit code of the process, or fails when it outlives TIMEOUT.
# Sets EXIT_CODE.
wait_for_exit() {
  local pid=$1 timeout=$2 deadline
  deadline=$(($(now_ms) + timeout * 1000))
  while kill -0 "$pid" 2>/dev/null; do
    # A zombie counts as ended: only `wait` collects its code.
    [[ "$(ps -o stat= -p "$pid" 2>/dev/null)" == Z* ]] && break
    (($(now_ms) < deadline)) || fail "process $pid still runs after ${timeout}s"
    sleep "$E2E_POLL"
  done
  EXIT_CODE=0
  wait "$pid" || EXIT_CODE=$?
  forget_pid "$pid"
}

# ---- The state file.

# state KEY: the value of KEY in the state file ("" when absent).
state() {
  [[ -f "$STATE_FILE" ]] || return 0
  sed -n "s/^$1=//p" "$STATE_FILE" | head -n 1
}

# wait_for_state KEY VALUE TIMEOUT
wait_for_state() {
  local key=$1 value=$2 timeout=$3 deadline
  deadline=$(($(now_ms) + timeout * 1000))
  while [[ "$(state "$key")" != "$value" ]]; do
    if (($(now_ms) >= deadline)); then
      fail "$key did not become '$value' within ${timeout}s (it is '$(state "$key")')"
    fi
    [[ -z "$KAVORO_PID" ]] || kill -0 "$KAVORO_PID" 2>/dev/null || fail "the player ended while waiting for $key=$value"
    sleep "$E2E_POLL"
  done
}

# wait_for_state_not KEY VALUE TIMEOUT: waits for KEY to leave VALUE (and exist).
wait_for_state_not() {
  local key=$1 value=$2 timeout=$3 deadline
  deadline=$(($(now_ms) + timeout * 1000))
  while [[ "$(state "$key")" == "$value" || -z "$(state "$key")" ]]; do
    (($(now_ms) < deadline)) || fail "$key stayed '$value' for ${timeout}s"
    sleep "$E2E_POLL"
  done
}

# number_in TEXT: the first whole number in TEXT ("Chapter: 2" -> 2).
number_in() { grep -oE '[0-9]+' <<<"$1" | head -n 1; }

# ---- Windows.

# window_id NAME-REGEX: the visible window of that name, or nothing.
window_id() { { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; } | head -n 1; }

# wait_for_window NAME-REGEX TIMEOUT: prints the window's id once it is mapped.
wait_for_window() {
  local name=$1 timeout=$2 deadline id
  deadline=$(($(now_ms) + timeout * 1000))
  while :; do
    id=$(window_id "$name")
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    (($(now_ms) < deadline)) || fail "no visible window '$name' within ${timeout}s"
    sleep "$E2E_POLL"
  done
}

# geometry WINDOW: sets WX WY WW WH (position on the screen and size).
geometry() {
  local line
  WX="" WY="" WW="" WH=""
  while IFS= read -r line; do
    case $line in
      X=*) WX=${line#X=} ;;
      Y=*) WY=${line#Y=} ;;
      WIDTH=*) WW=${line#WIDTH=} ;;
      HEIGHT=*) WH=${line#HEIGHT=} ;;
    esac
  done < <(xdotool getwindowgeometry --shell "$1")
  [[ -n "$WX" && -n "$WW" ]] || fail "no geometry for window $1"
}

# focused_window: the window holding the keyboard focus (no window manager here).
focused_window() { xdotool getwindowfocus 2>/dev/null || true; }

# visible_windows: the mapped top-level windows, named or not (a file dialog may have no title).
visible_windows() {
  local root
  root=$(printf '%d' "$(xwininfo -root | awk '/Window id:/ { print $4 }')")
  { xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null || true; } | { grep -vx "$root" || true; }
}

# wait_for_new_window TIMEOUT KNOWN-ID...: prints a visible, named window that is none of
# KNOWN (a dialog that just opened).
wait_for_new_window() {
  local timeout=$1 deadline id known found
  shift
  deadline=$(($(now_ms) + timeout * 1000))
  while :; do
    for id in $(visible_windows); do
      found=1
      for known in "$@"; do [[ "$id" == "$known" ]] && found=0; done
      if ((found)); then
        geometry "$id"
        # Tool tips and the menus' shadows are small; a dialog is not.
        if ((WW > 200 && WH > 150)); then echo "$id"; return 0; fi
      fi
    done
    (($(now_ms) < deadline)) || fail "no new window within ${timeout}s"
    sleep "$E2E_POLL"
  done
}

# ---- Skins and buttons.

# A skin's description; E2E_SKIN_COPIES, when set, is a folder with copies of the skins, used for
# a skin whose folder the scenario deleted from under the running player.
E2E_SKIN_COPIES=""
skin_ini() {
  local ini="$E2E_APP_DIR/Skins/$1/Skin.ini"
  [[ -f "$ini" || -z "$E2E_SKIN_COPIES" ]] || ini="$E2E_SKIN_COPIES/$1/Skin.ini"
  echo "$ini"
}

# ini_value FILE KEY: the value of the first KEY= line (keys are unique in a skin file).
ini_value() { sed -n "s/^$2[[:space:]]*=[[:space:]]*//p" "$1" | head -n 1 | tr -d '\r'; }

# button_rect NAME [SKIN]: sets BL BT BW BH from the skin's [ButtonInfo] Button_NAME line.
button_rect() {
  local skin=${2:-$(state Skin)} ini line
  [[ -n "$skin" ]] || fail "the state file names no skin"
  ini=$(skin_ini "$skin")
  line=$(ini_value "$ini" "Button_$1")
  [[ -n "$line" ]] || fail "no Button_$1 in $ini"
  IFS=, read -r BL BT BW BH _ <<<"$line"
}

# click_button NAME [MOUSE-BUTTON]: clicks the middle of a skin button of the main window.
click_button() {
  local main
  main=$(wait_for_window "$MAIN_WINDOW_NAME" 5)
  button_rect "$1"
  geometry "$main"
  click_at $((WX + BL + BW / 2)) $((WY + BT + BH / 2)) "${2:-1}"
}

# move_pointer X Y: moves and waits for the move. xdotool's --sync waits for motion, which never
# comes when the pointer is there already.
move_pointer() {
  local X="" Y="" line
  while IFS= read -r line; do
    case $line in X=*) X=${line#X=} ;; Y=*) Y=${line#Y=} ;; esac
  done < <(xdotool getmouselocation --shell)
  [[ "$X" == "$1" && "$Y" == "$2" ]] || xdotool mousemove --sync "$1" "$2"
}

# click_at X Y [MOUSE-BUTTON]: the pointer goes there first, so that the control sees it enter.
click_at() {
  move_pointer "$1" "$2"
  sleep 0.1
  xdotool click "${3:-1}"
}

# type_into WINDOW TEXT: gives WINDOW the keyboard and types TEXT, then Return.
type_into() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep "$E2E_SETTLE"
  xdotool type --delay 15 "$2"
  sleep 0.2
  xdotool key Return
}

# ---- The demo disc.

# The demo disc's menu: a 720x576 4:3 picture, background 0x1b2a5a; the "Chapter 2" button
# (jump title 1 chapter 2) covers x 200..519, y 320..389 of the picture.
DVD_WIDTH=720
DVD_HEIGHT=576
MENU_BACKGROUND='#1b2a5a'
CHAPTER2_X=360
CHAPTER2_Y=355

# video_inner_area: sets IX IY IW IH, the screen rectangle inside the video window's frame
# (the frame's pieces take their sizes from the current skin's pictures).
video_inner_area() {
  local ini dir left right top bottom
  ini=$(skin_ini "$(state Skin)")
  dir=$(dirname "$ini")
  left=$(identify -format '%w' "$dir/$(ini_value "$ini" Video_Left_PIC)")
  right=$(identify -format '%w' "$dir/$(ini_value "$ini" Video_Right_PIC)")
  top=$(identify -format '%h' "$dir/$(ini_value "$ini" Video_Top_Center_PIC)")
  bottom=$(identify -format '%h' "$dir/$(ini_value "$ini" Video_Bottom_Center_PIC)")
  geometry "$VIDEO_WIN"
  IX=$((WX + left)) IY=$((WY + top)) IW=$((WW - left - right)) IH=$((WH - top - bottom))
}

# menu_picture_rect SHOT: sets PX PY PW PH, the screen rectangle of the disc's picture, found
# as the bounding box of the menu's background colour inside the video area of SHOT.
menu_picture_rect() {
  local box w h x y
  box=$(convert "$1" -crop "${IW}x${IH}+${IX}+${IY}" +repage -fuzz 6% \
    -fill white -opaque "$MENU_BACKGROUND" -fill black +opaque white \
    -bordercolor black -border 1 -format '%@' info:)
  [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || fail "no menu picture in $1 ($box)"
  w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
  PX=$((IX + x - 1)) PY=$((IY + y - 1)) PW=$w PH=$h
}

# click_dvd_chapter2 SHOT: clicks the menu's "Chapter 2" button, found in SHOT (the menu on screen).
click_dvd_chapter2() {
  local bx by
  video_inner_area
  menu_picture_rect "$1"
  bx=$((PX + CHAPTER2_X * PW / DVD_WIDTH))
  by=$((PY + CHAPTER2_Y * PH / DVD_HEIGHT))
  log "picture at ${PW}x${PH}+${PX}+${PY}; clicking ($bx,$by)"
  # Over the button first: the move selects it, the release activates it.
  move_pointer $((bx - 20)) "$by"
  sleep 0.2
  click_at "$bx" "$by"
}

# ---- Pictures.

# screenshot NAME: the whole screen into E2E_OUT/NAME.png; prints the path.
screenshot() {
  local file="$E2E_OUT/$1.png"
  import -window root "$file" || fail "screenshot $file failed"
  echo "$file"
}

# region_stat FILE W H X Y FX: an fx figure (mean, standard_deviation, ...) of the region, 0..1.
region_stat() {
  convert "$1" -crop "$2x$3+$4+$5" +repage -colorspace RGB -format "%[fx:$6]" info:
}

# float_ge A B: true when A >= B.
float_ge() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

# image_size FILE: prints "W H".
image_size() { identify -format '%w %h' "$1"; }

# ---- Message boxes. The player writes each message to its standard error as one line,
# "CAPTION: TEXT", besides showing it; LOG_SEEN is how many lines of the log were looked at.

LOG_SEEN=0

log_file() { echo "$E2E_OUT/kavoro.log"; }

# new_messages: the message lines of the log after LOG_SEEN, captions of the player's own.
new_messages() {
  [[ -f "$(log_file)" ]] || return 0
  tail -n +$((LOG_SEEN + 1)) "$(log_file)" | { grep -E '^(Kavoro Player|Error): ' || true; }
}

# forget_messages: what the log holds so far counts as seen.
forget_messages() { LOG_SEEN=$( [[ -f "$(log_file)" ]] && wc -l <"$(log_file)" || echo 0); }

# answer_message CAPTION TEXT-REGEX TIMEOUT: waits for a message of that caption whose text
# matches, shown in a window of its own, and answers it with Return. Sets MESSAGE_TEXT.
answer_message() {
  local caption=$1 pattern=$2 timeout=$3 deadline line id=""
  deadline=$(($(now_ms) + timeout * 1000))
  while :; do
    line=$(new_messages | head -n 1)
    [[ -n "$line" ]] && break
    (($(now_ms) < deadline)) || fail "no message '$caption: $pattern' within ${timeout}s"
    sleep "$E2E_POLL"
  done
  MESSAGE_TEXT=${line#"$caption: "}
  [[ "$line" == "$caption: "* ]] && grep -qE "$pattern" <<<"$MESSAGE_TEXT" ||
    fail "message '$line' is not '$caption: $pattern'"
  LOG_SEEN=$(($(grep -nFx -- "$line" <(tail -n +$((LOG_SEEN + 1)) "$(log_file)") | head -n 1 | cut -d: -f1) + LOG_SEEN))
  # The box: a visible top-level window of that caption (or none yet) that is neither of the
  # player's windows.
  local name
  while :; do
    for id in $(visible_windows); do
      [[ "$id" == "${MAIN_WIN:-}" || "$id" == "${VIDEO_WIN:-}" ]] && { id=""; continue; }
      name=$(xdotool getwindowname "$id" 2>/dev/null || true)
      geometry "$id"
      [[ ("$name" == "$caption" || -z "$name") && $WW -ge 100 && $WH -ge 50 ]] && break 2
      id=""
    done
    if (($(now_ms) >= deadline)); then
      for id in $(visible_windows); do
        geometry "$id"
        echo "window $id '$(xdotool getwindowname "$id" 2>/dev/null || true)' ${WW}x${WH}" >&2
      done
      fail "the message '$line' shows no window"
    fi
    sleep "$E2E_POLL"
  done
  log "message: $line"
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id" 2>/dev/null || true
  sleep 0.1
  xdotool key Return
  while visible_windows | grep -qx "$id"; do
    (($(now_ms) < deadline + 5000)) || fail "the message box '$line' did not close"
    sleep "$E2E_POLL"
  done
}

# expect_no_message: no message was shown since the last one looked at.
expect_no_message() {
  local lines
  lines=$(new_messages)
  [[ -z "$lines" ]] || fail "unexpected message: $lines"
}

# ---- Scenario steps shared by the scenarios.

START_TIMEOUT=${START_TIMEOUT:-20}   # windows up and slid in

# start_and_wait_slide_in: starts the player and waits for both windows and the slide-in;
# sets MAIN_WIN and VIDEO_WIN.
start_and_wait_slide_in() {
  start_kavoro
  MAIN_WIN=$(wait_for_window "$MAIN_WINDOW_NAME" "$START_TIMEOUT")
  VIDEO_WIN=$(wait_for_window "$VIDEO_WINDOW_NAME" "$START_TIMEOUT")
  wait_for_state Sliding 0 "$START_TIMEOUT"
  sleep "$E2E_SETTLE"
}

# open_file_in_dialog TEXT: types TEXT (a path, or several names in quotes) into the file
# dialog that is opening and accepts it.
open_file_in_dialog() {
  local dialog
  dialog=$(wait_for_new_window 10 "$MAIN_WIN" "$VIDEO_WIN")
  type_into "$dialog" "$1"
  # The dialog closes on existing files.
  local deadline=$(($(now_ms) + 10000))
  while visible_windows | grep -qx "$dialog"; do
    (($(now_ms) < deadline)) || fail "the file dialog did not take $1"
    sleep "$E2E_POLL"
  done
}

# The play list's context menu: the list shown, a right click in its empty lower half.
play_list_menu() {
  [[ "$(state PlayListShown)" == 1 ]] || { click_button PlayList; wait_for_state PlayListShown 1 5; }
  video_inner_area
  click_at $((IX + IW / 2)) $((IY + IH * 7 / 8)) 3
  sleep "$E2E_SETTLE"
}

# skin_menu_index NAME: where the "Select Skin" submenu lists NAME: the skin folders sorted by
# name with case folded, hidden ones left out.
skin_menu_index() {
  local name=$1 index=-1 i=0 entry
  while IFS= read -r entry; do
    [[ "$entry" == .* || ! -d "$E2E_APP_DIR/Skins/$entry" ]] && continue
    [[ "$entry" == "$name" ]] && index=$i
    i=$((i + 1))
  done < <(ls -1 -a "$E2E_APP_DIR/Skins" | LC_ALL=C sort -f)
  ((index >= 0)) || fail "no skin folder $name"
  echo "$index"
}

# open_skin_menu: main menu -> "&Select Skin", by keyboard: the submenu opens on its first entry.
open_skin_menu() {
  click_button MainMenu
  sleep "$E2E_SETTLE"
  xdotool key s
  sleep "$E2E_SETTLE"
}

# choose_skin_entry INDEX: in the open submenu, the entry INDEX.
choose_skin_entry() {
  local i
  for ((i = 0; i < $1; i++)); do xdotool key Down; sleep 0.05; done
  xdotool key Return
}

# select_skin NAME: main menu -> "&Select Skin" -> NAME.
select_skin() {
  local index
  index=$(skin_menu_index "$1")
  open_skin_menu
  choose_skin_entry "$index"
}

# check_main_size SKIN: the main window has the size of the skin's main picture.
check_main_size() {
  local ini pic size
  ini=$(skin_ini "$1")
  pic="$(dirname "$ini")/$(ini_value "$ini" MainPIC)"
  size=$(image_size "$pic")
  geometry "$MAIN_WIN"
  [[ "$WW $WH" == "$size" ]] || fail "main window is ${WW}x${WH}, the $1 skin's main picture $size"
}

# make_clip OUT SECONDS TONE: an MPEG-1 clip of the test picture and a tone.
make_clip() {
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=s=352x288:r=25:d=$2" \
    -f lavfi -i "sine=f=$3:r=44100:d=$2" -c:v mpeg1video -b:v 1200k -c:a mp2 -b:a 128k \
    -f mpeg "$1" || fail "ffmpeg could not make $1"
}

# ---- Consistency of what is shown with what plays.

# check_state_consistent: the labels in the state file agree with the graph's own state:
# "Stopped" exactly when there is no graph, "Playing" over a running file graph, "DVD Playing"
# over a running disc graph, "Pause" over a paused one, and the play index inside the list.
check_state_consistent() {
  local play active mode graph count index live=$STATE_FILE
  # One copy, read whole: the player may write a new file between two lines read.
  cp "$live" "$E2E_OUT/state-checked.txt"
  STATE_FILE="$E2E_OUT/state-checked.txt"
  play=$(state PlayState) active=$(state GraphActive) mode=$(state GraphMode)
  graph=$(state GraphState) count=$(state PlayListCount) index=$(state PlayIndex)
  case $play in
    Stopped) [[ "$active" == 0 && "$graph" == none ]] ;;
    Playing) [[ "$active" == 1 && "$mode" == normal && "$graph" == running ]] ;;
    "DVD Playing "*) [[ "$active" == 1 && "$mode" == dvd && "$graph" == running ]] ;;
    Pause) [[ "$active" == 1 && "$graph" == paused ]] ;;
    *) false ;;
  esac || fail "PlayState '$play' over a graph active=$active mode=$mode state=$graph"
  ((index >= -1 && index < count)) || fail "PlayIndex $index outside a list of $count"
  if [[ "$play" != Stopped ]] && ((index < 0)); then fail "PlayState '$play' with no line playing"; fi
  if [[ "$mode" == dvd && "$active" == 1 ]]; then
    [[ "$(state PlayListLine0)" == "DVD Video Drive "* ]] || fail "a disc plays, the list shows '$(state PlayListLine0)'"
  fi
  STATE_FILE=$live
}
