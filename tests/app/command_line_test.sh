#!/usr/bin/env bash
# The usage and the version in a terminal without any display: no X server, no Wayland, no Qt
# platform chosen. Each must answer and exit as a command-line program does.
#   command_line_test.sh <zandrel>
set -euo pipefail
zandrel=$1
fail() { echo "FAIL: $*"; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$zandrel" "$@" 2>&1; }

out=$(run --help) || fail "--help exited with $?: $out"
[[ $out == *"Usage: "*zandrel* ]] || fail "--help printed no usage: $out"
[[ $out == *"--lookup-host"* ]] || fail "--help does not list --lookup-host: $out"
[[ $out != *"<executable_name>"* ]] || fail "--help does not name the program: $out"

out=$(run --version) || fail "--version exited with $?: $out"
[ "$out" = "zandrel 1.0.0.1" ] || fail "--version printed: $out"

status=0
out=$(run --help --no-such-option) || status=$?
[ "$status" -eq 2 ] || fail "a bad option beside --help exited with $status: $out"
[[ $out == *"no-such-option"* ]] || fail "a bad option was not named: $out"

echo "PASS: --help and --version without a display"
