#!/usr/bin/env bash
# Configures and builds one build tree.
#   scripts/build.sh                      -> build/ (plain)
#   scripts/build.sh build-asan address,undefined
#   scripts/build.sh build-tsan thread
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
sanitize=${2:-}
extra=()
if [ -n "$sanitize" ]; then
  extra+=(-DOCU_SANITIZE="$sanitize" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g")
fi
cmake -S "$root" -B "$root/$dir" "${extra[@]}" ${OCU_CMAKE_ARGS:-} >/dev/null
cmake --build "$root/$dir" -j"$(nproc)"
