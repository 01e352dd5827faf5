#!/usr/bin/env bash
# Builds the Debian package of Zandrel: build/package/zandrel_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/package" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build/package" -j "$(nproc)"
(cd "$root/build/package" && cpack -G DEB >/dev/null)
ls "$root"/build/package/zandrel_*.deb
