#!/usr/bin/env bash
# lint-package.sh [--unoptimised] DEB: holds a package to lintian: no error or warning, and no
# hardening tag, though lintian gives those only as information. Prints all it says, pedantic
# tags included. Fortified calls need the optimiser, so --unoptimised (a Debug build) lets
# hardening-no-fortify-functions pass.
set -euo pipefail
suppress=()
if [ "${1:-}" = --unoptimised ]; then
    suppress=(--suppress-tags hardening-no-fortify-functions)
    shift
fi
[ $# -eq 1 ] || { echo "usage: lint-package.sh [--unoptimised] DEB" >&2; exit 2; }
status=0
said=$(lintian --pedantic --display-info --fail-on error,warning "${suppress[@]}" "$1" 2>&1) ||
    status=$?
# Running as root, as CI does, is no finding.
said=$(grep -v '^running with root privileges' <<<"$said" || true)
[ -n "$said" ] && echo "$said"
if [ "$status" -ne 0 ]; then
    echo "lint-package.sh: lintian failed $1 (status $status)" >&2
    exit 1
fi
if grep -q '^[A-Z]: [^ ]*: hardening-' <<<"$said"; then
    echo "lint-package.sh: $1 is not built with Debian's hardening" >&2
    exit 1
fi
echo "lint-package.sh: $(basename "$1"): no lintian error or warning, hardening in place"
