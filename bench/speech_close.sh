#!/usr/bin/env bash
# How long the real program takes to end (SIGTERM, as a session's end sends it) while read-aloud's
# speech server is stopped (SIGSTOP) in a busy room: the time from the signal until the process has
# gone. Runs the program on an X server of its own (Xvfb) and the demo service, with a sound server
# and a runtime folder of its own (tests/speech/with_audio.sh), so that the speech server it stops is
# the one the program started.
#   bench/speech_close.sh <zandrel> <zandrel-demo> [runs]
set -euo pipefail
if [ -z "${ZANDREL_AUDIO_SINK:-}" ]; then
  exec "$(dirname "$0")/../tests/speech/with_audio.sh" --lang zh_CN.UTF-8 "$0" "$@"
fi
zandrel=$(realpath "$1") demo=$(realpath "$2") runs=${3:-3}
work=$(mktemp -d /tmp/zandrel-close-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
wait_for() { local n=$(($1 * 10)); shift; while ! "$@"; do n=$((n - 1)); [ "$n" -gt 0 ] || return 1; sleep 0.1; done; }
ms() { date +%s%3N; }

exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$displayfd" display
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"

"$demo" --port 0 --rate 20 --seed 3 --ports-file "$work/ports" >"$work/demo.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/ports"
port=$(sed -n 's/^main=//p' "$work/ports")

pidfile="$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid"
for run in $(seq "$runs"); do
  export XDG_CONFIG_HOME="$work/config-$run" XDG_DATA_HOME="$work/data-$run"
  mkdir -p "$XDG_CONFIG_HOME/Zandrel"
  printf '[speech]\nenabled=1\nlines=2\n' >"$XDG_CONFIG_HOME/Zandrel/Zandrel.conf"
  rm -f "$pidfile"
  "$zandrel" --lookup-host "127.0.0.1:$port" --connect 907 >"$work/zandrel-$run.log" 2>&1 &
  program=$!
  # The engine has started its speech server and reads the room's lines.
  wait_for 120 test -s "$pidfile"
  server=$(cat "$pidfile")
  sleep 3
  kill -STOP "$server"
  sleep 5  # the room goes on while the server does not answer
  start=$(ms)
  kill -TERM "$program"
  wait "$program" || true
  echo "run $run: the program ended $(($(ms) - start)) ms after SIGTERM with its speech server stopped"
  kill -KILL "$server"
done
