#!/usr/bin/env bash
# Runs `kavoro-bench --dvd` on the stream test disc with chosen streams and checks the ids it
# reports delivered, the line before the figures: logical audio 0 (English) is id 0x81,
# 1 (French) 0x80, 2 (German LPCM) 0xA2; logical subpicture 0 (English) 0x20, 1 (German) 0x22
# on a wide display; title 2 has one audio stream (0x80) and no subpictures.
# Usage: bench-dvd-streams-check.sh BENCH MAKE-DVD-STREAMS FIXTURES-DIR
set -euo pipefail
bench=$1 maker=$2 fixtures=$3
bash "$maker" "$fixtures" >/dev/null
status=0
check() {
  local expected=$1
  shift
  local out streams last
  out=$("$bench" --dvd "$fixtures/DVD-STREAMS" "$@" 2>/dev/null) || {
    echo "kavoro-bench $* failed" >&2
    status=1
    return
  }
  streams=$(printf '%s\n' "$out" | tail -n 2 | head -n 1)
  last=$(printf '%s\n' "$out" | tail -n 1)
  printf '%s: %s; %s\n' "$*" "$streams" "$last"
  if [[ $streams != "streams: $expected" ]]; then
    echo "  expected streams: $expected" >&2
    status=1
  fi
  if [[ ! $last =~ ^frames=[1-9][0-9]*\ wall=[0-9]+\.[0-9]+\ cpu=[0-9]+\.[0-9]+$ ]]; then
    echo "  the last line is not the figures" >&2
    status=1
  fi
}
check "video 0xe0 audio 0x81 subpicture 0x20" --title 1
check "video 0xe0 audio 0x80 subpicture 0x22" --title 1 --audio 1 --subpicture 1
check "video 0xe0 audio 0xa2 subpicture 0x20" --title 1 --audio 2 --subpicture 0
check "video 0xe0 audio 0x80 subpicture none" --title 2
exit $status
