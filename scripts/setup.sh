#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Movalent. Idempotent and quick when all is present.
set -euo pipefail

packages=(cmake make python3 g++ googletest libgtest-dev libcapstone-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 fonts-wine xvfb x11-utils xdotool imagemagick)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
