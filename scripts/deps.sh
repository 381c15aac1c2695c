#!/usr/bin/env bash
# deps.sh [PURPOSE...]: installs the Debian 12 packages the project needs for each PURPOSE (build,
# run, xserver, test, package, bench, kernel; all of them when none is named). Does nothing when all
# are there. VQ_WITH_CLANG=1 adds clang and libFuzzer for scripts/fuzz.sh.
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
    # tests/kernel: a guest under software emulation, its initramfs made of static busybox, udev
    # run in the guest from this machine's root, the tier's own script; and a Debian 6.1 kernel,
    # unpacked into a cache (below), never installed.
    [kernel]="qemu-system-x86 busybox-static udev python3"
)

purposes=("$@")
[ ${#purposes[@]} -eq 0 ] && purposes=(build run xserver test package bench kernel)
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
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# The kernel tier's guest kernel: the newest linux-image-6.1.0-N-amd64-unsigned (N moves from
# week to week), its image unpacked from the xz stream inside vmlinuz, which boots directly and
# 4 s sooner under emulation than vmlinuz, and only the modules the guest loads. Kept until the
# cache is removed; tests/kernel reads it from the same place.
fetch_kernel() {
    local cache=${VQ_KERNEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vq3360-kernel}
    [ -s "$cache/vmlinux" ] && return 0
    local search='^linux-image-6\.1\.0-[0-9]+-amd64-unsigned$' pkg
    pkg=$(apt-cache search --names-only "$search" | cut -d' ' -f1 | sort -V | tail -n1)
    if [ -z "$pkg" ]; then
        $sudo apt-get update -qq
        pkg=$(apt-cache search --names-only "$search" | cut -d' ' -f1 | sort -V | tail -n1)
    fi
    [ -n "$pkg" ] || { echo "deps.sh: no Debian 6.1 kernel package found" >&2; return 1; }
    local version=${pkg#linux-image-} work
    version=${version%-unsigned}
    echo "Unpacking $pkg into $cache"
    work=$(mktemp -d)
    [ "$(id -u)" -eq 0 ] && chown _apt "$work" # apt downloads as its own user
    (cd "$work" && apt-get download -qq "$pkg")
    local mods=./lib/modules/$version/kernel parts=()
    for d in fs/9p fs/netfs fs/fscache fs/overlayfs net/9p drivers/virtio drivers/usb/common \
        drivers/usb/core drivers/usb/host drivers/usb/serial; do
        parts+=("$mods/$d")
    done
    dpkg-deb --fsys-tarfile "$work"/*.deb | tar -x -C "$work" "./boot/vmlinuz-$version" "${parts[@]}"
    local image=$work/boot/vmlinuz-$version offset
    offset=$(LC_ALL=C grep -m1 -obUaP '\xfd7zXZ\x00' "$image" | awk -F: 'NR == 1 { print $1 }')
    mkdir -p "$cache"
    rm -rf "$cache/lib"
    mv "$work/lib" "$cache/lib"
    # xz stops at the stream's end, before the file's.
    xz -dc --single-stream <(tail -c +"$((offset + 1))" "$image") >"$cache/vmlinux.new"
    echo "$version" >"$cache/version"
    mv "$cache/vmlinux.new" "$cache/vmlinux"
    rm -rf "$work"
}
for purpose in "${purposes[@]}"; do
    [ "$purpose" = kernel ] && fetch_kernel
done
exit 0
