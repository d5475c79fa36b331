#!/usr/bin/env bash
# Builds everything, stages the substitute driver bundle and the log directory
# under build/stage (where this build's monitor looks for them), runs the demo
# session through the monitor with twhost, and prints the trace it wrote.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/Tools/install-deps.sh"

build="$top/build"
stage="$build/stage"
bundle_home="$stage/Library/Image Capture/Support/NORVA/Lumora/Core"
log_dir="$stage/Users/Shared/NORVA/Lumora/LOG/TWAIN"

cmake -S "$top" -B "$build" -G Ninja -DTWAIN_WERROR=ON -DTWAIN_MONITOR_ROOT="$stage" >/dev/null
cmake --build "$build" -j"$(nproc)"

driver="$build/bundles/TwainWrapper.bundle"
if [ ! -d "$driver" ]; then
  echo "The build made no driver bundle at $driver" >&2
  exit 1
fi
rm -rf "$bundle_home/TwainWrapper.bundle"
mkdir -p "$bundle_home" "$log_dir"
cp -R "$driver" "$bundle_home/"

# Each load of the monitor opens a new trace file, named by the load time.
before=$(ls "$log_dir")
status=0
"$build/twhost" "$build/TwainMonitor.ds" demo || status=$?
trace=""
for f in $(ls -t "$log_dir"); do
  if ! grep -qxF "$f" <<<"$before"; then trace="$log_dir/$f"; break; fi
done

echo
if [ -z "$trace" ]; then
  echo "No trace was written (is $log_dir there?)"
  exit 1
fi
echo "Trace log: $trace"
echo
cat "$trace"
exit "$status"
