#!/usr/bin/env bash
# The packages under a running systemd: boots a fresh Debian 12 tree with systemd as its init
# in a container (systemd-nspawn --boot, loopback-only network) and there
#   - installs the packages with apt-get: both units active, the service running as its user;
#   - captures over HTTPS with the certificate made at installation;
#   - kills the service with SIGKILL: systemd starts it again;
#   - sees it outlive its watchdog interval (it reports itself alive), then stops it with
#     SIGSTOP: systemd's watchdog kills it and starts it again;
#   - runs the program's own -stop, -start, -install and -remove switches against the
#     packaged unit and compares what they say with what systemctl says;
#   - removes the packages (the services stop) and purges them (nothing left);
#   - runs -install, -start, -stop and -remove of a program outside any package, as on a
#     machine without the package, and installs the package over such a unit.
# Every check that fails is reported and the test goes on; it fails at the end if any did.
#   tests/package/systemd_test.sh BUILD_TREE     (the packages: BUILD_TREE/packages/*.deb)
source "$(dirname "$0")/lib.sh"
build=$(cd "${1:?usage: systemd_test.sh BUILD_TREE}" && pwd)
pkg_require_root
command -v systemd-nspawn >/dev/null || fail "systemd-nspawn is missing (systemd-container)"
command -v nsenter >/dev/null || fail "nsenter is missing"
pkg_debs "$build"
step "packages: ${pkg_service_deb[0]##*/} ${pkg_sim_deb[0]##*/}"

failures=0
check_failed() {
  echo "CHECK FAILED: $*" >&2
  failures=$((failures + 1))
}

tree=$(pkg_fresh_tree "$build" systemd)
machine=ocu-pkg-$$
nspawn=""
cleanup() {
  local status=$?
  if [ -n "$nspawn" ] && kill -0 "$nspawn" 2>/dev/null; then
    kill -TERM "$nspawn" # systemd-nspawn asks the container's systemd to shut down
    for _ in $(seq 60); do kill -0 "$nspawn" 2>/dev/null || break; sleep 0.5; done
    kill -KILL "$nspawn" 2>/dev/null || true
    wait "$nspawn" 2>/dev/null || true
  fi
  rmdir "/run/systemd/nspawn/propagate/$machine" 2>/dev/null || true
  pkg_remove_tree "$tree"
  if [ "$status" -eq 0 ]; then
    rm -f "$tree.console.log"
  else
    echo "The container's console: $tree.console.log"
  fi
}
trap cleanup EXIT
step "fresh Debian 12 tree in $tree"
# (Not in /tmp: the container gets a tmpfs there.)
mkdir -p "$tree/srv/ocutest"
cp "${pkg_service_deb[0]}" "$tree/srv/ocutest/ocuservice.deb"
cp "${pkg_sim_deb[0]}" "$tree/srv/ocutest/ocucam-sim.deb"
# The dependencies come in now, while the tree still reaches the network.
mapfile -t dependencies < <(pkg_dependencies "${pkg_service_deb[0]}" "${pkg_sim_deb[0]}")
unshare --mount --pid --fork --mount-proc="$tree/proc" chroot "$tree" \
  apt-get install -y --no-install-recommends "${dependencies[@]}" >"$tree/srv/ocutest/deps.log" 2>&1 ||
  { cat "$tree/srv/ocutest/deps.log"; fail "the dependencies did not install"; }
# A copy of the program outside any package, for the switches on a machine without it.
dpkg-deb -x "${pkg_service_deb[0]}" "$tree/opt/ocutest"
# Its TLS folder's libcrypto.so is a relative link that only fits /usr/lib/ocuservice/tls.
tls=$tree/opt/ocutest/usr/lib/ocuservice/tls
ln -sfn "$(realpath -m "/usr/lib/ocuservice/tls/$(readlink "$tls/libcrypto.so")")" "$tls/libcrypto.so"

systemd-nspawn --directory="$tree" --boot --private-network --register=no --keep-unit \
  --machine="$machine" --console=read-only >"$tree.console.log" 2>&1 &
