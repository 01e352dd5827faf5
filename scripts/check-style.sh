#!/usr/bin/env bash
# The tree's layout and names: clang-format's layout (.clang-format) on every C++ file, and
# clang-tidy's naming check (.clang-tidy) on every file a build compiles.
#   check-style.sh BUILD-DIR   (a configured build with compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: check-style.sh BUILD-DIR}

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$build/clang-format.log"; then
  head -n 40 "$build/clang-format.log"
  echo "The layout differs from .clang-format: run  git ls-files '*.cpp' '*.h' | xargs clang-format -i"
  exit 1
fi

# Every translation unit of ours that the build compiles (not the generated protocol code).
root=$PWD
if ! run-clang-tidy -p "$build" -j "$(nproc)" -quiet \
  "^$root/(base|session|lookup|linerules|speech|chatlog|overlay|platform|app|demo|tests|bench|fuzz)/" >"$build/clang-tidy.log" 2>&1; then
  grep -E "error:|warning:" "$build/clang-tidy.log" | sort -u | head -n 40
  echo "clang-tidy found names that do not follow .clang-tidy"
  exit 1
fi
echo "Layout and names as .clang-format and .clang-tidy say."
