#!/usr/bin/env bash
# Configures and builds the project into build/ (or $KAVORO_BUILD_DIR), with any extra CMake
# arguments passed on. Used by run.sh, test.sh and CI.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KAVORO_BUILD_DIR:-$root/build}"
jobs="${KAVORO_JOBS:-2}"
# Compiler-cache entries keyed by paths relative to the checkout, so every checkout and build
# folder of this tree shares them.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${KAVORO_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$build" -j"$jobs"
