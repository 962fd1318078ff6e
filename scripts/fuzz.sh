#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan and UBSan) in build-fuzz and
# runs each on its seed corpus for a bounded time: FUZZ_SECONDS each (10 by
# default), or FUZZ_RUNS inputs each when that is set (the long runs that
# tests/fuzz/README.md reports; FUZZ_SECONDS then caps each only when it is
# given too). FUZZ_TARGETS names a subset; FUZZ_NO_BUILD=1 runs what is built. New inputs go
# to a scratch directory; the corpus in the repository is only read. A
# target that finds a fault stops the script with its reproducer saved in
# FUZZ_ARTIFACTS (build-fuzz/artifacts by default).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-10}
runs=${FUZZ_RUNS:-}
all="ramki dane walidatory konfig serwer porty modkonf ecrtbuf"
targets=${FUZZ_TARGETS:-$all}
artifacts=${FUZZ_ARTIFACTS:-$dir/artifacts}

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ -z "${FUZZ_NO_BUILD:-}" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
    -DKARVO_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
  binaries=()
  for t in $targets; do binaries+=("karvo_fuzz_$t"); done
  cmake --build "$dir" --target "${binaries[@]}"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$artifacts"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for t in $targets; do
  echo "== fuzzing $t =="
  limit=(-max_total_time="$seconds")
  if [ -n "$runs" ]; then
    limit=(-runs="$runs")
    [ -n "${FUZZ_SECONDS:-}" ] && limit+=(-max_total_time="$seconds")
  fi
  mkdir -p "$scratch/$t"
  # The file targets' driver code says on standard error what it stops at;
  # those notices are closed off (libFuzzer keeps its own output).
  quiet=()
  [ "$t" != ramki ] && quiet=(-close_fd_mask=2)
  # Inputs about as long as the files they stand for: a validator takes one
  # field, a file a few lines, one of them longer than the 255 bytes a line
  # may hold (a file's cost grows with its length, and its lines are read
  # alike however many there are).
  case $t in
    ramki) len=2048 ;;
    *) len=512 ;;
  esac
  "$dir/tests/fuzz/karvo_fuzz_$t" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -max_len=$len \
    "${quiet[@]}" -artifact_prefix="$artifacts/$t-" -print_final_stats=1 "$scratch/$t" "tests/fuzz/corpus/$t"
done
