#!/usr/bin/env bash
# Rapid input end to end: Play, Pause, Stop and Next (the skin's buttons and the Space key)
# and skin switches (Default <-> Capsule through the main menu) sent as fast as xdotool goes,
# without waiting for the player, first on a play list of two short clips, then on the demo
# disc. Afterwards the player must answer (Pause and Play take effect in time, Close ends it
# with 0) and show what really plays: the labels in its state file agree with the graph's state.
#   rapid_input_e2e.sh APP_DIR DISC_IMAGE OUT_DIR
# HOME and the XDG folders come from the caller (CTest gives the test its own); the player's
# settings under XDG_CONFIG_HOME are wiped first. Logs (and a screenshot on failure) stay in
# OUT_DIR.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"

[[ $# -eq 3 ]] || { echo "usage: rapid_input_e2e.sh APP_DIR DISC_IMAGE OUT_DIR" >&2; exit 2; }
start_scenario "$1" "$2" "$3"

START_TIMEOUT=20
GRAPH_TIMEOUT=20      # a file or the disc starts playing
SETTLE_TIMEOUT=30     # the burst's last skin switch and graph changes are over
REACT_TIMEOUT=10      # Pause and Play take effect
CLOSE_TIMEOUT=15
COMMANDS_PER_BURST=100  # two bursts: the play list, then the disc
SKIN_SWITCH_EVERY=20    # one command in this many is a skin switch
MENU_WAIT_MS=1000       # the main menu opens within this, or the switch is given up
QUIET_SECONDS=1         # the state file unchanged this long counts as settled

need_tools Xvfb xdotool xdpyinfo xwininfo import convert identify ffmpeg

step "two clips made with ffmpeg"
CLIP_A="$E2E_OUT/clip-a.mpg"
CLIP_B="$E2E_OUT/clip-b.mpg"
make_clip "$CLIP_A" 2 440
make_clip "$CLIP_B" 2 880

start_xvfb

# ---- Helpers.

# The middles of the skin buttons the bursts use, relative to the main window, per skin.
declare -A CENTRE
for skin in Default Capsule; do
  for name in Play Pause Stop Next MainMenu; do
    button_rect "$name" "$skin"
    CENTRE[$skin.$name]="$((BL + BW / 2)) $((BT + BH / 2))"
  done
done

# button_centre NAME [SKIN]: sets BX BY, the middle of the button NAME of SKIN (by default the
# one the state file names).
button_centre() {
  local skin=${2:-$(state Skin)}
  read -r BX BY <<<"${CENTRE[${skin:-Default}.$1]}"
}

# fast_skin_switch NAME: main menu, "&Select Skin", NAME. The keys go once the menu is up (it
# takes the keyboard then); a menu that does not open in time is given up on.
fast_skin_switch() {
  local before deadline keys=(s)
  [[ "$1" == Default ]] && keys+=(Down)   # the submenu lists Capsule, then Default
  before=$(visible_windows | wc -l)
  button_centre MainMenu
  xdotool mousemove --window "$MAIN_WIN" "$BX" "$BY" click 1
  deadline=$(($(now_ms) + MENU_WAIT_MS))
  while (($(visible_windows | wc -l) <= before)); do
    (($(now_ms) < deadline)) || return 0
  done
  xdotool key "${keys[@]}" Return
}

# burst KIND COUNT: COUNT commands, cycling through KIND's sequence, every SKIN_SWITCH_EVERY-th
# a skin switch (to Capsule and back to Default in turn). The commands between two switches go
# in one xdotool run, so nothing waits for the player; before each switch the player settles
# and its state file must agree with its graph. Each click is placed relative to the
# main window where it is at that moment, also while it slides; during a switch the skin may
# not be the one loaded yet, and then a click lands beside the buttons: the transport buttons
# of each skin lie where the other skin has none, and a spot pushed back onto the screen from
# beyond its right edge only reaches buttons to the left of the one aimed at, never Close.
SKINS=(Capsule Default)
switches=0
skin_changes=0   # switches seen done at the checkpoints
last_skin=Default
burst() {
  local kind=$1 count=$2 i command sequence chain=() skin
  skin=$(state Skin)
  case $kind in
    # No Stop on the play list: Play after Stop opens the default drive's disc.
    # The lengths make the runs between switches end at different places, among them a chapter
    # step right after a pause.
    files) sequence=(Play Pause Next Space Next Play Space Pause Next Play Pause Space) ;;
    disc) sequence=(Play Pause Next Space Stop Play Next Space Next Pause Play Next Stop Play) ;;
  esac
  for ((i = 1; i <= count; i++)); do
    if ((i % SKIN_SWITCH_EVERY == 0)); then
      ((${#chain[@]} == 0)) || xdotool "${chain[@]}"
      chain=()
      # Each run of commands ends elsewhere in the sequence: what it leaves must hold.
      settle
      check_state_consistent
      [[ "$(state Skin)" != "$last_skin" ]] && skin_changes=$((skin_changes + 1))
      last_skin=$(state Skin)
      fast_skin_switch "${SKINS[switches % 2]}"
      skin=$(state Skin)
      switches=$((switches + 1))
      continue
    fi
    command=${sequence[(i - 1) % ${#sequence[@]}]}
    case $command in
      Space) chain+=(key --delay 0 space) ;;
      *)
        button_centre "$command" "$skin"
        chain+=(mousemove --window "$MAIN_WIN" "$BX" "$BY" click --delay 0 1) ;;
    esac
  done
  ((${#chain[@]} == 0)) || xdotool "${chain[@]}"
}

# settle: waits for the last skin switch to end and the state file to rest.
settle() {
  local deadline stamp
  deadline=$(($(now_ms) + SETTLE_TIMEOUT * 1000))
  # A menu the burst left open goes first.
  xdotool key Escape
  while :; do
    stamp=$(cksum <"$STATE_FILE")
    sleep "$QUIET_SECONDS"
    [[ "$(state Sliding)" == 0 && "$(cksum <"$STATE_FILE")" == "$stamp" ]] && break
    (($(now_ms) < deadline)) || fail "the player did not settle within ${SETTLE_TIMEOUT}s"
    kill -0 "$KAVORO_PID" 2>/dev/null || fail "the player ended"
  done
  MAIN_WIN=$(wait_for_window "$MAIN_WINDOW_NAME" 5)
  VIDEO_WIN=$(wait_for_window "$VIDEO_WINDOW_NAME" 5)
  xdotool mousemove 0 0
}

# answers PLAYING: Pause, then Play take effect in time; PLAYING is Play's label.
answers() {
  if [[ "$(state PlayState)" == Stopped ]]; then
    click_button Play
    wait_for_state_not PlayState Stopped "$GRAPH_TIMEOUT"
  fi
  click_button Pause
  wait_for_state PlayState Pause "$REACT_TIMEOUT"
  check_state_consistent
  click_button Play
  wait_for_state PlayState "$1" "$REACT_TIMEOUT"
  check_state_consistent
}

# ---- 1. The play list.
step "1 start, Open File the first clip, Add File the second"
start_and_wait_slide_in
click_button Open
open_file_in_dialog "$CLIP_A"
wait_for_state PlayState Playing "$GRAPH_TIMEOUT"
play_list_menu
xdotool key a
open_file_in_dialog "$CLIP_B"
wait_for_state PlayListCount 2 5
click_button PlayList
sleep "$E2E_SETTLE"

step "1 burst of $COMMANDS_PER_BURST commands on the play list"
t0=$(now_ms)
burst files "$COMMANDS_PER_BURST"
log "sent in $(($(now_ms) - t0)) ms"
settle
log "settled: $(state PlayState), $(state PlayName), skin $(state Skin)"
check_state_consistent
[[ "$(state PlayListCount)" == 2 ]] || fail "the play list holds $(state PlayListCount) lines"
[[ "$(state GraphMode)" == normal ]] || fail "the graph is in $(state GraphMode) mode on the play list"

step "1 the player answers"
answers Playing
click_button Stop
wait_for_state PlayState Stopped "$REACT_TIMEOUT"
check_state_consistent
click_button Play                  # stopped: Play opens the default drive's disc
wait_for_state PlayState "DVD Playing 1.0X" "$GRAPH_TIMEOUT"
check_state_consistent

# ---- 2. The disc.
step "2 burst of $COMMANDS_PER_BURST commands on the disc"
t0=$(now_ms)
burst disc "$COMMANDS_PER_BURST"
log "sent in $(($(now_ms) - t0)) ms"
settle
log "settled: $(state PlayState), $(state Title), $(state Chapter), skin $(state Skin)"
check_state_consistent

step "2 the player answers"
answers "DVD Playing 1.0X"
log "$switches skin switches asked for, $skin_changes seen done; skin now $(state Skin)"
((skin_changes > 0)) || fail "no skin switch took effect"

# ---- 3. Close.
step "3 Close"
click_button Close
wait_for_exit "$KAVORO_PID" "$CLOSE_TIMEOUT"
((EXIT_CODE == 0)) || fail "the player exited with $EXIT_CODE"
KAVORO_PID=""
step "done"
log "all steps passed"
