#!/usr/bin/env bash
# deps.sh [PURPOSE...]: installs the Debian 12 packages the project needs for each PURPOSE (build,
# run, xserver, test, package, bench; all of them when none is named). Does nothing when all are
# there. VQ_WITH_CLANG=1 adds clang and libFuzzer for scripts/fuzz.sh.
set -euo pipefail

declare -A sets=(
    # Qt's CMake files look for OpenGL, and call pkg-config (for xkbcommon) without checking
    # it is there.
    [build]="cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev libgl-dev"
    # Metric-compatible faces for Times New Roman, Arial, Courier New and a Comic Sans look-alike.
    [run]="fonts-liberation fonts-liberation2 fonts-comic-neue fonts-dejavu-core"
    # A virtual X server, for machines without a display (run.sh, bench.sh).
    [xserver]="xvfb"
    # What tests/install checks the installed files with: icon sizes and pixels, the SVG
    # rendered, the desktop entry, the metainfo and the man pages (its changelog check and its
    # package test take dpkg-dev and lintian from the package set); tests/ansible runs the
    # Ansible role and the shell completion; LCDd is the point-of-sale client the virtual
    # display is checked against.
    [test]="imagemagick librsvg2-bin desktop-file-utils appstream groff-base ansible-core bash-completion lcdproc"
    # dpkg-shlibdeps, and `file`, with which CPack finds the binaries to compute dependencies
    # for; lintian, which package.sh and the package test hold the .deb to.
    [package]="dpkg-dev file lintian"
    # bench_startup watches the X server through libxcb.
    [bench]="libxcb1-dev"
)

purposes=("$@")
[ ${#purposes[@]} -eq 0 ] && purposes=(build run xserver test package bench)
packages=()
for purpose in "${purposes[@]}"; do
    [ -n "${sets[$purpose]+set}" ] || { echo "deps.sh: no purpose '$purpose'" >&2; exit 2; }
    read -ra words <<<"${sets[$purpose]}"
    packages+=("${words[@]}")
done
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
