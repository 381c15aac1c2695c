#!/usr/bin/env bash
# check_completion.sh VQ3360CTL VQ3360 SCRIPTS_DIR: asks the completion scripts for the words of
# a few command lines, with bash-completion loaded and without it.
set -uo pipefail
ctl=$1 vq3360=$2 scripts=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && touch lane.profile

# ask LINE: the words offered for the last word of LINE (empty after a trailing blank), one a
# line and sorted; the line is split the way bash splits it for completion.
ask() {
    local line=$1 token
    local -a words=()
    read -ra words <<<"$line"
    [[ $line == *' ' ]] && words+=("")
    COMP_WORDS=()
    for token in "${words[@]}"; do
        while [[ $token == *=* ]]; do
            [[ -n ${token%%=*} ]] && COMP_WORDS+=("${token%%=*}")
            COMP_WORDS+=("=")
            token=${token#*=}
        done
        [[ -n $token || ${#COMP_WORDS[@]} -eq 0 || ${COMP_WORDS[-1]} != = ]] && COMP_WORDS+=("$token")
    done
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$line COMP_POINT=${#line}
    COMPREPLY=()
    local completer
    completer=$(complete -p "${words[0]##*/}") && completer=${completer#*-F } && ${completer%% *} "${words[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort -u
}

devices=$("$ctl" --complete devices | tr '\n' ' ')
[ -n "$devices" ] || devices="lane.profile "
rates="300 600 1200 2400 4800 9600 19200 38400"
# A new action fails the first row until the completion is taught what it takes.
actions="emulation reset display-line charset upper lower show clear-upper clear-lower type clear"
actions+=" rescue identify"
# The line (CTL and VQ3360 stand for the programs) and every word it must be offered, no more.
cases=(
    "CTL |$actions"
    "CTL --d|--device --dry-run"
    "CTL --json --|--device --line --profile --json --dry-run --list-ports --help --version"
    "CTL --device D emulation a|ADM787 ADM788 AEDEX"
    "CTL --device D emulation adm787 --|"
    "CTL --device D emulation adm787 s|show"
    "CTL --device=D charset den|DENMARK-I DENMARK-II"
    "CTL --line 9600,n,8,1 display-line 96|9600"
    "CTL display-line 9600 e|E,8,1 E,7,1"
    "CTL rescue |$rates $actions"
    "CTL rescue 9600 o|O,8,1 O,7,1"
    "CTL rescue show c|charset clear clear-upper clear-lower"
    "CTL upper |"
    "CTL lower show s|show"
    "CTL -- r|reset rescue"
    "CTL --device |$devices"
    "CTL --device=|$devices"
    "CTL --profile |- lane.profile"
    "VQ3360 --|--com --list-ports --virtual-display --help --version"
    "VQ3360 --com 1|1= 10= 11= 12= 13= 14= 15= 16="
    "VQ3360 --com 2=|$devices"
)

# Each case in a shell of its own that knows only bash-completion, if installed, and the two
# scripts; then in one without bash-completion.
modes=(plain)
for lib in /usr/share/bash-completion/bash_completion /etc/bash_completion; do
    [ -r "$lib" ] && modes+=("$lib") && break
done
failed=0
for mode in "${modes[@]}"; do
    got=$(
        # shellcheck source=/dev/null
        [ "$mode" = plain ] || . "$mode"
        . "$scripts/vq3360ctl" && . "$scripts/vq3360"
        for row in "${cases[@]}"; do
            line=${row%%|*} line=${line//CTL/$ctl} line=${line//VQ3360/$vq3360}
            ask "$line" | tr '\n' ' '
            echo
        done
    )
    mapfile -t answers <<<"$got"
    for i in "${!cases[@]}"; do
        read -ra words <<<"${cases[i]#*|}"
        want=$( ((${#words[@]})) && printf '%s\n' "${words[@]}" | sort -u | tr '\n' ' ')
        if [ "${answers[i]-}" != "$want" ]; then
            echo "FAIL ($mode): '${cases[i]%%|*}' offered '${answers[i]-}', not '$want'" >&2
            failed=1
        fi
    done
done
[ "$failed" = 0 ] && echo "completion: ${#cases[@]} lines, ${#modes[@]} ways, all as expected"
exit "$failed"
