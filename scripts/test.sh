#!/usr/bin/env bash
# Runs every test: installs what is missing, then builds and tests twice, and fuzzes.
#  1. build/asan: everything, with AddressSanitizer and UndefinedBehaviorSanitizer; then the
#     layout and the names (scripts/check-style.sh: clang-format and clang-tidy).
#  2. build/tsan: the plain C++ libraries, their tests and the demo service, with ThreadSanitizer
#     (Qt's own code is not instrumented, so the widget tests stay out of this build).
#  3. build/fuzz: each libFuzzer target for ZANDREL_FUZZ_SECONDS (default 20) seconds.
#  4. build/package: the Debian package, and a check of its contents (it is not installed).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

"$root/scripts/install-deps.sh"

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

run_build() {
  local dir=$1; shift
  cmake -S "$root" -B "$root/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON "$@"
  cmake --build "$root/$dir" -j "$jobs"
  ctest --test-dir "$root/$dir" -j "$jobs" --timeout 300
}

run_build build/asan -DZANDREL_ASAN=ON -DZANDREL_BENCH=ON  # benchmarks built, so they keep compiling
"$root/scripts/check-style.sh" "$root/build/asan"
run_build build/tsan -DZANDREL_TSAN=ON -DZANDREL_WITH_UI=OFF
"$root/scripts/fuzz.sh" "${ZANDREL_FUZZ_SECONDS:-20}"
"$root/tests/package/check_package.sh" "$("$root/scripts/package.sh" | tail -n 1)" \
  "$root/res/org.zandrel.Zandrel.metainfo.xml"

echo "All tests passed in both sanitizer builds, the fuzzers found nothing, and the package is sound."
