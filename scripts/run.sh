#!/usr/bin/env bash
# Installs what is missing to build and run, builds a release of the two programs and starts
# the utility.
# With no arguments COM1 is a virtual display; arguments go to the utility (--com 1=/dev/ttyUSB0).
set -euo pipefail
cd "$(dirname "$0")/.."
purposes=(build run)
[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && purposes+=(xserver)
bash scripts/deps.sh "${purposes[@]}"
# Only the two programs: the tests are built by scripts/test.sh, in its own folders.
bash scripts/build.sh build-release Release -DBUILD_TESTING=OFF -- vq3360 vq3360-virtual-display
bin=build-release

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting a virtual X server on :77 (see it with a VNC viewer or screenshots)." >&2
    Xvfb :77 -screen 0 1280x1024x24 >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null' EXIT
    export DISPLAY=:77
    sleep 1
fi

if [ $# -gt 0 ] || [ ! -x "$bin/vq3360-virtual-display" ]; then
    exec "$bin/vq3360" "$@"
fi

fifo=$(mktemp -u)
mkfifo "$fifo"
"$bin/vq3360-virtual-display" >"$fifo" &
vd=$!
exec 3<"$fifo"
rm -f "$fifo"
read -r device <&3
cat <&3 >/dev/null &
echo "Virtual display on $device, mapped to COM1."
status=0
"$bin/vq3360" --com "1=$device" || status=$?
kill "$vd" 2>/dev/null || true
wait "$vd" 2>/dev/null || true
exit $status
