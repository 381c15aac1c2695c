#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs; does nothing when all are there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-serialport-dev libgl-dev
    # Metric-compatible faces for Times New Roman, Arial, Courier New and a Comic Sans look-alike.
    fonts-liberation fonts-liberation2 fonts-comic-neue fonts-dejavu-core
    # Looking at real windows: a virtual X server, key presses, screenshots.
    xvfb xdotool imagemagick
)
[ "${VQ_WITH_CLANG:-0}" = 1 ] && packages+=(clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
