#!/usr/bin/env bash
# The media tests under ThreadSanitizer (not part of CI: it takes a build of its own).
#   scripts/tsan.sh [LABEL]   (default label: media)
# Builds the tests of that label with -DKAVORO_TSAN=ON into build-tsan/ (or
# $KAVORO_TSAN_BUILD_DIR) and runs them. A race report makes its test fail (exit code 66);
# the reports are also kept in BUILD/tsan-logs/. scripts/tsan.supp says what is left out and
# why: only the calls made inside the system's FFmpeg libraries.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KAVORO_TSAN_BUILD_DIR:-$root/build-tsan}"
label="${1:-media}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVORO_TSAN=ON >/dev/null
# Everything, so the tests of any label find their programs (and the tools some tests run).
cmake --build "$build" -j"${KAVORO_JOBS:-2}"
logs="$build/tsan-logs"
rm -rf "$logs"
mkdir -p "$logs"
export TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp second_deadlock_stack=1 halt_on_error=0 log_path=$logs/tsan"
status=0
ctest --test-dir "$build" -L "$label" --output-on-failure -j1 || status=$?
reports=$(cat "$logs"/tsan.* 2>/dev/null | grep -c 'WARNING: ThreadSanitizer' || true)
echo "ThreadSanitizer reports: $reports (logs in $logs)"
exit "$status"
