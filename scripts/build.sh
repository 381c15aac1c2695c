#!/usr/bin/env bash
# build.sh <folder> <build type> [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1 type=$2
shift 2
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
