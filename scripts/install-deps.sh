#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Vantrel need, and those
# named as arguments (scripts/release.sh adds git). Safe to run again: packages already present
# are skipped without touching apt.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest
  wine64 wine fonts-wine fonts-liberation
  libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxfixes3 libxcomposite1 libxxf86vm1
  xvfb xdotool x11-utils imagemagick
  python3
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
