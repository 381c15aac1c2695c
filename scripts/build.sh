#!/usr/bin/env bash
# build.sh <folder> <build type> [cmake options...] [-- targets...]
# Configures and builds <folder>; with targets after "--", builds only those.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1 type=$2
shift 2
options=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    options+=("$1")
    shift
done
[ $# -gt 0 ] && shift
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${options[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