nspawn=$!
leader=""
for _ in $(seq 100); do
  leader=$(pgrep -P "$nspawn" | head -n1) || true
  [ -n "$leader" ] && [ "$(cat "/proc/$leader/comm" 2>/dev/null)" = systemd ] && break
  leader=""
  sleep 0.1
done
[ -n "$leader" ] || { cat "$tree.console.log"; fail "the container's systemd did not start"; }

# Runs a command in the container (its namespaces, its root).
on() { nsenter --target "$leader" --all "$@"; }

# Until the manager's socket is there, systemctl fails ("offline"); then it waits for the boot
# to end.
state=""
deadline=$((SECONDS + 90))
while [ $SECONDS -lt $deadline ]; do
  state=$(on timeout 30 systemctl is-system-running --wait 2>/dev/null) || true
  case $state in running | degraded | maintenance | stopping) break ;; esac
  sleep 0.5
done
case $state in
  running) ;;
  degraded) echo "failed units: $(on systemctl --failed --no-legend --plain)" ;;
  *) cat "$tree.console.log"; fail "the container did not boot (state: $state)" ;;
esac
step "container $machine booted with systemd as init ($state)"

unit_property() { on systemctl show --property="$2" --value "$1"; }
# Waits up to $2 seconds for the service's main process to be another one than $1 and active;
# prints the new one.
await_new_main() {
  local old=$1 limit=$2 pid
  for _ in $(seq $((limit * 5))); do
    pid=$(unit_property OcuService.service MainPID)
    if [ "$pid" != 0 ] && [ "$pid" != "$old" ] &&
      [ "$(unit_property OcuService.service ActiveState)" = active ]; then
      echo "$pid"
      return 0
    fi
    sleep 0.2
  done
  return 1
}
await_state() {
  local unit=$1 wanted=$2 limit=$3
  for _ in $(seq $((limit * 5))); do
    [ "$(unit_property "$unit" ActiveState)" = "$wanted" ] && return 0
    sleep 0.2
  done
  return 1
}
journal() { on journalctl --no-pager -u "$1" | tail -n "${2:-20}"; }

# Installation: postinst enables and starts both units.
on apt-get install -y --no-install-recommends /srv/ocutest/ocuservice.deb /srv/ocutest/ocucam-sim.deb \
  >"$tree/srv/ocutest/install.log" 2>&1 || { cat "$tree/srv/ocutest/install.log"; fail "apt-get install failed"; }
for unit in OcuService.service ocucam-sim.service; do
  await_state "$unit" active 20 || check_failed "$unit is $(unit_property "$unit" ActiveState)"
  [ "$(on systemctl is-enabled "$unit")" = enabled ] || check_failed "$unit is not enabled"
done
main=$(unit_property OcuService.service MainPID)
user=$(on ps -o user= -p "$main" | tr -d ' ') || true
[ "$user" = ocuservice ] || check_failed "the service runs as \"$user\", not ocuservice"
[ "$(unit_property OcuService.service WatchdogUSec)" = 30s ] ||
  check_failed "WatchdogSec is $(unit_property OcuService.service WatchdogUSec)"
step "installed: both units enabled and active, the service (pid $main) runs as $user"

for _ in $(seq 50); do
  on curl -s -o /dev/null http://localhost:8081/1.0/info && break
  sleep 0.2
done
if nsenter --target "$leader" --net python3 "$pkg_source/tests/package/camera_check.py" "$tree"; then
  step "capture over HTTPS through the installed units"
else
  check_failed "the installed service does not work"
  journal OcuService.service
  journal ocucam-sim.service
fi

# SIGKILL: Restart=on-failure starts it again.
on kill -KILL "$main"
if main=$(await_new_main "$main" 15); then
  step "killed with SIGKILL, started again by systemd (pid $main)"
else
  check_failed "not started again after SIGKILL"
  journal OcuService.service
fi

# The watchdog: a service that reports itself alive outlives WatchdogSec=30s; a stopped one
# is killed (SIGABRT, then SIGKILL after TimeoutAbortSec=10s) and started again.
watched=$main
alive=yes
for _ in $(seq 36); do
  sleep 1
  if [ "$(unit_property OcuService.service MainPID)" != "$watched" ]; then
    alive=no
    break
  fi
