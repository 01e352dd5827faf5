#!/usr/bin/env bash
# Checks the manual pages in an unpacked package: one per program, gzipped, rendered by groff
# without a warning, named and versioned, and written from the program's own --help.
#   check_manpages.sh <unpacked package> <version>
set -euo pipefail
root=$1 version=$2
fail() { echo "FAIL: $*"; exit 1; }

# program, an option its --help names (a page without it was not written from the help)
while read -r program option; do
  page=$root/usr/share/man/man1/$program.1.gz
  [ -f "$page" ] || fail "no manual page for $program"
  source=$(zcat "$page") || fail "$page is not gzip"
  warnings=$(groff -man -Tutf8 -ww -z <<<"$source" 2>&1)
  [ -z "$warnings" ] || fail "groff warns on $page:
$warnings"
  grep -qF ".TH ${program^^} \"1\"" <<<"$source" || fail "$page is not $program in section 1"
  grep -qF "\"$program $version\"" <<<"$source" || fail "$page does not say $program $version"
  # A NAME line with a description, as whatis and apropos read it.
  grep -qE "^$program \\\\- [a-z]" <<<"$source" || fail "$page has no NAME line for $program"
  grep -qF "${option//-/\\-}" <<<"$source" || fail "$page does not name $option"
done <<'TABLE'
zandrel --lookup-host
zandrel-demo --fault-lookups
TABLE
echo "PASS: the manual pages"
