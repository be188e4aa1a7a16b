#!/usr/bin/env bash
# Runs `kavoro-bench --dvd` on the fixture disc and checks what it reports: title 1 with its
# three chapters in order, then a last line with the figures, the title's 300 pictures (12 s at
# 25 frames a second) nearly all presented.
# Usage: bench-dvd-check.sh BENCH MAKE-DVD FIXTURES-DIR
set -euo pipefail
bench=$1 maker=$2 fixtures=$3
bash "$maker" "$fixtures" >/dev/null
out=$("$bench" --dvd "$fixtures/DVD" 2>/dev/null)
printf '%s\n' "$out" | grep -E '^(title|chapter|frames=)' || true
events=$(printf '%s\n' "$out" | grep -E '^(title|chapter) [0-9]+$' | paste -sd, -)
if [[ $events != "title 1,chapter 1,chapter 2,chapter 3" ]]; then
  echo "unexpected title and chapter events: $events" >&2
  exit 1
fi
last=$(printf '%s\n' "$out" | tail -n 1)
if [[ ! $last =~ ^frames=([0-9]+)\ wall=[0-9]+\.[0-9]+\ cpu=[0-9]+\.[0-9]+$ ]]; then
  echo "the last line is not the figures: $last" >&2
  exit 1
fi
# The count starts when title 1 is asked for: a picture of the first-play menu can still be
# presented after that, so one or two over the title's 300 are not a fault.
if (( BASH_REMATCH[1] < 280 || BASH_REMATCH[1] > 302 )); then
  echo "frames=${BASH_REMATCH[1]}, expected close to 300" >&2
  exit 1
fi
