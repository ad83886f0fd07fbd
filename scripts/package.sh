#!/usr/bin/env bash
# Builds the Debian packages ocuservice and ocucam-sim (see packaging/CMakeLists.txt).
#   scripts/package.sh              configures and builds the Release tree build-package/
#                                   (programs only) and writes build-package/packages/*.deb
#   scripts/package.sh --tree DIR   packages the programs already built in the tree DIR, as
#                                   they are, into DIR/packages/ (the package tests use it)
# Prints the paths of the two .deb files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--tree" ]; then
  tree=$(cd "${2:?scripts/package.sh --tree DIR}" && pwd)
else
  tree=$root/build-package
  # Debian's compiler and linker flags for packages, with every hardening feature.
  flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
  cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=Release -DOCU_BUILD_TESTS=OFF \
    -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" -DCMAKE_SHARED_LINKER_FLAGS="$(flags LDFLAGS)" \
    >/dev/null
  cmake --build "$tree" -j"$(nproc)" --target OcuService Drvlaunch ocucam-sim ocu_tls_compat \
    ocu_package_docs
fi
for tool in cpack dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null ||
    { echo "$tool is missing: scripts/setup-deps.sh --tests installs it" >&2; exit 1; }
done
out=$tree/packages
rm -rf "$out"
mkdir -p "$out"
(cd "$tree" && cpack -G DEB -B "$out" >"$out/cpack.log") || {
  cat "$out/cpack.log" >&2
  exit 1
}
rm -rf "$out/_CPack_Packages"
ls "$out"/*.deb
