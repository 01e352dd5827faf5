#!/usr/bin/env bash
# The end-to-end benchmark: Zandrel against a browser-source page, both fed by the same flood
# server. Installs what is missing, builds a release build with the benchmark tools, and prints one
# table. Arguments go to run.js (--lines, --memory-lines, --idle-seconds). Takes about ten minutes.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
"$root/scripts/install-deps.sh" --bench
cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DZANDREL_BENCH=ON >/dev/null
cmake --build "$root/build/bench" -j "$(nproc)" --target zandrel ui_ping
NODE_PATH=/usr/share/nodejs exec node "$root/bench/e2e/run.js" --zandrel "$root/build/bench/app/zandrel" \
  --ui-ping "$root/build/bench/bench/ui_ping" "$@"
