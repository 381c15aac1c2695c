#!/usr/bin/env bash
# Installs what is missing to build and run, builds a release of the three programs and starts
# the utility, on a virtual X server when there is no display.
# With no arguments COM1 is a virtual display; arguments go to the utility (--com 1=/dev/ttyUSB0).
set -euo pipefail
cd "$(dirname "$0")/.."
purposes=(build run)
[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && purposes+=(xserver)
bash scripts/deps.sh "${purposes[@]}"
# Every program, as the README runs them from build-release/, and no tests: scripts/test.sh
# builds those in its own folders.
programs=(vq3360 vq3360-virtual-display vq3360ctl)
bash scripts/build.sh build-release Release -DBUILD_TESTING=OFF -- "${programs[@]}"
bin=build-release

# What this script starts ends with it, however it ends: the last started first, so the
# virtual display ends before the X server it shows on.
started=()
cleanup() {
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        kill "${started[i]}" 2>/dev/null || true
        wait "${started[i]}" 2>/dev/null || true
    done
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# start [--quiet] PROGRAM [ARGS...]: starts PROGRAM in the background and sets $ready to the
# first line it prints, read as soon as it is printed; the rest of its output is thrown away.
# --quiet throws away its standard error too.
ready=""
start() {
    local quiet="" fifo out
    [ "$1" = --quiet ] && { quiet=1; shift; }
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    if [ -n "$quiet" ]; then
        "$@" >"$fifo" 2>/dev/null &
    else
        "$@" >"$fifo" &
    fi
    started+=($!)
    exec {out}<"$fifo"
    rm -f "$fifo"
    if ! read -r ready <&"$out"; then
        echo "run.sh: $1 ended before it was ready" >&2
        exit 1
    fi
    cat <&"$out" >/dev/null &
    exec {out}<&-
}

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    # -displayfd picks a free display and prints its number once the server takes clients.
    # Its own session keeps Ctrl-C from ending it before the programs shown on it.
    start --quiet setsid Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp
    export DISPLAY=":$ready"
    echo "No display found: the windows run on a virtual X server ($DISPLAY), where nobody sees them." \
        "To see them, run this in a desktop session, or over \"ssh -X\" from one." >&2
fi

# The utility starts the virtual display beside it, as COM1, and ends it as it ends.
[ $# -eq 0 ] && set -- --virtual-display
# In the background, so that a signal to this script is handled at once, not once it ends.
"$bin/vq3360" "$@" &
started+=($!)
status=0
wait "$!" || status=$?
exit "$status"
