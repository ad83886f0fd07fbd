# Shared by the package tests (sourced): the packages under test and the Debian 12 system
# they are installed into.
#
#   OCU_PACKAGE_CACHE  where the bootstrapped system is kept as a tar file, so that later runs
#                      start in seconds (default: <build tree>/package-cache)
#
# The system is a debootstrap "minbase" tree of bookworm from the machine's own Debian mirror,
# with systemd, D-Bus and curl, and the packages' run-time dependencies already in it, so that
# installing the packages needs no network. Every test unpacks its own copy.

set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

pkg_source=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Prints a step with the seconds since the test started.
export pkg_started=${pkg_started:-$(date +%s)}
step() { echo "[$(($(date +%s) - pkg_started))s] $*"; }
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

pkg_require_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: the package tests install into a chroot and need root"
    exit 77
  fi
  for tool in debootstrap unshare chroot; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup-deps.sh --tests)"
  done
}

# The two .deb files the fixture test made from the build tree $1.
pkg_debs() {
  local build=$1
  shopt -s nullglob
  pkg_service_deb=("$build"/packages/ocuservice_*.deb)
  pkg_sim_deb=("$build"/packages/ocucam-sim_*.deb)
  shopt -u nullglob
  [ ${#pkg_service_deb[@]} -eq 1 ] && [ ${#pkg_sim_deb[@]} -eq 1 ] ||
    fail "no packages in $build/packages (the test package.debs makes them)"
}

pkg_mirror() {
  local uri=""
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    uri=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources |
      grep -v security | head -n1)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1 == "deb" && $0 !~ /security/ { print $2; exit }' /etc/apt/sources.list)
  fi
  echo "${uri:-http://deb.debian.org/debian}"
}

# The packages the system is bootstrapped with.
pkg_base_packages="systemd,systemd-sysv,dbus,curl,procps,adduser,openssl,ca-certificates"
pkg_base_packages+=",libcivetweb1,libssl3,libjpeg62-turbo,libpng16-16,libopenjp2-7"
pkg_base_packages+=",libsystemd0,zlib1g,libstdc++6,libgcc-s1"

# Makes the bootstrapped system's tar file unless the cache has it; prints its path. Runs
# once at a time (the tests may start together).
pkg_base_tar() {
  local build=$1 mirror key cache tar
  mirror=$(pkg_mirror)
  cache=${OCU_PACKAGE_CACHE:-$build/package-cache}
  key=$(printf '%s\n' bookworm "$mirror" "$pkg_base_packages" | sha256sum | cut -c1-12)
  tar=$cache/bookworm-$key.tar
  mkdir -p "$cache"
  (
    flock 9
    if [ ! -f "$tar" ]; then
      local tree=$cache/bootstrap-$key
      rm -rf --one-file-system "$tree"
      step "debootstrap bookworm from $mirror into $tree" >&2
      if ! debootstrap --variant=minbase --include="$pkg_base_packages" bookworm "$tree" \
        "$mirror" >"$cache/debootstrap.log" 2>&1; then
        tail -n 20 "$cache/debootstrap.log" >&2
        fail "debootstrap failed (whole log: $cache/debootstrap.log)"
      fi
      chroot "$tree" apt-get clean
      tar -C "$tree" -cf "$tar.tmp" .
      mv "$tar.tmp" "$tar"
      rm -rf --one-file-system "$tree"
    fi
  ) 9>"$cache/lock"
  echo "$tar"
}

# Unpacks a fresh copy of the system into a new folder under the build tree; prints its path.
pkg_fresh_tree() {
  local build=$1 name=$2 tar tree
  tar=$(pkg_base_tar "$build")
  mkdir -p "$build/package-test"
  tree=$(mktemp -d "$build/package-test/$name.XXXXXX")
  tar -C "$tree" -xf "$tar"
  cp /etc/resolv.conf "$tree/etc/resolv.conf" 2>/dev/null || true
  echo "$tree"
}

# Deletes a tree once nothing is mounted inside it any more.
pkg_remove_tree() {
  local tree=$1
  [ -n "$tree" ] && [ -d "$tree" ] || return 0
  if awk -v t="$tree" 'index($2, t) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
    echo "Left $tree in place: something is still mounted in it" >&2
    return 0
  fi
  rm -rf --one-file-system "$tree"
}

# The run-time dependencies of the packages (first alternative of each, without versions, the
# packages themselves left out), installed into the tree before the packages so that what the
# packages leave behind can be told apart from what their dependencies bring.
pkg_dependencies() {
  local deb
  for deb in "$@"; do
    dpkg-deb -f "$deb" Depends
  done | tr ',' '\n' | sed 's/|.*//; s/(.*)//; s/[[:space:]]//g' |
    grep -v -x -e '' -e ocuservice -e ocucam-sim | sort -u
}
