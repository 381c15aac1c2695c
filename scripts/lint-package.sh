#!/usr/bin/env bash
# lint-package.sh DEB: holds a package to lintian: no error or warning, and no hardening tag,
# though lintian gives those only as information. Prints all it says, pedantic tags included.
# Lintian counts a program as fortified only by the __*_chk functions it calls, so each program
# is also checked here for any of glibc's fortified functions (__open_2 is one): an override of
# lintian's tag cannot hide a program built without _FORTIFY_SOURCE.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: lint-package.sh DEB" >&2; exit 2; }
status=0
said=$(lintian --pedantic --display-info --fail-on error,warning "$1" 2>&1) || status=$?
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
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
dpkg-deb -x "$1" "$files"
for exe in "$files"/usr/bin/*; do
    if ! grep -qE ' __[a-z0-9_]+_(chk|2)(@|$)' <<<"$(nm -D --undefined-only "$exe")"; then
        echo "lint-package.sh: ${exe#"$files"} calls no fortified function" >&2
        exit 1
    fi
done
echo "lint-package.sh: $(basename "$1"): no lintian error or warning, hardening in place"
