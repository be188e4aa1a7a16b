#!/usr/bin/env bash
# Installs what the player needs, builds it and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build="${KAVORO_BUILD_DIR:-$root/build}"
bash "$root/scripts/bind-demo-disc.sh"
# The player places and shapes its own windows, which Wayland does not let a client do: on a
# Wayland session it runs through the session's X server.
if [ -n "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  export QT_QPA_PLATFORM=xcb
fi
exec "$build/app/kavoro"
