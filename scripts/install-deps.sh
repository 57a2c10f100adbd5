#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are present.
set -euo pipefail

packages=(
    cmake g++ make pkg-config libgtest-dev libbenchmark-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64 wine32:i386
    libsndfile1-dev amsynth
    # The factory previews and demo songs: their scripts, mixing and spectrograms, and the ZIP check.
    sox python3 unzip
    # The editor: drawing, the X11 window, fonts, and the headless screenshot and input tests.
    libcairo2-dev libx11-dev libfontconfig-dev fonts-liberation fonts-dejavu-core xvfb xauth imagemagick xdotool
    python3-cairo
    # The comma-decimal locale the validator makes for its locale test.
    locales
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
