#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and benchmarking need.
# Only missing packages are installed; the package lists are refreshed only then.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev libqt6opengl6-dev libgl-dev libegl-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
  libasound2-dev libyuv-dev libvips-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils xdotool imagemagick
  libgl1-mesa-dri libglx-mesa0 libegl-mesa0 fonts-dejavu-core
  ffmpeg gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  qt6-wayland weston librsvg2-bin desktop-file-utils appstream man-db dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
