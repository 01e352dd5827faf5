#!/usr/bin/env bash
# What Zandrel writes to standard error, which a desktop session keeps in its log or journal, checked
# from that file: by default (and with --quiet) errors and warnings only, with no notice per chat
# line and no join request (its uid and checksum); with --verbose both. The real binary on Qt's
# offscreen platform joins room 123 of a demo service of its own, in the C locale and in
# zh_CN.UTF-8; the chat log, turned on in its settings file, tells from the disk when the room's
# lines have come.
#   standard_error_test.sh <zandrel> <zandrel-demo> <work-dir>
set -euo pipefail

zandrel=$1 demo=$2 work=$3
mkdir -p "$work"
rm -rf "${work:?}"/*
source "$(dirname "$0")/../e2e/lib.sh"
export QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
# A Chinese locale of the test's own, whatever the machine has.
mkdir -p "$work/locale"
localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" 2>"$work/localedef.log" ||
  [ -d "$work/locale/zh_CN.UTF-8" ] || fail "cannot make the zh_CN.UTF-8 locale"

start_demo 0

# Zandrel in locale $1 with option $2 (or none), its standard error in $3, until room 123's chat has
# reached its chat log.
run_zandrel() {
  local locale=$1 option=$2 log=$3
  export XDG_CONFIG_HOME="$work/config-$locale$option" XDG_DATA_HOME="$work/data-$locale$option"
  export XDG_RUNTIME_DIR="$work/runtime-$locale$option"
  mkdir -p -m 0700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Zandrel"
  printf '[log]\nenabled=1\n' >"$XDG_CONFIG_HOME/Zandrel/Zandrel.conf"
  LOCPATH="$work/locale" LANG=$locale LC_ALL=$locale \
    "$zandrel" --lookup-host "127.0.0.1:$port" --connect 123 $option 2>"$log" >/dev/null &
  local pid=$!
  pids+=($pid)
  chat_logged() { [ "$(cat "$XDG_DATA_HOME"/zandrel/logs/room-123-*.txt 2>/dev/null | wc -l)" -ge 8 ]; }
  wait_for 30 chat_logged || fail "no chat reached the chat log ($locale $option)"
  kill "$pid"
  wait_for 15 ended "$pid" || fail "zandrel did not end ($locale $option)"
  local status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "zandrel ended with status $status on SIGTERM ($locale $option)"
  # The viewers whose lines the room sent.
  awk -F'\t' '$2 != "系统" && $2 != "系统信息" { print $2 }' "$XDG_DATA_HOME"/zandrel/logs/room-123-*.txt |
    sort -u >"$work/viewers"
  [ -s "$work/viewers" ] || fail "no viewer in the chat log ($locale $option)"
}

for locale in C zh_CN.UTF-8; do
  for option in "" --quiet --verbose; do
    log="$work/stderr-$locale$option.log"
    run_zandrel "$locale" "$option" "$log"
    notices=$(grep -c '\] N: ' "$log" || true)
    chat=$(grep -c -F -f "$work/viewers" "$log" || true)
    request=$(grep -c '^send : ' "$log" || true)
    echo "$locale ${option:-(default)}: $(wc -c <"$log") bytes, $notices notices, $chat chat lines, $request join requests"
    if [ "$option" = --verbose ]; then
      [ "$chat" -ge 3 ] || fail "--verbose logged no chat lines ($locale)"
      [ "$request" -ge 1 ] || fail "--verbose logged no join request ($locale)"
    else
      [ "$notices" -eq 0 ] && [ "$chat" -eq 0 ] || fail "a ${option:-default} log holds notices or chat ($locale)"
      [ "$request" -eq 0 ] || fail "a ${option:-default} log holds the join request ($locale)"
    fi
  done
done
echo "PASS: errors and warnings only by default and with --quiet; lines and the join request with --verbose"
