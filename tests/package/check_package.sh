#!/usr/bin/env bash
# Checks a built package without installing it: its files, its Depends (found by dpkg-shlibdeps),
# lintian's verdict (no error) and the AppStream metainfo (appstreamcli validate).
#   check_package.sh <zandrel_*.deb> <metainfo.xml>
set -euo pipefail
deb=$1 metainfo=$2
fail() { echo "FAIL: $*"; exit 1; }

contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/zandrel ./usr/bin/zandrel-demo ./usr/share/applications/zandrel.desktop \
            ./usr/share/icons/hicolor/256x256/apps/zandrel.png ./usr/share/metainfo/org.zandrel.Zandrel.metainfo.xml \
            ./usr/share/doc/zandrel/copyright ./usr/share/doc/zandrel/changelog.gz; do
  grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"
done

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libqt6texttospeech6 libwebsockets17 libjsoncpp25 libcurl4 libc6 \
               libstdc++6 libxcb1; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
# Read-aloud needs a speech engine to speak with; the program runs without one.
recommends=$(dpkg-deb -f "$deb" Recommends)
for engine in qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng; do
  grep -q "$engine" <<<"$recommends" || fail "Recommends lacks $engine: $recommends"
done
# Fields are read whole, never piped into grep -q: under pipefail an early exit of grep
# kills the writer with SIGPIPE and fails a check that matched.
package=$(dpkg-deb -f "$deb" Package)
[ "$package" = zandrel ] || fail "the control file names the package '$package', not zandrel"

errors=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep '^E:' || true)
[ -z "$errors" ] || fail "lintian reports errors:
$errors"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli does not accept $metainfo"
echo "PASS: the package's files, Depends, lintian and AppStream metainfo"
