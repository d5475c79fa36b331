#!/usr/bin/env bash
# Builds everything with warnings as errors and runs the whole test suite.
#   bash Tools/test.sh           g++: plain (build/) and under AddressSanitizer and
#                                UndefinedBehaviorSanitizer (build-asan/; a frame used after its
#                                function returned included), halting on the first error
#   bash Tools/test.sh clang     clang: plain only (build-clang/); the fuzz run covers clang's sanitizers
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: bash Tools/test.sh [clang]"
case "${1:-}" in
  "") compiler=gcc ;;
  clang) compiler=clang ;;
  -h|--help) echo "$usage"; exit 0 ;;
  *) echo "test.sh: unknown argument '$1'" >&2; echo "$usage" >&2; exit 2 ;;
esac
jobs=$(nproc)

build_and_test() {
  local dir=$1
  shift
  cmake -S "$top" -B "$dir" -G Ninja -DTWAIN_WERROR=ON -DTWAIN_MONITOR_ROOT="$dir/stage" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

if [ "$compiler" = clang ]; then
  bash "$top/Tools/install-deps.sh" clang chromium
  CC=clang CXX=clang++ build_and_test "$top/build-clang"
  exit 0
fi
# chromium: the page tests of twtrace html look at the pages in a real browser.
bash "$top/Tools/install-deps.sh" chromium
build_and_test "$top/build"
ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  build_and_test "$top/build-asan" -DTWAIN_SANITIZE=ON
