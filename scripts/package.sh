#!/usr/bin/env bash
# Builds the Debian package of Zandrel: build/package/zandrel_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
"$root/scripts/install-deps.sh"

# Debian's hardening flags (stack protector, fortified functions, read-only relocations bound at
# start-up), as a Debian build would pass them. CMake does not read CPPFLAGS, so its -D options
# (_FORTIFY_SOURCE) go in front of the compilers' flags. CMake takes flags from the environment
# only when it first makes a build folder, so they are also given on its command line: a folder
# from before keeps getting them too. The project's own flags (warnings, Release's -O3) come on
# top of these.
buildflags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
CPPFLAGS=$(buildflags CPPFLAGS)
CFLAGS="$CPPFLAGS $(buildflags CFLAGS)"
CXXFLAGS="$CPPFLAGS $(buildflags CXXFLAGS)"
LDFLAGS=$(buildflags LDFLAGS)
export CPPFLAGS CFLAGS CXXFLAGS LDFLAGS
# The manual pages' date, the same every build of a release: the changelog's.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l "$root/res/changelog" -S Timestamp)}
export SOURCE_DATE_EPOCH

cmake -S "$root" -B "$root/build/package" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  "-DCMAKE_C_FLAGS=$CFLAGS" "-DCMAKE_CXX_FLAGS=$CXXFLAGS" \
  "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" "-DCMAKE_SHARED_LINKER_FLAGS=$LDFLAGS" \
  "-DCMAKE_MODULE_LINKER_FLAGS=$LDFLAGS" >/dev/null
cmake --build "$root/build/package" -j "$(nproc)"
(cd "$root/build/package" && cpack -G DEB >/dev/null)
ls "$root"/build/package/zandrel_*.deb
