#!/usr/bin/env bash
# The Debian 12 system the package tests install into: bootstrapped once (a minute or two,
# from the machine's Debian mirror), then taken from the cache.
#   tests/package/prepare_system.sh BUILD_TREE
source "$(dirname "$0")/lib.sh"
build=$(cd "${1:?usage: prepare_system.sh BUILD_TREE}" && pwd)
pkg_require_root
tar=$(pkg_base_tar "$build")
step "Debian 12 system ready: $tar ($(du -m "$tar" | cut -f1) MB)"
