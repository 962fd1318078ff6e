#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine.
set -euo pipefail
need=()
# lintian checks the Debian packages, which dpkg-buildpackage builds with
# debhelper (tests/delivery/package_test.sh; pkgconf for the build's pkg-config).
for p in cmake ninja-build g++ libgtest-dev libgmock-dev clang ser2net lintian dpkg-dev debhelper pkgconf; do
  dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
# karvod, the service: its libraries, and for its tests PostgreSQL's server
# and a headless browser.
need=()
for p in libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpq-dev libsystemd-dev pkg-config postgresql chromium; do
  dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
