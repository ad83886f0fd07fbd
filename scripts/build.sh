#!/usr/bin/env bash
# Configures and builds one build tree.
#   scripts/build.sh                      -> build/ (plain)
#   scripts/build.sh build-asan address,undefined
#   scripts/build.sh build-tsan thread
# Environment:
#   OCU_BUILD_TESTS=ON|OFF   configure the tests in or out (default: as the tree was configured,
#                            ON for a new tree)
#   OCU_TARGETS="a b"        build only these targets (default: everything)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
sanitize=${2:-}
extra=()
if [ -n "$sanitize" ]; then
  extra+=(-DOCU_SANITIZE="$sanitize" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g")
fi
if [ -n "${OCU_BUILD_TESTS:-}" ]; then
  extra+=(-DOCU_BUILD_TESTS="$OCU_BUILD_TESTS")
fi
targets=()
for target in ${OCU_TARGETS:-}; do
  targets+=(--target "$target")
done
cmake -S "$root" -B "$root/$dir" "${extra[@]}" ${OCU_CMAKE_ARGS:-} >/dev/null
cmake --build "$root/$dir" -j"$(nproc)" "${targets[@]}"
