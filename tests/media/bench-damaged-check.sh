#!/usr/bin/env bash
# Plays damaged files with kavoro-bench as a checker (exit codes in tools/kavoro-bench/FileBench.h)
# and checks that it never hangs, ends files that cannot play in an error, plays on through
# what can be played, passes good files and calls a playback that presents nothing a stall.
# Usage: bench-damaged-check.sh BENCH MAKE-DAMAGED-FILES DIR
set -uo pipefail
bench=$1 maker=$2 dir=$3
bash "$maker" "$dir" || { echo "could not make the damaged files" >&2; exit 1; }
# A run that takes longer than this is a hang.
bound=30
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# check NAME WANT-EXIT [MIN-FRAMES MAX-FRAMES] [--realtime]: plays NAME, checks the exit code
# and the pictures presented; leaves the output in $out and the diagnostics in $err.
check() {
  local name=$1 want=$2 min=${3:-} max=${4:-} mode=${5:-}
  local start end rc
  start=$(date +%s)
  out=$(timeout -k 5 "$bound" "$bench" $mode "$dir/$name" 2>"$dir/$name.err")
  rc=$?
  end=$(date +%s)
  err=$(grep -v '@ 0x' "$dir/$name.err" || true)
  echo "$name $mode: exit $rc in $((end - start)) s: $(printf '%s' "$out" | paste -sd' ')"
  if (( rc == 124 || rc == 137 )); then fail "$name $mode hung (no end within $bound s)"; return; fi
  (( rc == want )) || fail "$name $mode: exit $rc, expected $want${err:+ ($err)}"
  if (( want == 2 )) && ! grep -qE '^error=0x[0-9A-F]{8}$' <<<"$out"; then
    fail "$name $mode: no error=0x........ line"
  fi
  if [[ -n $min ]]; then
    local frames
    frames=$(tail -n 1 <<<"$out" | tr ' ' '\n' | sed -n 's/^frames=//p')
    if [[ -z $frames ]] || (( frames < min || frames > max )); then
      fail "$name $mode: frames=${frames:-none}, expected $min..$max"
    fi
  fi
}

# Good: all 100 pictures.
check good.mpg 0 100 100
# Noise over 40..55 % of the bytes: the pictures before it (about 40) and after it are shown.
check burst.mpg 0 70 99
check burst.mpg 0 70 99 --realtime
# Every packet damaged: nothing decodes, which is an error (KAVORO_E_UNDECODABLE_STREAM).
check undecodable.mkv 2
grep -q '^error=0x8004A001$' <<<"$out" || fail "undecodable.mkv: not the undecodable-stream error"
check undecodable.mkv 2 "" "" --realtime
# The video never decodes, the sound plays: the stream is named, the run ends well.
check novideo.mkv 0 0 0
grep -q '^undecodable=Video' <<<"$err" || fail "novideo.mkv: the video stream is not reported"
# An MP4 cut before its index cannot be opened.
check cut.mp4 2
# A 30 s hole in the timestamps, in real time: nothing comes for 10 s, which is a stall.
check gap.mkv 3 "" "" --realtime
grep -q '^stalled$' <<<"$out" || fail "gap.mkv: no stalled line"

if (( failures > 0 )); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all damaged-file checks passed"
