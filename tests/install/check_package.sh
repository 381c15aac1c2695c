#!/usr/bin/env bash
# check_package.sh CPACK CPACK_CONFIG FORTIFY: makes the Debian package from a build in a scratch
# folder and holds it to lintian as scripts/package.sh does; FORTIFY is OFF for a build whose
# calls are not fortified (a Debug one).
set -euo pipefail
cpack=$1 config=$2 fortify=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if ! "$cpack" -G DEB --config "$config" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    exit 1
fi
lint=(bash "$(dirname "$0")/../../scripts/lint-package.sh")
[ "$fortify" = ON ] || lint+=(--unoptimised)
"${lint[@]}" "$out"/vq3360_*.deb
