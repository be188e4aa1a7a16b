#!/usr/bin/env bash
# Installs what the build and the tests need, builds everything and runs the whole test suite.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$@"
build="${KAVORO_BUILD_DIR:-$root/build}"
cd "$build"
ctest --output-on-failure -j"${KAVORO_JOBS:-2}" ${KAVORO_CTEST_ARGS:-}
