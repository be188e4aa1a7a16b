#!/usr/bin/env bash
# The threaded tests under ThreadSanitizer (not part of CI: it takes a build of its own).
#   scripts/tsan.sh [LABEL...]   (default: media dvd graph)
# Builds the tests of those labels with -DKAVORO_TSAN=ON into build-tsan/ (or
# $KAVORO_TSAN_BUILD_DIR) and runs them. A race report makes its test fail (exit code 66);
# the reports are also kept in BUILD/tsan-logs/. scripts/tsan.supp says what is left out and
# why: only the calls made inside the system's FFmpeg libraries.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KAVORO_TSAN_BUILD_DIR:-$root/build-tsan}"
labels=("$@")
[ ${#labels[@]} -gt 0 ] || labels=(media dvd graph)
label_regex="^($(IFS='|'; echo "${labels[*]}"))\$"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVORO_TSAN=ON >/dev/null
# Everything, so the tests of any label find their programs (and the tools some tests run).
# The build runs its own instrumented tools (the skin and sound makers), under the same
# suppressions.
TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp" cmake --build "$build" -j"${KAVORO_JOBS:-2}"
logs="$build/tsan-logs"
rm -rf "$logs"
mkdir -p "$logs"
# die_after_fork=0: tests start helper programs (xprop, ffmpeg, the registration program) from
# threaded processes; the child only executes the program.
export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp second_deadlock_stack=1 halt_on_error=0 die_after_fork=0 log_path=$logs/tsan"
status=0
ctest --test-dir "$build" -L "$label_regex" --output-on-failure -j1 || status=$?
reports=$(cat "$logs"/tsan.* 2>/dev/null | grep -c 'WARNING: ThreadSanitizer' || true)
echo "ThreadSanitizer reports: $reports (labels: ${labels[*]}; logs in $logs)"
# A report fails its test already; this also catches one from a helper process whose exit
# code the test does not look at.
[ "$reports" -eq 0 ] || status=1
exit "$status"
