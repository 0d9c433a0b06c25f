#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, quietly and only when
# something is missing. Runs apt-get through sudo when not root.
set -euo pipefail

packages=(
  # native build and unit tests
  g++ cmake ninja-build make python3 libgtest-dev googletest libbenchmark-dev zlib1g-dev
  # the Windows program
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  # running it under Wine on a virtual display (the X libraries are what Wine's display driver loads)
  wine wine64 fonts-wine libgnutls30 libxrender1 libxrandr2 libxcursor1 libxi6 libxinerama1
  libxcomposite1 libxfixes3 libxxf86vm1 xvfb xauth
  # fonts for Chinese text, screenshots
  fonts-wqy-microhei fonts-liberation imagemagick
)
if [ "${ZOR_SETUP_FUZZ:-0}" = 1 ]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
