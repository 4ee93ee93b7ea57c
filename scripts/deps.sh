#!/usr/bin/env bash
# Installs the Debian packages Tarnello needs, only those that are missing,
# so a second run costs a single dpkg query.
# Usage: scripts/deps.sh build|test
set -euo pipefail

build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev zlib1g-dev libminizip-dev
  libcurl4-openssl-dev libavformat-dev libavcodec-dev libavfilter-dev libswresample-dev libavutil-dev
  libpulse-dev libx11-dev libxext-dev libuchardet-dev fonts-dejavu-core fonts-noto-cjk)
test_packages=(googletest libgtest-dev libbenchmark-dev libxdamage-dev xvfb xdotool imagemagick x11-utils ffmpeg
  sox zip pulseaudio pulseaudio-utils dbus playerctl xclip python3 clang libclang-rt-14-dev
  weston xwayland qt6-wayland)

wanted=("${build_packages[@]}")
if [ "${1:-build}" = test ]; then wanted+=("${test_packages[@]}"); fi

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
