#!/usr/bin/env bash
# Checks that the packaged programs carry Debian's hardening: position-independent, a stack
# protector, fortified libc calls, read-only relocations bound at start-up. Control-flow
# protection (-fcf-protection) is not among Debian 12's default flags, so it is not asked for.
#   check_hardening.sh <unpacked package>
set -euo pipefail
root=$1
fail() { echo "FAIL: $*"; exit 1; }

for program in zandrel zandrel-demo; do
  binary=$root/usr/bin/$program
  report=$(hardening-check --nocfprotection "$binary") || fail "hardening-check:
$report"
  # The same from the ELF itself, so that a change in hardening-check's verdicts shows here.
  [ "$(readelf -hW "$binary" | awk '$1 == "Type:" {print $2}')" = DYN ] || fail "$program is not PIE"
  headers=$(readelf -lW "$binary")
  grep -q GNU_RELRO <<<"$headers" || fail "$program has no read-only relocations (GNU_RELRO)"
  dynamic=$(readelf -dW "$binary")
  grep -qE '\(FLAGS_1\).*\bNOW\b|\(BIND_NOW\)' <<<"$dynamic" || fail "$program is not bound at start-up"
  symbols=$(readelf --dyn-syms -W "$binary")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
  grep -qE '__[a-z_]+_chk\b' <<<"$(grep -v __stack_chk_fail <<<"$symbols")" ||
    fail "$program calls no fortified function"
  # The compilers' names and versions, which Debian's strip drops.
  sections=$(readelf -SW "$binary")
  ! grep -qF ' .comment ' <<<"$sections" || fail "$program keeps its .comment section"
done
echo "PASS: the programs' hardening"
