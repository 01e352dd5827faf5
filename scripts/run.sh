#!/usr/bin/env bash
# Builds Zandrel and runs it on the embedded demo chat service, on loopback. The demo service
# stops when Zandrel closes. Arguments are passed on to Zandrel.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
Zandrel is a desktop program and needs a display, but neither DISPLAY nor WAYLAND_DISPLAY is set.
Run this command in a desktop session, or on a virtual X server:
  xvfb-run -a -s '-screen 0 1280x800x24' $0
MSG
  exit 1
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build/release" -j "$(nproc)"

state=$(mktemp -d)
demo_pid=
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null && wait "$demo_pid" 2>/dev/null
  rm -rf "$state"
}
trap cleanup EXIT

start_demo() {
  "$root/build/release/demo/zandrel-demo" --port "$1" --ports-file "$state/ports" >"$state/demo.log" 2>&1 &
  demo_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$state/ports" ] && return 0
    kill -0 "$demo_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
# The usual port, or any free one when something else holds it.
start_demo "${ZANDREL_DEMO_PORT:-8090}" || start_demo 0 || { cat "$state/demo.log" >&2; exit 1; }
port=$(sed -n 's/^main=//p' "$state/ports")

echo "Demo chat service on 127.0.0.1:$port (audience page: http://127.0.0.1:$port/)."
echo "Type a room number such as 123 into Zandrel and press 连接."
"$root/build/release/app/zandrel" --lookup-host "127.0.0.1:$port" "$@"
