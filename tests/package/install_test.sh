#!/usr/bin/env bash
# Installs the packages with apt-get into a fresh Debian 12 tree, as on a machine where systemd
# is not running (a container, an image being built): user, home, configuration and
# certificate made, units enabled but not started. Then runs the installed programs as their
# units would (same users, groups, environment and umask), captures over HTTPS with the
# certificate made at installation, removes the packages (configuration and home stay), purges
# them, and checks that nothing of them is left: no file, no user, no group, nothing owned by
# their users.
#   tests/package/install_test.sh BUILD_TREE     (the packages: BUILD_TREE/packages/*.deb)
# The programs run in network and PID namespaces of their own, so the ports 8081 and 4444 of
# the machine stay free.
source "$(dirname "$0")/lib.sh"
# Runs a command in the tree.
run() { chroot "$tree" "$@"; }

# The part that runs in its own network namespace (loopback only: no download possible) and
# PID namespace (nothing it starts outlives it).
inside() {
  ip link set lo up
  run apt-get install -y --no-install-recommends \
    /tmp/ocuservice.deb /tmp/ocucam-sim.deb >"$tree/tmp/install.log" 2>&1 ||
    { cat "$tree/tmp/install.log"; fail "apt-get install of the packages failed"; }
  grep -q "Made the TLS certificate /var/lib/ocuservice/ssl/localhost.pem" "$tree/tmp/install.log" ||
    { cat "$tree/tmp/install.log"; fail "postinst made no certificate"; }
  step "installed: $(run dpkg-query -W -f="\${Package} \${Version}  " ocuservice ocucam-sim)"

  [ "$(run stat -c "%U:%G %a" /var/lib/ocuservice)" = "ocuservice:ocuservice 750" ] ||
    fail "home: $(run stat -c "%U:%G %a" /var/lib/ocuservice)"
  [ "$(run stat -c "%U:%G %a" /var/lib/ocuservice/ssl/localhost.pem)" = "ocuservice:ocuservice 600" ] ||
    fail "certificate: $(run stat -c "%U:%G %a" /var/lib/ocuservice/ssl/localhost.pem)"
  run openssl x509 -noout -checkend 86400 -in /var/lib/ocuservice/ssl/localhost.pem >/dev/null ||
    fail "the certificate is not valid"
  [ "$(run readlink /var/lib/ocuservice/conf)" = /etc/ocuservice ] || fail "no conf link in the home"
  run getent passwd ocucam-sim >/dev/null || fail "no user ocucam-sim"
  run test -L /etc/systemd/system/multi-user.target.wants/OcuService.service ||
    fail "OcuService.service is not enabled"
  run test -L /etc/systemd/system/multi-user.target.wants/ocucam-sim.service ||
    fail "ocucam-sim.service is not enabled"
  run test -e /usr/lib/ocuservice/tls/libcrypto.so || fail "the TLS folder's libcrypto.so is dangling"
  run test ! -e /usr/lib/x86_64-linux-gnu/libcrypto.so || fail "libssl-dev came along"
  step "user ocuservice, home 0750 with certificate 0600 and conf link, units enabled"

  # What systemd-tmpfiles does at boot.
  run systemd-tmpfiles --create ocuservice.conf
  [ "$(run stat -c "%U:%G %a" /run/ocuservice/devices)" = "root:ocuservice 2770" ] ||
    fail "device directory: $(run stat -c "%U:%G %a" /run/ocuservice/devices)"

  # The two units' users, groups, environment and umask; started without a shell in between, so
  # that $! is the program itself.
  chroot "$tree" setpriv --reuid=ocucam-sim --regid=ocucam-sim --groups=ocuservice --inh-caps=-all \
    sh -c "umask 0007; exec /usr/bin/ocucam-sim --device-dir /run/ocuservice/devices \
      --gallery /var/lib/ocucam-sim/gallery.dat" >"$tree/tmp/sim.log" 2>&1 &
  sim=$!
  chroot "$tree" setpriv --reuid=ocuservice --regid=ocuservice --init-groups --inh-caps=-all \
    env -i PATH=/usr/sbin:/usr/bin OCUSERVICE_HOME=/var/lib/ocuservice \
    OCUSERVICE_DEVICE_DIR=/run/ocuservice/devices \
    sh -c "cd /var/lib/ocuservice && exec /usr/sbin/OcuService -console 0" \
    >"$tree/tmp/service.log" 2>&1 &
  service=$!
  for _ in $(seq 100); do
    curl -s -o /dev/null http://localhost:8081/1.0/info && break
    sleep 0.1
  done
  step "service and simulated camera started"
  if ! python3 "$pkg_source/tests/package/camera_check.py" "$tree"; then
    echo "--- service:"; cat "$tree/tmp/service.log"; echo "--- camera:"; cat "$tree/tmp/sim.log"
    fail "the installed service does not work"
  fi
  kill -TERM "$service" "$sim"
  wait "$service" || fail "OcuService ended with status $? on SIGTERM"
  wait "$sim" || fail "ocucam-sim ended with status $? on SIGTERM"
  step "both stopped by SIGTERM"

  run apt-get remove -y ocucam-sim ocuservice >"$tree/tmp/remove.log" 2>&1 ||
    { cat "$tree/tmp/remove.log"; fail "apt-get remove failed"; }
  run test ! -e /usr/sbin/OcuService || fail "remove left /usr/sbin/OcuService"
  run test -f /var/lib/ocuservice/ssl/localhost.pem || fail "remove took the home"
  run test -f /etc/ocuservice/config.ini || fail "remove took the configuration"
  run getent passwd ocuservice >/dev/null || fail "remove took the user"
  step "removed: programs gone, home, configuration and user kept"

  run apt-get purge -y ocucam-sim ocuservice >"$tree/tmp/purge.log" 2>&1 ||
    { cat "$tree/tmp/purge.log"; fail "apt-get purge failed"; }
  for name in ocuservice ocucam-sim; do
    if run getent passwd "$name" >/dev/null; then fail "purge left the user $name"; fi
    if run getent group "$name" >/dev/null; then fail "purge left the group $name"; fi
  done
  leftovers=$(run find / -xdev \( -path /proc -o -path /sys -o -path /dev \) -prune -o \
    \( -nouser -o -nogroup \) -print)
  [ -z "$leftovers" ] || fail "files of a deleted user or group: $leftovers"
  step "purged: users and groups gone, no file owned by them"
}