done
if [ "$alive" = yes ]; then
  step "the service (pid $watched) outlived its 30 s watchdog interval: it reports itself alive"
else
  check_failed "systemd restarted the service within 36 s though it ran (no WATCHDOG=1?)"
  journal OcuService.service 8
  watched=$(await_new_main 0 15) || watched=0
fi
stopped_at=$(date +%s)
on kill -STOP "$watched"
if main=$(await_new_main "$watched" 60); then
  if on journalctl --no-pager -u OcuService.service | grep -q "Watchdog timeout"; then
    step "stopped with SIGSTOP: the watchdog restarted it after $(($(date +%s) - stopped_at)) s (pid $main)"
  else
    check_failed "restarted after SIGSTOP, but the journal names no watchdog time-out"
  fi
else
  check_failed "not restarted within 60 s of SIGSTOP"
  journal OcuService.service
  on kill -CONT "$watched" 2>/dev/null || true
fi

# The program's switches against the packaged unit.
switch() { on /usr/sbin/OcuService "$@" 0 2>&1; }
expect_output() {
  local what=$1 output=$2 wanted=$3
  grep -qxF "$wanted" <<<"$output" || check_failed "$what said \"$output\", not \"$wanted\""
}
await_state OcuService.service active 20 || true
out=$(switch -stop)
expect_output "-stop" "$out" "OcuService Stopped Successfully"
[ "$(unit_property OcuService.service ActiveState)" = inactive ] ||
  check_failed "after -stop systemctl says $(unit_property OcuService.service ActiveState)"
out=$(switch -start)
expect_output "-start" "$out" "OcuService Started Successfully"
await_state OcuService.service active 20 ||
  check_failed "after -start systemctl says $(unit_property OcuService.service ActiveState)"
out=$(switch -install)
expect_output "-install" "$out" "The specified service already exists."
on test ! -e /etc/systemd/system/OcuService.service ||
  check_failed "-install wrote /etc/systemd/system/OcuService.service over the package's unit"
[ "$(unit_property OcuService.service FragmentPath)" = /lib/systemd/system/OcuService.service ] ||
  check_failed "the unit is now $(unit_property OcuService.service FragmentPath)"
out=$(switch -remove)
expect_output "-remove" "$out" "The requested access was denied."
[ "$(on systemctl is-enabled OcuService.service)" = enabled ] ||
  check_failed "-remove of the package's unit disabled it"
on test -f /lib/systemd/system/OcuService.service || check_failed "-remove deleted the package's unit"
[ "$(unit_property OcuService.service ActiveState)" = inactive ] ||
  check_failed "-remove (which stops first) left it $(unit_property OcuService.service ActiveState)"
out=$(switch -start)
await_state OcuService.service active 20 || check_failed "-start after -remove: $out"
step "switches: -stop, -start as systemctl shows; -install finds the package's unit (exists)," \
  "-remove leaves it to the package (access denied)"

# Removal stops both services; purge leaves nothing.
on apt-get remove -y ocucam-sim ocuservice >"$tree/srv/ocutest/remove.log" 2>&1 ||
  { cat "$tree/srv/ocutest/remove.log"; fail "apt-get remove failed"; }
for unit in OcuService.service ocucam-sim.service; do
  state=$(unit_property "$unit" ActiveState)
  [ "$state" = inactive ] || [ "$state" = failed ] || check_failed "after remove $unit is $state"
done
[ -z "$(on pgrep -x OcuService)" ] || check_failed "OcuService still runs after remove"
[ -z "$(on pgrep -x ocucam-sim)" ] || check_failed "ocucam-sim still runs after remove"
on apt-get purge -y ocucam-sim ocuservice >"$tree/srv/ocutest/purge.log" 2>&1 ||
  { cat "$tree/srv/ocutest/purge.log"; fail "apt-get purge failed"; }
for name in ocuservice ocucam-sim; do
  if on getent passwd "$name" >/dev/null; then check_failed "purge left the user $name"; fi
  if on getent group "$name" >/dev/null; then check_failed "purge left the group $name"; fi
