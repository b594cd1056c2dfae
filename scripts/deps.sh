#!/usr/bin/env bash
# Installs what building and testing need, skipping what is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libbenchmark-dev
  libgif-dev libpng-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev
  gifsicle ffmpeg
  desktop-file-utils dpkg-dev file
  xvfb xdotool libx11-dev
  clang libclang-rt-14-dev valgrind
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
