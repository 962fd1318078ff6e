#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine.
set -euo pipefail
pakiety=(
  cmake ninja-build g++ libgtest-dev libgmock-dev clang ser2net
  # lintian checks the Debian packages, which dpkg-buildpackage builds with
  # debhelper (tests/delivery/package_test.sh); ccache lets the second build
  # of the package (the sanitizer round) take the first one's objects.
  lintian dpkg-dev debhelper pkgconf ccache
  # karvod, the service: its libraries, and for its tests PostgreSQL's server
  # and a headless browser.
  libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpq-dev libsystemd-dev postgresql chromium
)
need=()
for p in "${pakiety[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
