#!/usr/bin/env bash
# Checks a built package without installing it: its files, its Depends (found by dpkg-shlibdeps)
# and Recommends, lintian's verdict, the AppStream metainfo (appstreamcli validate), and, from the
# unpacked package, the manual pages, the hardening and what it gives the desktop (the check_*.sh
# beside this). Every part runs, so that one run shows every failure.
#   check_package.sh <zandrel_*.deb> <metainfo.xml>
set -euo pipefail
deb=$1 metainfo=$2
here=$(cd "$(dirname "$0")" && pwd)
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
# Read-aloud needs a speech engine to speak with, and Chinese chat and emoji need fonts to show;
# the program runs without them. Whole names: fonts-noto-cjk-extra is not fonts-noto-cjk.
recommends=$(dpkg-deb -f "$deb" Recommends)
recommended=$(tr -s ', ' '\n\n' <<<"$recommends")
for package in qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng \
               fonts-noto-cjk fonts-noto-color-emoji qt6-translations-l10n; do
  grep -qxF "$package" <<<"$recommended" || fail "Recommends lacks $package: $recommends"
done
# Fields are read whole, never piped into grep -q: under pipefail an early exit of grep
# kills the writer with SIGPIPE and fails a check that matched.
package=$(dpkg-deb -f "$deb" Package)
[ "$package" = zandrel ] || fail "the control file names the package '$package', not zandrel"
version=$(dpkg-deb -f "$deb" Version)

failed=0
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
"$here/check_manpages.sh" "$unpacked" "$version" || failed=1
"$here/check_hardening.sh" "$unpacked" || failed=1
"$here/check_desktop.sh" "$unpacked" || failed=1

# No error or warning, and none of the informational tags of what this package takes care of
# (hardening, manual pages, the desktop entry, icons, stripping).
tags=$(lintian -I --tag-display-limit 0 "$deb" 2>&1 | grep -E '^[EWI]: ' || true)
bad=$(grep -E '^[EW]: |^I: [^ ]+ (hardening-|manpage-|desktop-|icon-|binary-has-unneeded-section|appstream-)' \
  <<<"$tags" || true)
[ -z "$bad" ] || { echo "FAIL: lintian reports:
$bad"; failed=1; }
# The packaged metainfo is this one, and appstreamcli finds no error or warning in it (notes on
# tags newer than Debian 12's AppStream, such as <developer>, are only information).
cmp -s "$metainfo" "$unpacked/usr/share/metainfo/org.zandrel.Zandrel.metainfo.xml" ||
  { echo "FAIL: the package holds another metainfo than $metainfo"; failed=1; }
# One version: the metainfo's newest release and the changelog's newest entry are the package's.
release=$(sed -nE 's/.*<release version="([^"]*)".*/\1/p' "$metainfo")
release=${release%%$'\n'*}
[ "$release" = "$version" ] ||
  { echo "FAIL: the metainfo's newest release is '$release', the package's version $version"; failed=1; }
changelog=$(zcat "$unpacked/usr/share/doc/zandrel/changelog.gz")
entry=${changelog%%$'\n'*}
[[ $entry == "zandrel ($version) "* ]] ||
  { echo "FAIL: the changelog's newest entry is '$entry', not $version"; failed=1; }
validation=$(appstreamcli validate --no-net "$metainfo" 2>&1) && ! grep -qE '^[EW]: ' <<<"$validation" ||
  { echo "FAIL: appstreamcli on $metainfo:
$validation"; failed=1; }
[ "$failed" -eq 0 ] || exit 1
echo "PASS: the package's files, Depends, Recommends, manual pages, hardening, desktop entry, icons,"
echo "      lintian, AppStream metainfo, and one version"
