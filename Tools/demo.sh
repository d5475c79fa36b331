#!/usr/bin/env bash
# Builds what the demo and the README's steps need (the monitor, the substitute
# driver as a bundle and as a data source, the AnyDriver bundle, twhost and
# twtrace; not the tests nor the benchmarks), stages the substitute driver bundle and the log
# directory under build/stage (where this build's monitor looks for them), runs
# the demo session through the monitor with twhost, and prints the trace it wrote.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  "") ;;
  -h|--help) echo "usage: bash Tools/demo.sh"; exit 0 ;;
  *) echo "demo.sh: takes no arguments, not $1" >&2; echo "usage: bash Tools/demo.sh" >&2; exit 2 ;;
esac
bash "$top/Tools/install-deps.sh"

build="$top/build"
stage="$build/stage"
log_dir="$stage/Users/Shared/NORVA/Lumora/LOG/TWAIN"

cmake -S "$top" -B "$build" -G Ninja -DTWAIN_WERROR=ON -DTWAIN_MONITOR_ROOT="$stage" >/dev/null
targets=(TwainMonitor.ds TwainWrapper ScannerDriver.ds AnyDriver twhost twtrace)
[ -x "$build/twtrace" ] || echo "Building the demo's ${#targets[@]} targets: a first build takes about a minute on 2 idle cores." >&2
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
bash "$top/Tools/stage.sh" "$build"

# twhost names the trace file the session wrote on its standard error stream.
messages=$(mktemp)
trap 'rm -f "$messages"' EXIT
status=0
"$build/twhost" "$build/TwainMonitor.ds" demo 2>"$messages" || status=$?
cat "$messages" >&2
trace=$(sed -n 's/^twhost: trace: //p' "$messages")

echo
if [ -z "$trace" ]; then
  echo "No trace was written (is $log_dir there?)" >&2
  exit 1
fi
echo "Trace log: $trace"
echo
cat "$trace"
exit "$status"
