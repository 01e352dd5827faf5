#!/usr/bin/env bash
# Checks the manual pages in an unpacked package: one per program, gzipped, rendered by groff
# without a warning, named and versioned, written from the program's own --help, English (the help
# is Chinese for a Chinese user, the manual never), and with the sections beyond the help that a
# user looks for there.
#   check_manpages.sh <unpacked package> <version>
set -euo pipefail
root=$1 version=$2
fail() { echo "FAIL: $*"; exit 1; }

# program | an option its --help names (a page without it was not written from the help) |
# the sections besides NAME, SYNOPSIS, DESCRIPTION and OPTIONS, each with a text it holds
while IFS='|' read -r program option sections; do
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
  non_english=$(LC_ALL=C grep -nE '[^ -~]' <<<"$source" || true)
  [ -z "$non_english" ] || fail "$page is not all English (ASCII):
$non_english"
  # Each section, then what it says up to the next one.
  IFS=';' read -ra wanted <<<"$sections"
  for entry in "${wanted[@]}"; do
    [ -n "$entry" ] || continue
    section=${entry%%=*} text=${entry#*=}
    body=$(awk -v name="$section" '
      /^\.SH / { title = substr($0, 5); gsub(/"/, "", title); inside = (title == name); next }
      inside' <<<"$source")
    [ -n "$body" ] || fail "$page has no section $section"
    grep -qF -- "$text" <<<"$body" || fail "the section $section of $page does not say $text"
  done
done <<'TABLE'
zandrel|--lookup-host|HOTKEYS=Ctrl+Alt+L;INSTANCE COMMANDS=\-\-toggle\-lock;ENVIRONMENT=ZANDREL_LOOKUP_HOST;FILES=Zandrel.conf;FILES=zandrel/logs;SEE ALSO=zandrel\-demo
zandrel-demo|--fault-lookups|
TABLE
echo "PASS: the manual pages"
