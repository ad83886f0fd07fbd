#!/usr/bin/env bash
# Sets everything up and runs every test: the plain build (unit and end-to-end tests, and the
# Debian packages made from it, checked by lintian, installed and run under systemd; as root),
# the AddressSanitizer/UndefinedBehaviorSanitizer build (unit and end-to-end tests) and the
# ThreadSanitizer build (the concurrency suites), then every libFuzzer target for a bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-deps.sh" --tests
jobs=$(nproc)
export OCU_BUILD_TESTS=ON
"$root/scripts/check-format.sh"

"$root/scripts/build.sh" build
(cd "$root/build" && ctest --output-on-failure -j"$jobs")

"$root/scripts/build.sh" build-asan address,undefined
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs" -L unit)
# The end-to-end tests once more against the sanitizer build's programs (the test helper takes
# them from OCU_E2E_BIN_DIR and fails a test whose service printed a sanitizer report).
(cd "$root/build-asan" && OCU_E2E_BIN_DIR="$root/build-asan/bin" ASAN_OPTIONS=detect_leaks=1 \
  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs" -L e2e -LE attack)

"$root/scripts/build.sh" build-tsan thread
(cd "$root/build-tsan" && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j"$jobs" -R Concurrency)

"$root/scripts/fuzz.sh" "${OCU_FUZZ_SECONDS:-30}"
