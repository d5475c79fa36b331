#!/usr/bin/env bash
# Stages what a build's monitor looks for under <build-dir>/stage (the root that
# Tools/demo.sh and Tools/test.sh configure): the substitute driver bundle in the
# vendor's place and the log directory that switches the trace on.
#   bash Tools/stage.sh [build-dir]    (default: build)
set -euo pipefail
usage="usage: bash Tools/stage.sh [build-dir]"
case "${1:-}" in
  -h|--help) echo "$usage"; exit 0 ;;
  -*) echo "stage.sh: unknown option $1" >&2; echo "$usage" >&2; exit 2 ;;
esac
[ $# -le 1 ] || { echo "stage.sh: one build directory at most" >&2; echo "$usage" >&2; exit 2; }
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
stage="$build/stage"
bundle_home="$stage/Library/Image Capture/Support/NORVA/Lumora/Core"
log_dir="$stage/Users/Shared/NORVA/Lumora/LOG/TWAIN"

driver="$build/bundles/TwainWrapper.bundle"
if [ ! -d "$driver" ]; then
  echo "stage.sh: the build made no driver bundle at $driver" >&2
  exit 1
fi
rm -rf "$bundle_home/TwainWrapper.bundle"
mkdir -p "$bundle_home" "$log_dir"
cp -R "$driver" "$bundle_home/"
