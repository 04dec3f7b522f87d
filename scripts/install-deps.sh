#!/usr/bin/env bash
# Installs every Debian 12 package Kadrant needs to build, test, run and package.
# Idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-multimedia-dev
  qt6-qpa-plugins libgl-dev libxkbcommon-dev
  googletest libgtest-dev libgmock-dev
  clang libclang-rt-14-dev clang-format
  fonts-liberation fonts-dejavu-core
  xvfb xauth imagemagick x11-utils
  python3 python3-pil
  dpkg-dev fakeroot file
  procps time xdotool desktop-file-utils
  libmicrohttpd-dev libqrencode-dev libgnutls28-dev chromium
  strace
  g++-mingw-w64-x86-64-posix wine64 wine nsis
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