done
left=$(on find /etc /var/lib /run /lib/systemd /usr -xdev \( -iname '*ocuservice*' \
  -o -iname '*ocucam*' \) -print 2>/dev/null | grep -v -e '^/var/lib/dpkg/' || true)
[ -z "$left" ] || check_failed "left after purge: $left"
step "removed: both services stopped; purged: no user, group, home or unit left"

# The switches on a machine without the package: the program writes, starts, stops and
# removes its own unit.
home=/opt/ocutest/home
on mkdir -p "$home/ssl"
on openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost \
  -keyout "$home/ssl/key.pem" -out "$home/ssl/cert.pem" 2>/dev/null
on sh -c "cat $home/ssl/key.pem $home/ssl/cert.pem >$home/ssl/localhost.pem"
own() { on sh -c "cd $home && /opt/ocutest/usr/sbin/OcuService $* 0" 2>&1; }
out=$(own -install)
expect_output "-install" "$out" "OcuService Installed Successfully"
on test -f /etc/systemd/system/OcuService.service || check_failed "-install wrote no unit"
[ "$(on systemctl is-enabled OcuService.service)" = enabled ] ||
  check_failed "after -install systemctl says $(on systemctl is-enabled OcuService.service)"
out=$(own -start)
expect_output "-start" "$out" "OcuService Started Successfully"
if ! await_state OcuService.service active 20; then
  check_failed "after -start systemctl says $(unit_property OcuService.service ActiveState)"
  journal OcuService.service
fi
for _ in $(seq 50); do
  on curl -s -o /dev/null http://localhost:8081/1.0/info && break
  sleep 0.2
done
if ! on curl -s -f -X POST http://localhost:8081/1.0/register | grep -q '"success"'; then
  check_failed "the service of the program's own unit does not answer"
  journal OcuService.service
fi
out=$(own -stop)
expect_output "-stop" "$out" "OcuService Stopped Successfully"
[ "$(unit_property OcuService.service ActiveState)" = inactive ] ||
  check_failed "after -stop systemctl says $(unit_property OcuService.service ActiveState)"
step "without the package: -install, -start, -stop agree with systemctl"

# The package installed over the program's own unit warns, and that unit stays in charge
# until -remove deletes it; then the package's unit is the service.
on apt-get install -y --no-install-recommends /srv/ocutest/ocuservice.deb >"$tree/srv/ocutest/install2.log" 2>&1 ||
  { cat "$tree/srv/ocutest/install2.log"; fail "apt-get install over the program's unit failed"; }
grep -q "takes the place of the package's unit" "$tree/srv/ocutest/install2.log" ||
  check_failed "postinst did not warn about /etc/systemd/system/OcuService.service"
[ "$(unit_property OcuService.service FragmentPath)" = /etc/systemd/system/OcuService.service ] ||
  check_failed "the unit in charge is $(unit_property OcuService.service FragmentPath)"
out=$(own -remove)
expect_output "-remove" "$out" "OcuService Uninstalled Successfully"
on test ! -e /etc/systemd/system/OcuService.service || check_failed "-remove left its unit"
[ "$(unit_property OcuService.service FragmentPath)" = /lib/systemd/system/OcuService.service ] ||
  check_failed "after -remove the unit is $(unit_property OcuService.service FragmentPath)"
# Disabling its own unit took the enablement link both units share.
[ "$(on systemctl is-enabled OcuService.service)" = disabled ] ||
  check_failed "after -remove the package's unit is $(on systemctl is-enabled OcuService.service)"
on systemctl enable --now OcuService.service 2>/dev/null
await_state OcuService.service active 20 ||
  check_failed "the package's unit does not start after -remove: $(journal OcuService.service 5)"
on apt-get purge -y ocuservice >"$tree/srv/ocutest/purge2.log" 2>&1 ||
  { cat "$tree/srv/ocutest/purge2.log"; fail "apt-get purge failed"; }
[ "$(unit_property OcuService.service LoadState)" = not-found ] ||
  check_failed "after -remove and purge the unit is $(unit_property OcuService.service LoadState)"
step "package over the program's unit: warned; -remove hands over to the package's unit"

if [ "$failures" -ne 0 ]; then
  fail "$failures check(s) failed"
fi
echo "PASSED"
