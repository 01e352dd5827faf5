#!/usr/bin/env bash
# Checks what the package gives the desktop: the desktop entry (valid, one main category, keywords
# in English and Chinese), the icon (SVG and the PNG sizes of the hicolor theme) and the AppStream
# metainfo's links, developer and screenshots.
#   check_desktop.sh <unpacked package>
set -euo pipefail
root=$1
fail() { echo "FAIL: $*"; exit 1; }

entry=$root/usr/share/applications/zandrel.desktop
# desktop-file-validate exits 0 on hints (two main categories is one); anything it says fails.
said=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate rejects $entry: $said"
[ -z "$said" ] || fail "desktop-file-validate on $entry: $said"
categories=$(sed -n 's/^Categories=//p' "$entry")
main=0
for category in ${categories//;/ }; do
  case $category in
    AudioVideo | Audio | Video | Development | Education | Game | Graphics | Network | Office | Science | \
      Settings | System | Utility) main=$((main + 1)) ;;
  esac
done
[ "$main" -eq 1 ] || fail "the desktop entry has $main main categories: $categories"
for key in 'Keywords' 'Keywords\[zh_CN\]'; do
  grep -qE "^$key=[^;]+;" "$entry" || fail "the desktop entry has no $key"
done
icon=$(sed -n 's/^Icon=//p' "$entry")

# The SVG must render, square; each PNG must be the size its folder says.
icons=$root/usr/share/icons/hicolor
svg=$icons/scalable/apps/$icon.svg
[ -f "$svg" ] || fail "no scalable icon $svg"
size=$(rsvg-convert "$svg" | identify -format '%wx%h' -) || fail "$svg does not render"
[ "$size" = 256x256 ] || fail "$svg renders at $size, not 256x256"
for px in 16 22 24 32 48 64 128 256; do
  png=$icons/${px}x$px/apps/$icon.png
  [ -f "$png" ] || fail "no ${px}x$px icon"
  size=$(identify -format '%wx%h' "$png")
  [ "$size" = "${px}x$px" ] || fail "$png is $size"
done

metainfo=$root/usr/share/metainfo/org.zandrel.Zandrel.metainfo.xml
# XPath, what it must give
while IFS='|' read -r xpath want; do
  got=$(xmllint --xpath "$xpath" "$metainfo" 2>/dev/null || true)
  [ "$got" = "$want" ] || fail "metainfo: $xpath is '$got', not '$want'"
done <<'TABLE'
string(/component/url[@type="homepage"])|https://zandrel.org/
boolean(/component/url[@type="bugtracker"][starts-with(., "https://")])|true
string(/component/developer[@id="org.zandrel"]/name)|Zandrel developers
string(/component/developer_name)|Zandrel developers
count(/component/screenshots/screenshot[@type="default"])|1
boolean(/component/screenshots/screenshot[@type="default"]/caption[not(@xml:lang)][normalize-space()])|true
boolean(/component/screenshots/screenshot[@type="default"]/image[starts-with(., "https://")])|true
count(/component/screenshots/screenshot[not(caption[not(@xml:lang)]) or not(image)])|0
TABLE
echo "PASS: the desktop entry, the icons and the metainfo"
