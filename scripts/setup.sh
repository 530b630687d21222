#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Movalent. Idempotent and quick when all is present.
# Wine's 32-bit half is installed only where the kernel can run 32-bit programs at all.
set -euo pipefail
. "$(dirname "$0")/host-arch.sh"

packages=(cmake make python3 g++ ccache googletest libgtest-dev libcapstone-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine64 fonts-wine xvfb x11-utils xdotool imagemagick
          nsis zip unzip)  # the installer and the portable zip (scripts/package.sh), and their test
wants_i386=0
if host_runs_32bit_linux; then
    packages+=(wine32:i386)
    wants_i386=1
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
if [ $wants_i386 -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
