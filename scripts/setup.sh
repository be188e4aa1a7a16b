#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: packages already present are left alone. Runs as root or through sudo.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  libxcb1-dev dbus-daemon libx11-dev libxss-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libdvdnav-dev libdvdread-dev
  libasound2-dev alsa-utils
  libgsf-1-dev libgsf-bin
  libiso9660-dev
  libfluidsynth-dev fluid-soundfont-gm
  ffmpeg dvdauthor genisoimage vcdimager fonts-dejavu-core
  xvfb xauth xdotool imagemagick x11-utils
  clang libclang-rt-14-dev
  time
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
