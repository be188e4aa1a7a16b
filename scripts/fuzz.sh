#!/usr/bin/env bash
# fuzz.sh [SECONDS] [TARGET...]: builds the libFuzzer targets with clang (and the address and
# undefined-behaviour sanitizers) into build-fuzz/ (or $KAVORO_FUZZ_BUILD_DIR), then runs each
# target, or the named ones, for SECONDS (default 60), one after the other, each on a copy of its
# seeds, and prints per target the executions, libFuzzer's coverage figures (cov, ft) of its
# last stats line, the size of its corpus and what it found (crash, leak, timeout and oom files,
# with their paths). Exits 1 when any target found something or failed to run. Not part of CI.
#
# The targets and their seeds are those of the fuzz build's short-run tests ("<target>_smoke"):
# the folders such a test names are the target's seeds. Each run works in
# build-fuzz/fuzz-runs/<target>/: corpus/ (seeds plus what the run added), artifacts/ (findings)
# and fuzz.log.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift $(( $# > 0 ? 1 : 0 ))
wanted=("$@")
build="${KAVORO_FUZZ_BUILD_DIR:-$root/build-fuzz}"
jobs="${KAVORO_JOBS:-2}"
# A single input taking longer than this is a finding (a hang).
timeout_seconds="${KAVORO_FUZZ_TIMEOUT:-30}"

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: fuzz.sh [SECONDS] [TARGET...]" >&2
  exit 2
fi

bash "$root/scripts/setup.sh" || exit 2

# Compiler-cache entries keyed by paths relative to the checkout (as build.sh).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAVORO_FUZZ=ON -DKAVORO_SANITIZE=ON >/dev/null || exit 2
# Build tools (the skin maker) run under the address sanitizer too; what Qt keeps until exit
# is no finding of ours.
ASAN_OPTIONS=detect_leaks=0 cmake --build "$build" -j"$jobs" || exit 2

# target|executable|flags kept from the short run|seed folders (";"-separated)
targets="$(ctest --test-dir "$build" --show-only=json-v1 | python3 -c '
import json, os, sys
for test in json.load(sys.stdin)["tests"]:
    name = test["name"]
    if not name.endswith("_fuzz_smoke"):
        continue
    command = test["command"]
    flags = [a for a in command[1:] if a.startswith("-") and not a.startswith(("-runs=", "-seed="))]
    seeds = [a for a in command[1:] if not a.startswith("-")]
    print("|".join([name[:-len("_smoke")], command[0], " ".join(flags), ";".join(seeds)]))
')" || exit 2
if [ -z "$targets" ]; then
  echo "fuzz.sh: the fuzz build has no fuzz targets (is clang the compiler?)" >&2
  exit 2
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/.ci/lsan.supp}"

runs="$build/fuzz-runs"
summary=()
found_any=0
ran=0
while IFS="|" read -r target exe flags seeds; do
  if [ ${#wanted[@]} -gt 0 ] && ! printf '%s\n' "${wanted[@]}" | grep -qx "$target"; then
    continue
  fi
  ran=$((ran + 1))
  work="$runs/$target"
  rm -rf "$work/artifacts"
  mkdir -p "$work/corpus" "$work/artifacts"
  # The seeds are copied, so that the run's additions never land among them.
  IFS=';' read -r -a seed_dirs <<< "$seeds"
  for dir in "${seed_dirs[@]}"; do
    [ -d "$dir" ] && find "$dir" -maxdepth 1 -type f ! -name '.*' -exec cp -n -t "$work/corpus" {} +
  done
  echo "== $target: ${seconds} s on $(find "$work/corpus" -type f | wc -l) inputs"
  has_timeout=0
  [[ " $flags " == *" -timeout="* ]] && has_timeout=1
  extra=()
  [ $has_timeout -eq 0 ] && extra+=("-timeout=$timeout_seconds")
  # One process (no -jobs): the machine's other work keeps its share.
  # shellcheck disable=SC2086 # the kept flags are separate words
  (cd "$work" && "$exe" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" $flags "${extra[@]}" "$work/corpus" >"$work/fuzz.log" 2>&1)
  status=$?
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -1)"
  stats="$(grep -E '^#[0-9]+.*cov: ' "$work/fuzz.log" | tail -1)"
  cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$stats")"
  ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$stats")"
  corpus="$(find "$work/corpus" -type f | wc -l)"
  mapfile -t findings < <(find "$work/artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' \
    -o -name 'timeout-*' -o -name 'oom-*' \) | sort)
  result="ok"
  if [ ${#findings[@]} -gt 0 ]; then
    result="${#findings[@]} found"
    found_any=1
  elif [ $status -ne 0 ]; then
    result="exit $status"
    found_any=1
  fi
  echo "   executions ${executions:-?}, cov ${cov:-?}, ft ${ft:-?}, corpus $corpus files: $result"
  for f in "${findings[@]}"; do echo "   finding: $f"; done
  [ "$result" != "ok" ] && echo "   log: $work/fuzz.log"
  summary+=("$(printf '%-20s %12s %7s %7s %7s  %s' "$target" "${executions:-?}" "${cov:-?}" \
    "${ft:-?}" "$corpus" "$result")")
done <<< "$targets"

if [ $ran -eq 0 ]; then
  echo "fuzz.sh: no fuzz target of that name; there are: $(cut -f1 <<< "$targets" | tr '\n' ' ')" >&2
  exit 2
fi
echo
printf '%-20s %12s %7s %7s %7s  %s\n' target executions cov ft corpus result
printf '%s\n' "${summary[@]}"
exit $found_any
