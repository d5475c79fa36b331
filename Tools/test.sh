#!/usr/bin/env bash
# Builds everything and runs the whole test suite twice: once plain, once under
# AddressSanitizer (a frame used after its function returned included) and
# UndefinedBehaviorSanitizer, halting on the first error.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/Tools/install-deps.sh"
jobs=$(nproc)

build_and_test() {
  local dir=$1
  shift
  cmake -S "$top" -B "$dir" -G Ninja -DTWAIN_MONITOR_ROOT="$dir/stage" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

build_and_test "$top/build"
ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  build_and_test "$top/build-asan" -DTWAIN_SANITIZE=ON
