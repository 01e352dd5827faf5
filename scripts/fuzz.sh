#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#   scripts/fuzz.sh [SECONDS] [TARGET...]    default: 20 s each, every target
# Each run starts from the seed corpus in fuzz/corpus/<target> (the repository's seeds are not
# changed; new inputs go to build/fuzz/corpus/<target>) and uses fuzz/protocol.dict. A failing
# property stops the run with the input that shows it, in build/fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(server_text escape_rewrite message_assembler text_codec lookup_reply)

"$root/scripts/install-deps.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_TESTING=OFF -DZANDREL_WITH_UI=OFF -DZANDREL_FUZZ=ON >/dev/null
cmake --build "$root/build/fuzz" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

mkdir -p "$root/build/fuzz/crashes"
for target in "${targets[@]}"; do
  corpus="$root/build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  log="$root/build/fuzz/$target.log"
  echo "fuzz_$target: ${seconds} s"
  if ! "$root/build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -dict="$root/fuzz/protocol.dict" -artifact_prefix="$root/build/fuzz/crashes/$target-" -print_final_stats=1 \
       "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -40 "$log"
    echo "fuzz_$target found a fault; the input is in build/fuzz/crashes" >&2
    exit 1
  fi
  grep -E "^(Done|stat::number_of_executed_units)" "$log" | sed "s/^/  /"
done
