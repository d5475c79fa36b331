#!/usr/bin/env bash
# Builds the normal tree and runs the trace benchmarks; the last lines are the
# ratios ("ratio <name> = <value>"). Extra arguments go to Google Benchmark.
#   bash Tools/bench.sh twtrace    the trace reader and twtrace summary on 100 MB instead
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/Tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DTWAIN_WERROR=ON -DTWAIN_MONITOR_ROOT="$top/build/stage" >/dev/null
if [ "${1:-}" = twtrace ]; then
  shift
  cmake --build "$top/build" -j"$(nproc)" --target twtrace_bench
  exec "$top/build/bench/twtrace_bench" "$@"
fi
cmake --build "$top/build" -j"$(nproc)" --target trace_bench
"$top/build/bench/trace_bench" --benchmark_min_time=0.2 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
