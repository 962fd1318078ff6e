#!/usr/bin/env bash
# Builds the driver, the simulator and the tests in the given directory and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}; shift || true
# With ccache (scripts/setup.sh installs it) a second build of the same sources,
# in any clone, takes the first one's objects.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j2
