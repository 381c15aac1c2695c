#!/usr/bin/env bash
# check_role.sh VQ3360CTL VIRTUAL_DISPLAY ROLES_DIR: runs the Ansible role on this machine against
# the virtual display, in check mode and then for real, and checks what the display decoded.
# Exits 77 (skipped) without ansible-playbook.
set -uo pipefail
ctl=$1 vdisplay=$2 roles=$3
command -v ansible-playbook >/dev/null || {
    echo "SKIP: no ansible-playbook (Debian's ansible-core)"
    exit 77
}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
display=""
cleanup() {
    [ -n "$display" ] && kill "$display" 2>/dev/null && wait "$display" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

"$vdisplay" --headless >"$work/events" 2>"$work/display.err" &
display=$!
for _ in $(seq 100); do
    device=$(head -n1 "$work/events")
    [ -n "$device" ] && break
    sleep 0.1
done
[[ $device == /dev/* ]] || {
    echo "FAIL: the virtual display gave no device: $(cat "$work/display.err")" >&2
    exit 1
}

# Blanks, a comma and a semicolon in a text, and a letter beyond ASCII: they reach the display
# as written, é as the one byte E9.
printf '# lane 3\nemulation ADM787\nupper Café; lane 3, till 2  \nshow\n' >"$work/lane.profile"

python=$(command -v python3)
export ANSIBLE_ROLES_PATH=$roles ANSIBLE_HOME=$work/ansible ANSIBLE_LOCAL_TEMP=$work/ansible/tmp \
    ANSIBLE_NOCOLOR=1 ANSIBLE_LOCALHOST_WARNING=false ANSIBLE_PYTHON_INTERPRETER=$python
play() {
    (cd "$work" && ansible-playbook -c local -i localhost, "$here/site.yml" -e "ctl=$ctl" \
        -e "device=$device" -e "missing=$work/no-such-tty" -e "work=$work" "$@")
}

if ! out=$(play --check 2>&1); then
    fail "the play in check mode failed:"$'\n'"$out"
else
    for want in "would send to $device:" 'emulation ADM787: 02 05 43 33 03' 'show: 02 05 44 08 03'; do
        grep -qF "\"$want\"" <<<"$out" || fail "check mode did not report \"$want\":"$'\n'"$out"
    done
fi
out=$(play 2>&1) || fail "the play failed:"$'\n'"$out"
cmp -s "$work/lane.profile" "$work/etc/display.profile" || fail "the lane's profile is not the one given"

# Whatever the runs sent has been decoded once this, sent after them, has.
"$ctl" --device "$device" clear-lower >/dev/null || fail "vq3360ctl could not reach the display"
for _ in $(seq 100); do
    grep -q '"event":"clear_line"' "$work/events" && break
    sleep 0.1
done
decoded=$(tail -n +2 "$work/events" | python3 -c '
import json, sys
for line in sys.stdin:
    e = json.loads(line)
    print(e["event"], e.get("text", e.get("name", "")), "|", e["bytes"])')
want='emulation ADM787 | 02 05 43 33 03
store_line Café; lane 3, till 2   | 02 05 4C 31 43 61 66 E9 3B 20 6C 61 6E 65 20 33 2C 20 74 69 6C 6C 20 32 20 20 03
show_demo  | 02 05 44 08 03
clear_line  | 02 05 07 33 03'
[ "$decoded" = "$want" ] || fail "the display decoded"$'\n'"$decoded"$'\n'"not"$'\n'"$want"

[ "$failed" = 0 ] && echo "ansible role: check mode, a missing display and a second run as expected"
exit "$failed"
