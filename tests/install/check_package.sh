#!/usr/bin/env bash
# check_package.sh CPACK CPACK_CONFIG: makes the Debian package from a build in a scratch folder
# and holds it to lintian as scripts/package.sh holds the release.
set -euo pipefail
cpack=$1 config=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if ! "$cpack" -G DEB --config "$config" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    exit 1
fi
bash "$(dirname "$0")/../../scripts/lint-package.sh" "$out"/vq3360_*.deb