if [ "${1:-}" = --inside ]; then
  tree=$3
  inside
  exit 0
fi

build=$(cd "${1:?usage: install_test.sh BUILD_TREE}" && pwd)
pkg_require_root
pkg_debs "$build"
step "packages: ${pkg_service_deb[0]##*/} ${pkg_sim_deb[0]##*/}"

tree=$(pkg_fresh_tree "$build" install)
trap 'pkg_remove_tree "$tree"' EXIT
step "fresh Debian 12 tree in $tree"
cp "${pkg_service_deb[0]}" "$tree/tmp/ocuservice.deb"
cp "${pkg_sim_deb[0]}" "$tree/tmp/ocucam-sim.deb"

# Runs a command in the tree with /proc mounted, in the machine's network namespace.
in_tree() { unshare --mount --pid --fork --mount-proc="$tree/proc" chroot "$tree" "$@"; }

mapfile -t dependencies < <(pkg_dependencies "${pkg_service_deb[0]}" "${pkg_sim_deb[0]}")
in_tree apt-get install -y --no-install-recommends "${dependencies[@]}" >"$tree/tmp/deps.log" 2>&1 ||
  { cat "$tree/tmp/deps.log"; fail "the dependencies did not install"; }
step "dependencies present: ${dependencies[*]}"

# Every path of the system but the kernel's, the logs and the package managers' own records.
snapshot() {
  in_tree find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /tmp \
    -o -path /var/log -o -path /var/cache -o -path /var/lib/dpkg -o -path /var/lib/apt \) \
    -prune -o -print | sort
}
snapshot >"$tree/tmp/before.txt"

unshare --net --mount --pid --fork --mount-proc="$tree/proc" "$0" --inside "$build" "$tree"
snapshot >"$tree/tmp/after.txt"
if ! diff "$tree/tmp/before.txt" "$tree/tmp/after.txt" >"$tree/tmp/left.txt"; then
  # The account databases' backup copies (/etc/passwd- and the like) are the system's own.
  if grep -v -E '^[<>] /etc/(passwd|group|shadow|gshadow)-$' "$tree/tmp/left.txt" | grep -q '^[<>]'; then
    cat "$tree/tmp/left.txt"
    fail "the system differs after the purge (< before, > after)"
  fi
fi
step "nothing of the packages is left"
echo "PASSED"
