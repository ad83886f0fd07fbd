#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   scripts/fuzz.sh [seconds per target, default 30]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DOCU_BUILD_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
shopt -s nullglob
# Only the fuzz programs: the unit tests need no clang build of their own.
targets=()
for source in "$root"/tests/fuzz/*_fuzz.cpp; do
  targets+=(--target "$(basename "$source" .cpp)")
done
cmake --build "$root/build-fuzz" -j"$(nproc)" "${targets[@]}"
for fuzzer in "$root"/build-fuzz/bin/*_fuzz; do
  name=$(basename "$fuzzer")
  corpus="$root/build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$root/tests/fuzz/seeds/$name" ] && seeds+=("$root/tests/fuzz/seeds/$name")
  echo "== $name for ${seconds}s"
  UBSAN_OPTIONS=suppressions="$root/tests/fuzz/ubsan.supp":print_stacktrace=1 \
    "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "$corpus" "${seeds[@]}"
done
