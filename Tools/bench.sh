#!/usr/bin/env bash
# Builds the normal tree and runs the trace benchmarks; the last lines are the
# ratios ("ratio <name> = <value>"). Extra arguments go to Google Benchmark.
#   bash Tools/bench.sh twtrace    the trace reader, twtrace summary and html on 100 MB instead
#   bash Tools/bench.sh html       twtrace html's pages of 10 and 100 MB traces in chromium: first paint
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/Tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DTWAIN_WERROR=ON -DTWAIN_MONITOR_ROOT="$top/build/stage" >/dev/null
if [ "${1:-}" = html ]; then
  bash "$top/Tools/install-deps.sh" chromium
  cmake --build "$top/build" -j"$(nproc)" --target twtrace
  exec python3 "$top/bench/html_first_paint.py" "$(command -v chromium)" "$top/build/twtrace" "$top/fuzz/trace_seeds/demo.txt"
fi
if [ "${1:-}" = twtrace ]; then
  shift
  cmake --build "$top/build" -j"$(nproc)" --target twtrace_bench
  exec "$top/build/bench/twtrace_bench" "$@"
fi
cmake --build "$top/build" -j"$(nproc)" --target trace_bench
"$top/build/bench/trace_bench" --benchmark_min_time=0.2 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
