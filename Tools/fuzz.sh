#!/usr/bin/env bash
# Builds the fuzz targets with clang (the analyzer's and the trace reader's) and
# runs each from its seed corpus, one after the other.
#   bash Tools/fuzz.sh [seconds]    (default 60 for each; any finding fails the run)
# A finding leaves its input as build-fuzz/crash-* (or leak-*, timeout-*); rerun
# one with: build-fuzz/fuzz/analyzer_fuzz <that file> (or trace_reader_fuzz)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
bash "$top/Tools/install-deps.sh" clang libclang-rt-14-dev
dir="$top/build-fuzz"
CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -G Ninja -DTWAIN_FUZZ=ON -DTWAIN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTWAIN_MONITOR_ROOT="$dir/stage" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target analyzer_fuzz make_seeds trace_reader_fuzz
rm -rf "$dir/corpus" "$dir/trace_corpus" && mkdir -p "$dir/corpus" "$dir/trace_corpus"
cp "$top"/fuzz/trace_seeds/* "$dir/trace_corpus/"
"$dir/fuzz/make_seeds" "$dir/corpus"
cd "$dir"
ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
  "$dir/fuzz/analyzer_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  "$dir/corpus"
ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
  "$dir/fuzz/trace_reader_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -max_len=65536 "$dir/trace_corpus"
