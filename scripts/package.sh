#!/usr/bin/env bash
# Builds a release without the tests in build-package, makes the Debian package there and holds
# it to lintian: build-package/vq3360_<version>_<arch>.deb, installed with
# `sudo apt-get install ./build-package/vq3360_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build package
dir=build-package
bash scripts/build.sh "$dir" Release -DBUILD_TESTING=OFF
rm -f "$dir"/vq3360_*.deb
(cd "$dir" && cpack -G DEB)
deb=$(ls "$dir"/vq3360_*.deb)
bash scripts/lint-package.sh "$deb"
echo "$deb"
