#!/usr/bin/env bash
# Builds a release in build-bench, runs the benchmarks and prints one markdown table.
# Benchmarks, not tests: the figures depend on the machine and its load.
set -euo pipefail
cd "$(dirname "$0")/.."
purposes=(build run bench kernel)
[ -z "${DISPLAY:-}" ] && purposes+=(xserver)
bash scripts/deps.sh "${purposes[@]}"

work=$(mktemp -d)
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

echo "Building a release in build-bench..." >&2
if ! bash scripts/build.sh build-bench Release -DBUILD_TESTING=OFF -DVQ_BUILD_BENCH=ON -- \
    vq3360 vq3360ctl bench_wire bench_minimal bench_startup bench_ctl >"$work/build.log" 2>&1; then
    cat "$work/build.log" >&2
    exit 1
fi

if [ -z "${DISPLAY:-}" ]; then
    # -displayfd picks a free display and writes its number once the server is ready.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || { echo "bench.sh: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$work/display")"
fi

# Qt's own warnings go to a log, shown only when a run fails.
run() {
    if ! "$@" >>"$work/results" 2>"$work/log"; then
        cat "$work/log" >&2
        exit 1
    fi
    grep '^bench_' "$work/log" >&2 || true
}
load=$(cut -d' ' -f1 /proc/loadavg)
echo "Measuring key and command to wire (offscreen)..." >&2
run env QT_QPA_PLATFORM=offscreen build-bench/bench/bench_wire
echo "Measuring vq3360ctl runs on pseudo-terminals..." >&2
run build-bench/bench/bench_ctl build-bench/vq3360ctl --rounds 31
echo "Measuring start-up and memory (X display $DISPLAY)..." >&2
run env QT_QPA_PLATFORM=xcb build-bench/bench/bench_startup --rounds 31 \
    build-bench/vq3360 build-bench/bench/bench_minimal

echo "Measuring vq3360ctl on the 8250 of a QEMU guest, against a reader paced at the line's rate..." >&2
status=0
python3 tests/kernel/tier.py build-bench --bench >>"$work/results" 2>"$work/log" || status=$?
if [ "$status" -eq 77 ]; then
    grep -h SKIPPED "$work/results" >&2 # the kernel tier says why it cannot run here
elif [ "$status" -ne 0 ]; then
    cat "$work/log" >&2
    exit 1
fi

cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
qt=$(awk -F'\t' '$1 == "QT" { print $2 }' "$work/results")
os=$(. /etc/os-release && echo "$PRETTY_NAME")
echo
echo "Machine: $(nproc) CPUs, ${cpu:-unknown CPU}, ${os}, Qt ${qt:-unknown}; load average" \
    "$load at the start."
echo
awk -F'\t' '
function fmt(v, unit) {
    if (unit == "us") return (v >= 1000 ? sprintf("%.2f ms", v / 1000) : sprintf("%.1f µs", v))
    if (unit == "ms") return sprintf(v < 100 ? "%.1f ms" : "%.0f ms", v)
    return sprintf("%.1f MiB", v)
}
BEGIN {
    name["key"] = "Key to wire (one key)"
    name["command"] = "Command to wire (AD&M787, 5 bytes)"
    name["burst"] = "Key to wire, 1,000 keys in a burst, per byte (all in order)"
    name["startup"] = "Start-up to main window shown, probe of 6 ports done"
    name["memory"] = "Peak resident size after start-up"
    name["ctl1"] = "vq3360ctl run, one display (emulation, 200-character line, show; 9600 baud)"
    name["ctl3"] = "vq3360ctl run, three displays, per display"
    target["key"] = "≤ 2x and < 1 ms"
    target["command"] = "≤ 2x and < 1 ms"
    target["burst"] = "< 1.04 ms (line rate)"
    target["startup"] = "≤ 1.10x"
    target["memory"] = "≤ 1.2x"
    target["ctl1"] = "line time %s + ≤ 50 ms over the bare run"
    target["ctl3"] = "line time %s + ≤ 50 ms over the bare run"
    name["paced9600"] = "vq3360ctl run, same actions, on a QEMU guest\047s 8250 read at 9600"
    name["paced1200"] = "vq3360ctl run, same actions, on a QEMU guest\047s 8250 read at 1200"
    name["rescue"] = "rescue on a QEMU guest\047s 8250 read at each line\047s rate (48 lines, then 9600)"
    for (f in name)
        if (f ~ /^(paced|rescue)/)
            target[f] = "line time + ≤ 50 ms, beside start-up under emulation %s"
    print "| Figure | Median | Min | Max | Baseline median | Ratio | Target | Met? |"
    print "|---|---|---|---|---|---|---|---|"
}
$1 == "RESULT" {
    f = $2; unit = $3; med = $4; base = $7
    ratio = base > 0 ? med / base : 0
    if (f == "key" || f == "command") met = ratio <= 2 && med < 1000
    else if (f == "burst") met = med < 1040
    else if (f == "startup") met = ratio <= 1.10
    else if (f ~ /^ctl|^paced|^rescue/) met = med - base - $11 <= 50
    else met = ratio <= 1.2
    goal = f ~ /^ctl|^paced|^rescue/ ? sprintf(target[f], fmt($11, unit)) : target[f]
    printf "| %s | %s | %s | %s | %s | %.2fx | %s | %s |\n", name[f], fmt(med, unit),
        fmt($5, unit), fmt($6, unit), fmt(base, unit), ratio, goal, met ? "yes" : "no"
    rounds[f] = $10
}
END {
    printf "\nRounds: %d keys, %d commands, %d bursts, %d start-ups of each program.\n",
        rounds["key"], rounds["command"], rounds["burst"], rounds["startup"]
    printf "%d runs of vq3360ctl and of the bare write on one and on three displays.\n", rounds["ctl1"]
    if (rounds["rescue"])
        printf "%d runs of each in the guest; its line time is the baseline.\n", rounds["rescue"]
}' "$work/results"
