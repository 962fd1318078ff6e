#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each on its
# corpus for a bounded time (FUZZ_SECONDS, 60 by default). New inputs go to a
# scratch directory; the corpus in the repository is only read.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKARVO_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$dir" --target karvo_fuzz_ramki
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
"$dir/tests/fuzz/karvo_fuzz_ramki" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=2048 \
  -print_final_stats=1 "$scratch" tests/fuzz/corpus/ramki
