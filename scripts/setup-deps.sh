#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the service need; with --tests also those only
# the tests and tools need (GoogleTest, Google Benchmark, clang with libFuzzer, clang-format,
# independent image decoders, a browser and its driver, a JSON Schema validator,
# Node.js with npm, which installs the API description's linter into the build tree, and what
# making the Debian packages and installing them into a bootstrapped Debian under systemd-nspawn
# takes).
#   scripts/setup-deps.sh [--tests]
set -euo pipefail
# What building and running the service and the simulator need.
packages=(
  build-essential cmake pkg-config
  libcivetweb-dev libssl-dev rapidjson-dev libjpeg62-turbo-dev libpng-dev zlib1g-dev
  libopenjp2-7-dev libsystemd-dev openssl curl
)
if [ "${1:-}" = "--tests" ]; then
  packages+=(git python3 googletest libgtest-dev libgmock-dev libbenchmark-dev clang
    libclang-rt-14-dev clang-format
    python3-pil python3-selenium chromium chromium-driver libjpeg-turbo-progs
    libopenjp2-tools python3-jsonschema nodejs
    file dpkg-dev lintian debootstrap systemd-container iproute2)
  # A Node.js package of another origin may bring npm itself and conflict with Debian's npm.
  command -v npm >/dev/null || packages+=(npm)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
