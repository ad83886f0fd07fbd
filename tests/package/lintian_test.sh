#!/usr/bin/env bash
# lintian on the two packages: fails on any error, prints everything it says (warnings may
# stay; see the README's section on the packages).
#   tests/package/lintian_test.sh BUILD_TREE     (the packages: BUILD_TREE/packages/*.deb)
source "$(dirname "$0")/lib.sh"
build=$(cd "${1:?usage: lintian_test.sh BUILD_TREE}" && pwd)
command -v lintian >/dev/null || fail "lintian is missing (scripts/setup-deps.sh --tests)"
pkg_debs "$build"
output=$(lintian --fail-on error "${pkg_service_deb[0]}" "${pkg_sim_deb[0]}" 2>&1) || status=$?
grep -v "running with root privileges is not recommended" <<<"$output" || true
if [ "${status:-0}" -ne 0 ]; then
  fail "lintian found errors (or failed, status ${status})"
fi
grep -q '^E: ' <<<"$output" && fail "lintian printed errors"
echo "PASSED: no errors"
