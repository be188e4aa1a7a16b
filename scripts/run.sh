#!/usr/bin/env bash
# Installs what the player needs, builds it and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build="${KAVORO_BUILD_DIR:-$root/build}"
bash "$root/scripts/bind-demo-disc.sh"
# Until the main window lands, the program shows what the player sees of this machine.
exec "$build/app/platform-info"
